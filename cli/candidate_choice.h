// Which programme candidate names a file: --pick N, or the service and event
// ids a recording manager knows (--service-id, --event-id). Without any of
// them the first candidate (the largest share of the window) does.
#pragma once

#include <CLI/CLI.hpp>

#include "programme/program_info.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

struct CandidateChoice {
    int pick = 0;  // 1-based number as `analyse` lists them; 0 = not given
    std::optional<int> serviceId;
    std::optional<int> eventId;

    bool given() const { return pick > 0 || serviceId || eventId; }
};

// Registers --pick, --service-id and --event-id (--pick excludes the ids).
void add_candidate_options(CLI::App& command, CandidateChoice& choice);

// The index of the chosen candidate, or nullopt when the file has none such.
// With ids, the first candidate (in analysis order) that has them all.
std::optional<int> choose_candidate(const std::vector<ProgramInfo>& candidates,
                                    const CandidateChoice& choice);

// Why a file has no such candidate, for the report: "no candidate 3 (the
// file has 2)", "no programme with service 1024 and event 6657 (…)".
std::string missing_candidate_text(const std::vector<ProgramInfo>& candidates,
                                   const CandidateChoice& choice);

}  // namespace kalvento::cli
