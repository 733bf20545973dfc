#include "schedule/schedule_query.h"

#include "platform/codepage.h"
#include "schedule/result_fields.h"
#include "schedule/result_page.h"
#include "schedule/search_text.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <memory>
#include <optional>

namespace kalvento {
namespace {

void log(const ScheduleSession& session, const std::string& text) {
    if (session.service.log) session.service.log(text);
}

std::string base_address(const ScheduleSession& session) {
    std::string base = session.service.baseUrl;
    // "http://host/" and "http://host" name the same service.
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

std::optional<std::string> fetch(ScheduleSession& session, const std::string& address) {
    if (address.size() > kSearchAddressLimit) {
        log(session, cp932("検索のアドレスが4095バイトを超えるため問い合わせません。"));
        return std::nullopt;
    }
    log(session, address);
    const WaitPlan plan{session.service.waitRounds, session.service.roundLength,
                        session.service.pump};
    auto page = fetch_page(session.client, address, plan);
    if (!page)
        for (const std::string& diagnostic : session.client.diagnostics()) log(session, diagnostic);
    return page;
}

// A row that lists several episodes ("Title #3～#5") gets the subtitles of
// the single episodes from a search over every broadcast up to the day.
void search_episode_subtitles(ScheduleSession& session, ProgramInfo& candidate,
                              const RenameRule& rule, std::string_view current_name) {
    const std::string title = title_before_number(candidate.queryTitle);
    // Rebuilt here rather than remembered: the row may come from an earlier
    // application of the rule, whose search texts are not kept.
    const SearchTexts texts = build_search_texts(candidate, rule, current_name);
    const std::string word = url_encode(texts.word);
    if (word.empty()) return;
    const std::string date = encode_search_date(candidate.dateISO28);
    const std::string address = base_address(session) + "/find?sd=2&kw=" + word +
                                "&ch=&st=&cm=&r=3&rd=1%2F1%2F1-" + date + "&v=0";
    const auto page = fetch(session, address);
    if (!page) return;
    const std::vector<ResultRow> rows = scrape_result_page(*page);
    if (rows.empty()) return;
    candidate.resultSubtitle =
        episode_subtitles(title, episode_range(candidate.resultNumbers), rows);
    candidate.queryMemo = candidate.resultSubtitle;
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

void schedule_lookup(ScheduleSession& session, ProgramInfo& candidate, const RenameRule& rule,
                     std::string_view current_name) {
    std::string key = rule.SyoboFind + rule.SyoboFindCh + rule.SyoboFindSt;
    if (key == candidate.queryKey) return;
    // Remembered before the fetch, so a search that fails is not repeated.
    candidate.queryKey = std::move(key);
    candidate.queryMemo.clear();

    const SearchTexts texts = build_search_texts(candidate, rule, current_name);
    candidate.queryRow.clear();
    candidate.queryTitle.clear();
    candidate.queryCell.clear();
    candidate.querySpan.clear();

    const std::string word = url_encode(texts.word);
    if (word.empty()) {
        log(session, cp932("検索語が空のため問い合わせません。"));
        return;
    }
    const std::string channel = url_encode(texts.channel);
    const std::string subtitle = url_encode(texts.subtitle);
    const std::string date = encode_search_date(candidate.dateISO28);
    const std::string address = base_address(session) + "/find?sd=2&kw=" + word + "&ch=" + channel +
                                "&st=" + subtitle + "&cm=" + (subtitle.empty() ? "&r=3" : "&r=0") +
                                "&rd=" + date + "-" + date + "&v=0";

    const auto page = fetch(session, address);
    if (!page) return;
    const std::vector<ResultRow> rows = scrape_result_page(*page);
    const auto chosen = choose_row(rows, !subtitle.empty(), candidate.startTime);
    if (!chosen) {
        log(session, cp932("該当する放送が見つかりませんでした。"));
        return;
    }
    const ResultRow& row = rows[*chosen];
    candidate.queryRow = row.line;
    candidate.queryTitle = row.linkText;
    candidate.queryCell = row.cell;
    candidate.querySpan = row.span;
}

void derive_schedule_results(ScheduleSession& session, ProgramInfo& candidate,
                             const RenameRule& rule, std::string_view current_name) {
    if (candidate.queryRow.empty()) return;
    if (rule.SyoboTT) candidate.resultTitle = title_before_number(candidate.queryTitle);
    if (rule.SyoboNB) candidate.resultNumbers = episode_numbers(candidate.queryTitle);
    if (rule.SyoboSB) {
        static const std::string range_mark = cp932("～");
        static const std::string lone_mark = cp932("^[～－，、,]$");
        candidate.resultSubtitle = candidate.queryMemo.empty()
                                       ? subtitle_after_numbers(candidate.queryTitle)
                                       : candidate.queryMemo;
        if (candidate.resultNumbers.find(',') != std::string::npos &&
            candidate.resultSubtitle == range_mark && !candidate.querySpan.empty())
            search_episode_subtitles(session, candidate, rule, current_name);
        regex_delete(candidate.resultSubtitle, lone_mark);
    }
    if (rule.SyoboCH) candidate.resultChannel = candidate.queryCell;
}

ScheduleLookup make_schedule_lookup(ScheduleService service) {
    auto session = std::make_shared<ScheduleSession>(std::move(service));
    return
        [session](ProgramInfo& candidate, const RenameRule& rule, std::string_view current_name) {
            schedule_lookup(*session, candidate, rule, current_name);
            derive_schedule_results(*session, candidate, rule, current_name);
        };
}

}  // namespace kalvento
