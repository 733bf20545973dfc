#include "schedule/schedule_query.h"

#include "platform/codepage.h"
#include "schedule/result_fields.h"
#include "schedule/result_page.h"
#include "text/text_edit.h"

#include <algorithm>
#include <thread>

namespace kalvento {
namespace {

void log(const ScheduleSession& session, const std::string& cp932_text) {
    if (session.service.notices)
        session.service.notices(
            Notice{NoticeLevel::detail, "schedule", "", cp932_to_utf8_lossy(cp932_text)});
}

std::string base_address(const ScheduleSession& session) {
    std::string base = session.service.baseUrl;
    // "http://host/" and "http://host" name the same service.
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

void tell_waiting(const ScheduleSession& session, ScheduleWaitKind kind,
                  std::chrono::steady_clock::duration waited,
                  std::chrono::steady_clock::duration limit) {
    if (!session.service.waiting) return;
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    session.service.waiting(ScheduleWait{kind, duration_cast<milliseconds>(waited),
                                         duration_cast<milliseconds>(limit)});
}

// Waits for this request's turn at the service; false when asked to stop first.
bool wait_for_turn(const ScheduleSession& session) {
    using Clock = std::chrono::steady_clock;
    const ScheduleService& service = session.service;
    const Clock::time_point start = reserve_request_start(service.requestGap);
    const Clock::time_point began = Clock::now();
    for (Clock::time_point now = began; now < start; now = Clock::now()) {
        if (service.pump) service.pump();
        if (service.stop.stop_requested()) return false;
        tell_waiting(session, ScheduleWaitKind::turn, now - began, start - began);
        std::this_thread::sleep_for(std::min<Clock::duration>(start - now, service.roundLength));
    }
    return true;
}

std::optional<std::string> fetch_when_due(ScheduleSession& session, const std::string& address) {
    const ScheduleService& service = session.service;
    if (!wait_for_turn(session)) {
        session.client.add_diagnostic("asked to stop before the request was sent");
        return std::nullopt;
    }
    const auto began = std::chrono::steady_clock::now();
    const auto limit = service.waitRounds * service.roundLength;
    const WaitPlan plan{service.waitRounds, service.roundLength,
                        [&] {
                            if (service.pump) service.pump();
                            tell_waiting(session, ScheduleWaitKind::answer,
                                         std::chrono::steady_clock::now() - began, limit);
                        },
                        service.stop};
    return fetch_page(session.client, address, plan);
}

// The page at `address`, kept or fetched; nullopt (and why, in the log) when
// it could not be had, or at once while an outage found earlier lasts.
std::optional<std::string> fetch(ScheduleSession& session, const std::string& address) {
    if (auto kept = cached_answer(session.service.cache, address)) {
        log(session, address + " (answered from the cache)");
        return kept;
    }
    ++session.unreachableLookups;
    if (session.outage->ongoing()) {
        log(session, "not asked: the service could not be reached at the last try");
        return std::nullopt;
    }
    log(session, address);
    auto page = fetch_when_due(session, address);
    tell_waiting(session, ScheduleWaitKind::over, {}, {});
    if (!page) {
        for (const std::string& diagnostic : session.client.diagnostics()) log(session, diagnostic);
        if (!session.service.stop.stop_requested()) session.outage->begin();
        return page;
    }
    --session.unreachableLookups;
    // Only a successful answer is kept: an error page may be gone in a minute.
    const int status = session.client.status();
    if (!session.service.cache.directory.empty() && status >= 200 && status < 300) {
        if (const auto why = keep_answer(session.service.cache, address, *page))
            log(session, "the answer was not kept: " + *why);
    }
    return page;
}

bool address_too_long(const ScheduleSession& session, const std::string& address) {
    if (address.size() <= kSearchAddressLimit) return false;
    log(session, "not asked: the search address is longer than 4095 bytes");
    return true;
}

}  // namespace

std::string encode_search_date(std::string_view date_iso) {
    std::string encoded;
    for (char c : date_iso) {
        if (c == '-') {
            encoded += "%2F";
        } else {
            encoded += c;
        }
    }
    if (encoded.size() > kUrlEncodedLimit) encoded.resize(kUrlEncodedLimit);
    return encoded;
}

ScheduleAnswer find_broadcast(ScheduleSession& session, const ScheduleQuery& query) {
    ScheduleAnswer answer;
    const std::string word = url_encode(query.word);
    if (word.empty()) {
        log(session, "not asked: the search word is empty");
        return answer;
    }
    const std::string channel = url_encode(query.channel);
    const std::string subtitle = url_encode(query.subtitle);
    const std::string date = encode_search_date(query.day);
    const std::string address = base_address(session) + "/find?sd=2&kw=" + word + "&ch=" + channel +
                                "&st=" + subtitle + "&cm=" + (subtitle.empty() ? "&r=3" : "&r=0") +
                                "&rd=" + date + "-" + date + "&v=0";
    if (address_too_long(session, address)) return answer;

    const auto page = fetch(session, address);
    if (!page) {
        answer.status = ScheduleStatus::unreachable;
        return answer;
    }
    const std::vector<ResultRow> rows = scrape_result_page(*page);
    const auto chosen = choose_row(rows, !subtitle.empty(), query.startTime);
    if (!chosen) {
        log(session, "no matching broadcast was found");
        answer.status = ScheduleStatus::notFound;
        return answer;
    }
    const ResultRow& row = rows[*chosen];
    answer.status = ScheduleStatus::found;
    answer.row = ScheduleRow{row.line, row.linkText, row.cell, row.span};
    return answer;
}

std::optional<std::string> find_episode_subtitles(ScheduleSession& session, std::string_view word,
                                                  std::string_view title, std::string_view numbers,
                                                  std::string_view day) {
    const std::string encoded = url_encode(word);
    if (encoded.empty()) return std::nullopt;
    const std::string address = base_address(session) + "/find?sd=2&kw=" + encoded +
                                "&ch=&st=&cm=&r=3&rd=1%2F1%2F1-" + encode_search_date(day) + "&v=0";
    if (address_too_long(session, address)) return std::nullopt;
    const auto page = fetch(session, address);
    if (!page) return std::nullopt;
    const std::vector<ResultRow> rows = scrape_result_page(*page);
    if (rows.empty()) return std::nullopt;
    return episode_subtitles(title, episode_range(numbers), rows);
}

}  // namespace kalvento
