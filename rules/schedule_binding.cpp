#include "rules/schedule_binding.h"

#include "platform/codepage.h"
#include "rules/search_text.h"
#include "schedule/result_fields.h"
#include "text/regex_helpers.h"

#include <memory>

namespace kalvento {

namespace {

ScheduleOutcome outcome_of(ScheduleStatus status) {
    switch (status) {
        case ScheduleStatus::found:
            return ScheduleOutcome::found;
        case ScheduleStatus::notFound:
            return ScheduleOutcome::notFound;
        case ScheduleStatus::unreachable:
            return ScheduleOutcome::unreachable;
        case ScheduleStatus::notAsked:
            break;
    }
    return ScheduleOutcome::notAsked;
}

// The chosen row of the candidate, split as the rule flags would take it.
void describe_row(const ProgramInfo& candidate, ScheduleDecision& decision) {
    decision.title = title_before_number(candidate.queryTitle);
    decision.numbers = episode_numbers(candidate.queryTitle);
    decision.subtitle = subtitle_after_numbers(candidate.queryTitle);
    decision.channel = candidate.queryCell;
}

// The search texts as the candidate's search was (or is about to be) made:
// before any row of it was known.
SearchTexts fresh_search_texts(ProgramInfo candidate, const RenameRule& rule,
                               std::string_view current_name) {
    candidate.queryTitle.clear();
    return build_search_texts(candidate, rule, current_name);
}

}  // namespace

ScheduleDecision schedule_lookup(ScheduleSession& session, ProgramInfo& candidate,
                                 const RenameRule& rule, std::string_view current_name) {
    ScheduleDecision decision;
    decision.day = candidate.dateISO28;
    std::string key = rule.SyoboFind + rule.SyoboFindCh + rule.SyoboFindSt;
    if (key == candidate.queryKey) {
        // Told what was asked then; nothing is asked now.
        decision.keyword = fresh_search_texts(candidate, rule, current_name).word;
        decision.remembered = true;
        decision.outcome =
            candidate.queryRow.empty() ? ScheduleOutcome::notFound : ScheduleOutcome::found;
        if (!candidate.queryRow.empty()) describe_row(candidate, decision);
        return decision;
    }
    // Remembered before the fetch, so a search that fails is not repeated.
    candidate.queryKey = std::move(key);
    candidate.queryMemo.clear();

    const SearchTexts texts = build_search_texts(candidate, rule, current_name);
    candidate.queryRow.clear();
    candidate.queryTitle.clear();
    candidate.queryCell.clear();
    candidate.querySpan.clear();
    decision.keyword = texts.word;

    const ScheduleAnswer answer =
        find_broadcast(session, ScheduleQuery{.word = texts.word,
                                              .channel = texts.channel,
                                              .subtitle = texts.subtitle,
                                              .day = candidate.dateISO28,
                                              .startTime = candidate.startTime});
    decision.outcome = outcome_of(answer.status);
    if (answer.status != ScheduleStatus::found) return decision;
    candidate.queryRow = answer.row.line;
    candidate.queryTitle = answer.row.linkText;
    candidate.queryCell = answer.row.cell;
    candidate.querySpan = answer.row.span;
    describe_row(candidate, decision);
    return decision;
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
            ScheduleDecision decision = schedule_lookup(*session, candidate, rule, current_name);
            derive_schedule_results(*session, candidate, rule, current_name);
            return decision;
        };
}

}  // namespace kalvento
