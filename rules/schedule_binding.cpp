#include "rules/schedule_binding.h"

#include "platform/codepage.h"
#include "rules/search_text.h"
#include "schedule/result_fields.h"
#include "text/regex_helpers.h"

#include <memory>

namespace kalvento {

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

    const ScheduleAnswer answer =
        find_broadcast(session, ScheduleQuery{.word = texts.word,
                                              .channel = texts.channel,
                                              .subtitle = texts.subtitle,
                                              .day = candidate.dateISO28,
                                              .startTime = candidate.startTime});
    if (answer.status != ScheduleStatus::found) return;
    candidate.queryRow = answer.row.line;
    candidate.queryTitle = answer.row.linkText;
    candidate.queryCell = answer.row.cell;
    candidate.querySpan = answer.row.span;
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
            candidate.resultSubtitle == range_mark && !candidate.querySpan.empty()) {
            // Rebuilt here rather than remembered: the row may come from an
            // earlier application of the rule, whose search texts are not kept.
            const SearchTexts texts = build_search_texts(candidate, rule, current_name);
            if (auto subtitles = find_episode_subtitles(
                    session, texts.word, title_before_number(candidate.queryTitle),
                    candidate.resultNumbers, candidate.dateISO28)) {
                candidate.resultSubtitle = std::move(*subtitles);
                candidate.queryMemo = candidate.resultSubtitle;
            }
        }
        regex_delete(candidate.resultSubtitle, lone_mark);
    }
    if (rule.SyoboCH) candidate.resultChannel = candidate.queryCell;
}

ScheduleLookup make_schedule_lookup(ScheduleService service) {
    return make_schedule_lookup(std::make_shared<ScheduleSession>(std::move(service)));
}

ScheduleLookup make_schedule_lookup(std::shared_ptr<ScheduleSession> session) {
    return
        [session](ProgramInfo& candidate, const RenameRule& rule, std::string_view current_name) {
            schedule_lookup(*session, candidate, rule, current_name);
            derive_schedule_results(*session, candidate, rule, current_name);
        };
}

}  // namespace kalvento
