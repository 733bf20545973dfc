// Which programme candidate names a file: --pick N, or the ids a recording
// manager knows: --service-id and --event-id, or --program-id, the tuner
// server's program id (network id x 10^10 + service id x 10^5 + event id).
// Without any of them the first candidate (the largest share of the window)
// does.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/translation.h"
#include "programme/program_info.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

struct CandidateChoice {
    int pick = 0;  // 1-based number as `analyse` lists them; 0 = not given
    std::optional<int> serviceId;
    std::optional<int> eventId;
    // With --program-id: the id as given, and its network id; serviceId and
    // eventId hold its other two parts.
    std::optional<std::int64_t> programId;
    std::optional<int> networkId;

    bool given() const { return pick > 0 || serviceId || eventId; }
    // The choice names the programme the way a recording manager knows it.
    bool by_ids() const { return serviceId || eventId; }
};

// Registers --service-id, --event-id and --program-id (which excludes the
// other two), and with `pick_too` --pick, which excludes the ids.
void add_candidate_options(CLI::App& command, CandidateChoice& choice, bool pick_too = true);

// The index of the chosen candidate, or nullopt when the file has none such.
// With ids, the first candidate (in analysis order) that has them all.
std::optional<int> choose_candidate(const std::vector<ProgramInfo>& candidates,
                                    const CandidateChoice& choice);

// Why a file has no such candidate, for the report: "no candidate 3 (the
// file has 2)", "no programme with service 1024 and event 6657 (…)".
Said missing_candidate_text(const std::vector<ProgramInfo>& candidates,
                            const CandidateChoice& choice);

// With --program-id: why its network is not the recording's ("--program-id
// 327440102506913 is of network 32744, but the recording is of network 4"),
// or nullopt when no programme of the recording tells its network, or one is
// of the network asked for.
std::optional<std::string> network_mismatch(const std::vector<ProgramInfo>& candidates,
                                            const CandidateChoice& choice);

struct CandidateTaken {
    int index = 0;
    Said missing;  // why the chosen candidate is not there; empty when it is
};

// The candidate --pick, --service-id or --event-id chose. A file without
// programme data is left to report that, whatever was chosen.
CandidateTaken take_candidate(const std::vector<ProgramInfo>& candidates,
                              const CandidateChoice& choice);

}  // namespace kalvento::cli
