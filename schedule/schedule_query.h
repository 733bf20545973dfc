// Asking the broadcast schedule service about the recording a rule names:
// the search built from the rule and the candidate, the fetch of the result
// page, the choice of the recording's row, and the title, episode numbers,
// subtitle and channel taken from that row.
#pragma once

#include "programme/program_info.h"
#include "rules/rename_rule.h"
#include "rules/schedule_hook.h"
#include "schedule/http_client.h"
#include "schedule/page_fetch.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::string_view kScheduleServiceDefaultBase = "http://cal.syoboi.jp";
// Longest request address that is sent; a longer search is not made.
inline constexpr std::size_t kSearchAddressLimit = 4095;

struct ScheduleService {
    std::string baseUrl{kScheduleServiceDefaultBase};  // scheme and host, optionally port and path
    int waitRounds = kDefaultWaitRounds;
    std::chrono::milliseconds roundLength = kDefaultRoundLength;
    std::function<void()> pump;  // run once per wait round; none on the command line
    std::string extraCaFile;     // PEM certificates trusted besides the system's (tests)
    // Receives what a verbose log shows: addresses asked for and why a lookup
    // found nothing (code page 932 texts).
    std::function<void(const std::string&)> log;
};

// The service and the one connection that all lookups share, so that a lookup
// started while another waits is refused rather than run twice.
struct ScheduleSession {
    explicit ScheduleSession(ScheduleService config)
        : service(std::move(config)), client(service.extraCaFile) {}
    ScheduleService service;
    HttpClient client;
};

// Fetches and chooses the row for the candidate unless the rule's search
// texts are the ones this candidate was last searched with. A failed search
// is remembered like a successful one and not repeated.
void schedule_lookup(ScheduleSession& session, ProgramInfo& candidate, const RenameRule& rule,
                     std::string_view current_name);

// Fills resultTitle, resultNumbers, resultSubtitle and resultChannel from the
// chosen row as the rule's flags ask; nothing without a row. A row that stands
// for several episodes may cost a second search for their subtitles.
void derive_schedule_results(ScheduleSession& session, ProgramInfo& candidate,
                             const RenameRule& rule, std::string_view current_name);

// The hook for the rule engine: the lookup, then the derivation.
ScheduleLookup make_schedule_lookup(ScheduleService service);

// "2010-01-05" -> "2010%2F01%2F05".
std::string encode_search_date(std::string_view date_iso);

}  // namespace kalvento
