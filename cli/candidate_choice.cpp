#include "cli/candidate_choice.h"

namespace kalvento::cli {
namespace {

constexpr int kMaxId = 0xFFFF;  // service and event ids are 16-bit

bool has_programme_data(const ProgramInfo& info) {
    return info.startTime != 0;
}

std::string plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

void add_candidate_options(CLI::App& command, CandidateChoice& choice) {
    CLI::Option* pick = command
                            .add_option("--pick", choice.pick,
                                        "Name the file after its N-th programme candidate, "
                                        "numbered as analyse lists them")
                            ->type_name("N")
                            ->check(CLI::Range(1, 1000));
    CLI::Option* service =
        command
            .add_option("--service-id", choice.serviceId,
                        "Name the file after the programme of this service (programme number)")
            ->type_name("ID")
            ->check(CLI::Range(0, kMaxId));
    CLI::Option* event = command
                             .add_option("--event-id", choice.eventId,
                                         "Name the file after the programme with this event id")
                             ->type_name("ID")
                             ->check(CLI::Range(0, kMaxId));
    pick->excludes(service);
    pick->excludes(event);
}

std::optional<int> choose_candidate(const std::vector<ProgramInfo>& candidates,
                                    const CandidateChoice& choice) {
    if (!choice.given()) return candidates.empty() ? std::nullopt : std::optional<int>(0);
    if (choice.pick > 0) {
        // The no-data candidate stands for "nothing found": it is no programme to pick.
        const auto index = static_cast<std::size_t>(choice.pick - 1);
        if (index < candidates.size() && has_programme_data(candidates[index]))
            return static_cast<int>(index);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const ProgramInfo& info = candidates[i];
        if (!has_programme_data(info)) continue;
        if (choice.serviceId && info.serviceId != *choice.serviceId) continue;
        if (choice.eventId && info.eventId != *choice.eventId) continue;
        return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string missing_candidate_text(const std::vector<ProgramInfo>& candidates,
                                   const CandidateChoice& choice) {
    std::size_t programmes = 0;
    for (const ProgramInfo& info : candidates) programmes += has_programme_data(info) ? 1 : 0;
    if (choice.pick > 0) {
        return "no candidate " + std::to_string(choice.pick) + " (the file has " +
               plural(programmes, "programme") + ")";
    }
    std::string wanted = "no programme";
    if (choice.serviceId) wanted += " of service " + std::to_string(*choice.serviceId);
    if (choice.serviceId && choice.eventId) wanted += " and";
    if (choice.eventId) wanted += " with event id " + std::to_string(*choice.eventId);
    std::string found;
    for (const ProgramInfo& info : candidates) {
        if (!has_programme_data(info)) continue;
        found += found.empty() ? "" : ", ";
        found += std::to_string(info.serviceId) + "/" + std::to_string(info.eventId);
    }
    return wanted + " (" +
           (found.empty() ? "the file has no programme data" : "service/event: " + found) + ")";
}

}  // namespace kalvento::cli
