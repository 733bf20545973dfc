#include "rules/rule_row_text.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace kalvento {
namespace {

constexpr std::array<std::string_view, 7> kWeekdayNames = {"日", "月", "火", "水",
                                                           "木", "金", "土"};
constexpr std::array<std::string_view, 3> kFindTypeNames = {"両方", "番組名", "放送局"};

}  // namespace

std::string find_type_name(std::int32_t find_type) {
    if (find_type < 0 || find_type >= static_cast<std::int32_t>(kFindTypeNames.size())) return {};
    return cp932(kFindTypeNames[static_cast<std::size_t>(find_type)]);
}

std::string rule_search_text(const RenameRule& rule) {
    if (rule.FindType == kFindProgramme) return rule.FindText;
    if (rule.FindType == kFindStation) return rule.FindTextCh;
    return rule.FindText + "," + rule.FindTextCh;
}

std::string numbering_summary(const RenameRule& rule) {
    if (rule.Numbering.empty()) return {};
    const NumberingEntry& entry = rule.Numbering.front();
    std::string text;
    char date[64];
    // A start time too far away for the calendar shows no date rather than a wrong one.
    if (const auto day = japan_calendar(entry.StartTime)) {
        std::snprintf(date, sizeof date, "%02lld/%02d/%02d(", static_cast<long long>(day->year),
                      day->month, day->day);
        text = date + cp932(kWeekdayNames[static_cast<std::size_t>(day->weekday)]) + ")";
    } else {
        text = "-/-/-(-)";
    }
    text += " #" + std::to_string(entry.StartNo) + " ";
    for (std::size_t d = 0; d < kWeekdayNames.size(); ++d)
        if (entry.WeekCheck[d] != 0) text += cp932(kWeekdayNames[d]);
    return text;
}

}  // namespace kalvento
