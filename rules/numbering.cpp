#include "rules/numbering.h"

#include "rules/broadcast_days.h"
#include "rules/rule_numbers.h"
#include "text/fields.h"
#include "text/regex_helpers.h"

#include <algorithm>
#include <cstdio>

namespace kalvento {

bool template_uses_numbering(std::string_view rename_text) {
    return !regex_extract(rename_text, "\\@\\d{0,1}(nb|NB)").empty();
}

const NumberingEntry* numbering_anchor(const std::vector<NumberingEntry>& numbering,
                                       std::int64_t start_time) {
    const NumberingEntry* anchor = nullptr;
    for (const NumberingEntry& entry : numbering) {
        if (entry.StartTime > start_time) break;
        anchor = &entry;
    }
    return anchor == nullptr || anchor->StartTime == 0 ? nullptr : anchor;
}

std::int32_t count_episode_number(const std::vector<NumberingEntry>& numbering,
                                  std::int64_t start_time) {
    const NumberingEntry* anchor = numbering_anchor(numbering, start_time);
    if (anchor == nullptr) return 0;

    std::int64_t number = std::int64_t{anchor->StartNo} - 1;
    const bool any_weekday = std::any_of(anchor->WeekCheck.begin(), anchor->WeekCheck.end(),
                                         [](std::int32_t flag) { return flag != 0; });
    if (any_weekday) number += count_flagged_days(anchor->StartTime, start_time, anchor->WeekCheck);
    // A count beyond 32 bits wraps, as the stored counter does.
    return static_cast<std::int32_t>(number);
}

std::vector<std::int32_t> parse_numbering_text(std::string_view text) {
    std::vector<std::int32_t> numbers;
    for (const std::string& field : split_fields(text, ",", false))
        numbers.push_back(field.empty() ? 0
                                        : parse_decimal_int32(std::string_view(field).substr(1)));
    if (numbers.empty()) numbers.push_back(0);
    return numbers;
}

std::vector<std::int32_t> prepare_episode_numbers(const ProgramInfo& candidate,
                                                  const RenameRule& rule,
                                                  std::optional<NumberingDecision>* counted) {
    if (!template_uses_numbering(rule.RenameText)) return {0};
    if (!candidate.resultNumbers.empty()) return parse_numbering_text(candidate.resultNumbers);
    const std::int32_t count = count_episode_number(rule.Numbering, candidate.startTime);
    if (counted != nullptr) {
        NumberingDecision decision;
        decision.count = count;
        if (const NumberingEntry* anchor = numbering_anchor(rule.Numbering, candidate.startTime))
            decision.entry = *anchor;
        *counted = std::move(decision);
    }
    return parse_numbering_text("#" + std::to_string(count));
}

void print_episode_numbers(const std::vector<std::int32_t>& numbers, int width, bool hash,
                           std::string& output) {
    char buffer[24];
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            output += std::int64_t{numbers[i]} == std::int64_t{numbers[i - 1]} + 1 ? ',' : '-';
        if (hash) output += '#';
        const int length = std::snprintf(buffer, sizeof buffer, "%0*d", width, numbers[i]);
        if (length > 0) output.append(buffer, static_cast<std::size_t>(length));
    }
}

}  // namespace kalvento
