#include "cli/candidate_choice.h"

#include "cli/translation.h"

#include <algorithm>

namespace kalvento::cli {
namespace {

constexpr int kMaxId = 0xFFFF;  // network, service and event ids are 16-bit
// A program id packs the three ids in decimal: network x 10^10 + service x
// 10^5 + event, each of the last two in five digits.
constexpr std::int64_t kProgramIdPart = 100000;

struct ProgramIdParts {
    int network = 0;
    int service = 0;
    int event = 0;
};

std::optional<ProgramIdParts> split_program_id(std::int64_t id) {
    if (id < 0) return std::nullopt;
    const ProgramIdParts parts{.network = static_cast<int>(std::min<std::int64_t>(
                                   id / kProgramIdPart / kProgramIdPart, kMaxId + 1)),
                               .service = static_cast<int>(id / kProgramIdPart % kProgramIdPart),
                               .event = static_cast<int>(id % kProgramIdPart)};
    if (parts.network > kMaxId || parts.service > kMaxId || parts.event > kMaxId)
        return std::nullopt;
    return parts;
}

// Why TEXT is no program id; empty when it is one.
std::string program_id_problem(const std::string& text) {
    // 18 digits stay far below the int64 limit and above any program id.
    const bool digits = !text.empty() && text.size() <= 18 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (digits && split_program_id(std::stoll(text))) return {};
    return fill(_("not a program id of a tuner server (network id x 10000000000 + service id x "
                  "100000 + event id, each at most 65535): %s"),
                {text});
}

bool has_programme_data(const ProgramInfo& info) {
    return info.startTime != 0;
}

}  // namespace

void add_candidate_options(CLI::App& command, CandidateChoice& choice, bool pick_too) {
    // rename names the file after the programme; analyse checks it against the window.
    CLI::Option* service =
        command
            .add_option("--service-id", choice.serviceId,
                        pick_too ? _("Name the file after the programme of this service "
                                     "(programme number)")
                                 : _("Check the window for the programme of this service "
                                     "(programme number)"))
            ->type_name("ID")
            ->check(CLI::Range(0, kMaxId));
    CLI::Option* event =
        command
            .add_option("--event-id", choice.eventId,
                        pick_too ? _("Name the file after the programme with this event id")
                                 : _("Check the window for the programme with this event id"))
            ->type_name("ID")
            ->check(CLI::Range(0, kMaxId));
    CLI::Option* program =
        command
            .add_option_function<std::int64_t>(
                "--program-id",
                [&choice](const std::int64_t& id) {
                    const ProgramIdParts parts = split_program_id(id).value_or(ProgramIdParts{});
                    choice.programId = id;
                    choice.networkId = parts.network;
                    choice.serviceId = parts.service;
                    choice.eventId = parts.event;
                },
                pick_too
                    ? _("Name the file after this programme of a tuner server (the program id "
                        "recording\nmanagers pass: network id x 10000000000 + service id x "
                        "100000 + event id);\na recording of another network is refused (exit "
                        "code 2)")
                    : _("Check the window for this programme of a tuner server (the program id "
                        "recording\nmanagers pass: network id x 10000000000 + service id x "
                        "100000 + event id);\na recording of another network is refused (exit "
                        "code 2)"))
            ->type_name("ID")
            ->check(CLI::Validator([](const std::string& text) { return program_id_problem(text); },
                                   "ID"));
    program->excludes(service);
    program->excludes(event);
    if (!pick_too) return;
    CLI::Option* pick = command
                            .add_option("--pick", choice.pick,
                                        _("Name the file after its N-th programme candidate, "
                                          "numbered as analyse lists them"))
                            ->type_name("N")
                            ->check(CLI::Range(1, 1000));
    pick->excludes(service);
    pick->excludes(event);
    pick->excludes(program);
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

Said missing_candidate_text(const std::vector<ProgramInfo>& candidates,
                            const CandidateChoice& choice) {
    std::size_t programmes = 0;
    for (const ProgramInfo& info : candidates) programmes += has_programme_data(info) ? 1 : 0;
    if (choice.pick > 0) {
        const std::string pick = std::to_string(choice.pick);
        const std::string count = std::to_string(programmes);
        return programmes == 1 ? say("no candidate %s (the file has %s programme)", {pick, count})
                               : say("no candidate %s (the file has %s programmes)", {pick, count});
    }
    const std::string service = choice.serviceId ? std::to_string(*choice.serviceId) : "";
    const std::string event = choice.eventId ? std::to_string(*choice.eventId) : "";
    Said wanted = say("no programme");
    if (choice.serviceId && choice.eventId) {
        wanted = say("no programme of service %s and with event id %s", {service, event});
    } else if (choice.serviceId) {
        wanted = say("no programme of service %s", {service});
    } else if (choice.eventId) {
        wanted = say("no programme with event id %s", {event});
    }
    std::string found;
    for (const ProgramInfo& info : candidates) {
        if (!has_programme_data(info)) continue;
        found += found.empty() ? "" : ", ";
        found += std::to_string(info.serviceId) + "/" + std::to_string(info.eventId);
    }
    return wanted + (found.empty() ? say(" (the file has no programme data)")
                                   : say(" (service/event: %s)", {found}));
}

std::optional<std::string> network_mismatch(const std::vector<ProgramInfo>& candidates,
                                            const CandidateChoice& choice) {
    if (!choice.networkId) return std::nullopt;
    const ProgramInfo* known = nullptr;
    for (const ProgramInfo& info : candidates) {
        if (info.originalNetworkId == 0) continue;
        if (info.originalNetworkId == *choice.networkId) return std::nullopt;
        if (known == nullptr) known = &info;
    }
    if (known == nullptr) return std::nullopt;
    return fill(_("--program-id %s is of network %s, but the recording is of network %s"),
                {std::to_string(*choice.programId), std::to_string(*choice.networkId),
                 std::to_string(known->originalNetworkId)});
}

CandidateTaken take_candidate(const std::vector<ProgramInfo>& candidates,
                              const CandidateChoice& choice) {
    CandidateTaken taken;
    if (!choice.given()) return taken;
    if (const auto index = choose_candidate(candidates, choice)) {
        taken.index = *index;
    } else if (std::any_of(candidates.begin(), candidates.end(),
                           [](const ProgramInfo& info) { return info.startTime != 0; })) {
        taken.missing = missing_candidate_text(candidates, choice);
    }
    return taken;
}

}  // namespace kalvento::cli
