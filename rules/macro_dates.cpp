#include "rules/macro_dates.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"

#include <array>
#include <cstdio>
#include <limits>

namespace kalvento {
namespace {

CalendarFields japan_fields(std::int64_t time) {
    CalendarFields fields;
    const auto calendar = japan_calendar(time);
    if (!calendar) return fields;
    fields.year = calendar->year;
    fields.month = calendar->month;
    fields.day = calendar->day;
    fields.hour = calendar->hour;
    fields.minute = calendar->minute;
    fields.second = calendar->second;
    fields.weekday = calendar->weekday;
    return fields;
}

void append_number(std::string& output, const char* format, long long value) {
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (length > 0) output.append(buffer, static_cast<std::size_t>(length));
}

void append_weekday_ja(std::string& output, int weekday) {
    static const std::array<std::string, 7> names = {
        cp932("日"), cp932("月"), cp932("火"), cp932("水"), cp932("木"), cp932("金"), cp932("土")};
    output += names[static_cast<std::size_t>(weekday) % names.size()];
}

void append_weekday_en(std::string& output, int weekday) {
    static constexpr std::array<const char*, 7> names = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    output += names[static_cast<std::size_t>(weekday) % names.size()];
}

// Two-digit year as the C library counts it: years since 1900, modulo 100.
long long two_digit_year(std::int64_t year) {
    return (year - 1900) % 100;
}

}  // namespace

MacroDates compute_macro_dates(std::int64_t start_time, std::int64_t end_time) {
    MacroDates dates;
    dates.start = japan_fields(start_time);
    dates.end = japan_fields(end_time);
    dates.day28 = dates.start;
    dates.start28 = dates.start.hour;
    dates.end28 = dates.end.hour;
    if (dates.start.hour < kMacroDayStartHour) {
        const bool has_day_before =
            start_time >= std::numeric_limits<std::int64_t>::min() + kSecondsPerDay;
        dates.day28 = has_day_before ? japan_fields(start_time - kSecondsPerDay) : CalendarFields{};
        dates.start28 += 24;
        dates.end28 += 24;
    }
    return dates;
}

void append_date_field(DateField field, const MacroDates& dates, std::string& output) {
    const CalendarFields& start = dates.start;
    const CalendarFields& day28 = dates.day28;
    switch (field) {
        case DateField::none:
            break;
        case DateField::startYear:
            append_number(output, "%04lld", start.year);
            break;
        case DateField::startYear2:
            append_number(output, "%02lld", two_digit_year(start.year));
            break;
        case DateField::startMonth:
            append_number(output, "%02lld", start.month);
            break;
        case DateField::startDay:
            append_number(output, "%02lld", start.day);
            break;
        case DateField::startHour:
            append_number(output, "%02lld", start.hour);
            break;
        case DateField::startMinute:
            append_number(output, "%02lld", start.minute);
            break;
        case DateField::startSecond:
            append_number(output, "%02lld", start.second);
            break;
        case DateField::startWeekdayJa:
            append_weekday_ja(output, start.weekday);
            break;
        case DateField::startWeekdayEn:
            append_weekday_en(output, start.weekday);
            break;
        case DateField::endHour:
            append_number(output, "%02lld", dates.end.hour);
            break;
        case DateField::endMinute:
            append_number(output, "%02lld", dates.end.minute);
            break;
        case DateField::endSecond:
            append_number(output, "%02lld", dates.end.second);
            break;
        case DateField::day28Year:
            append_number(output, "%04lld", day28.year);
            break;
        case DateField::day28Year2:
            append_number(output, "%02lld", two_digit_year(day28.year));
            break;
        case DateField::day28Month:
            append_number(output, "%02lld", day28.month);
            break;
        case DateField::day28Day:
            append_number(output, "%02lld", day28.day);
            break;
        case DateField::day28WeekdayJa:
            append_weekday_ja(output, day28.weekday);
            break;
        case DateField::day28WeekdayEn:
            append_weekday_en(output, day28.weekday);
            break;
        case DateField::start28Hour:
            append_number(output, "%02lld", dates.start28);
            break;
        case DateField::end28Hour:
            append_number(output, "%02lld", dates.end28);
            break;
    }
}

}  // namespace kalvento
