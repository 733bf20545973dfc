#include "rules/numbering_entry_text.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"
#include "rules/rule_keys.h"
#include "text/fields.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace kalvento {
namespace {

constexpr std::array<std::string_view, kWeekdayCount> kDayNames = {"sun", "mon", "tue", "wed",
                                                                   "thu", "fri", "sat"};
constexpr std::array<std::string_view, kWeekdayCount> kDayCharacters = {"日", "月", "火", "水",
                                                                        "木", "金", "土"};
constexpr std::string_view kShape = "give DATE:FIRST:DAYS, such as 2010-01-05:7:tue";

// A decimal number that fills the whole text.
template <typename Number>
std::optional<Number> whole_number(std::string_view text) {
    Number value{};
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> japan_midnight(std::string_view date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::nullopt;
    const auto year = whole_number<int>(date.substr(0, 4));
    const auto month = whole_number<int>(date.substr(5, 2));
    const auto day = whole_number<int>(date.substr(8, 2));
    if (!year || !month || !day) return std::nullopt;
    return japan_date_time_to_unix(*year, *month, *day, 0, 0, 0);
}

// Sets the flags a DAYS item names; false for an item that names none.
bool set_days(std::string_view item, std::array<std::int32_t, 7>& week_check) {
    std::string lower(item);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (std::size_t d = 0; d < kDayNames.size(); ++d) {
        if (lower == kDayNames[d]) {
            week_check[d] = 1;
            return true;
        }
    }
    // A run of weekday characters, two bytes each in CP932.
    if (item.empty()) return false;
    while (!item.empty()) {
        bool known = false;
        for (std::size_t d = 0; d < kDayCharacters.size() && !known; ++d) {
            const std::string character = cp932(kDayCharacters[d]);
            if (item.starts_with(character)) {
                week_check[d] = 1;
                item.remove_prefix(character.size());
                known = true;
            }
        }
        if (!known) return false;
    }
    return true;
}

}  // namespace

std::optional<NumberingEntry> numbering_entry_from_text(std::string_view text, std::string& error) {
    const std::vector<std::string> parts = split_fields(text, ":", false);
    if (parts.size() != 3) {
        error = kShape;
        return std::nullopt;
    }
    NumberingEntry entry;
    const auto start = japan_midnight(parts[0]);
    if (!start) {
        error = "\"" + parts[0] + "\" is not a date YYYY-MM-DD (" + std::string(kShape) + ")";
        return std::nullopt;
    }
    entry.StartTime = *start;
    const auto first = whole_number<std::int32_t>(parts[1]);
    if (!first) {
        error = "\"" + parts[1] + "\" is not an episode number (" + std::string(kShape) + ")";
        return std::nullopt;
    }
    entry.StartNo = *first;
    const std::string days_wanted =
        "give sun, mon, tue, wed, thu, fri, sat or " + cp932("日月火水木金土");
    if (parts[2].empty()) {
        error = "no broadcast weekdays: " + days_wanted;
        return std::nullopt;
    }
    for (const std::string& item : split_fields(parts[2], ",", false)) {
        if (!set_days(item, entry.WeekCheck)) {
            error = "\"" + item + "\" is not a weekday: " + days_wanted;
            return std::nullopt;
        }
    }
    return entry;
}

std::string numbering_entry_text(const NumberingEntry& entry) {
    std::string text;
    if (const auto day = japan_calendar(entry.StartTime)) {
        char date[32];
        std::snprintf(date, sizeof date, "%04lld-%02d-%02d", static_cast<long long>(day->year),
                      day->month, day->day);
        text = date;
    }
    text += ":" + std::to_string(entry.StartNo) + ":";
    bool first = true;
    for (std::size_t d = 0; d < kDayNames.size(); ++d) {
        if (entry.WeekCheck[d] == 0) continue;
        if (!first) text += ",";
        text += kDayNames[d];
        first = false;
    }
    return text;
}

}  // namespace kalvento
