#include "platform/japan_time.h"

#include <cstdio>
#include <limits>

namespace kalvento {
namespace {

constexpr std::int64_t kMinYear = std::int64_t{std::numeric_limits<int>::min()} + 1900;
constexpr std::int64_t kMaxYear = std::int64_t{std::numeric_limits<int>::max()} + 1900;

std::int64_t floor_div(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

bool is_leap(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(std::int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

}  // namespace

// Howard Hinnant's days_from_civil, in 64 bits.
std::int64_t days_from_civil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year += floor_div(month - 1, 12);
    month = month - 1 - 12 * floor_div(month - 1, 12) + 1;  // 1..12
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floor_div(year, 400);
    const std::int64_t year_of_era = year - era * 400;
    const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

std::optional<JapanCalendar> japan_calendar(std::int64_t unix_seconds) {
    if (unix_seconds > std::numeric_limits<std::int64_t>::max() - kJapanUtcOffsetSeconds)
        return std::nullopt;
    const std::int64_t local = unix_seconds + kJapanUtcOffsetSeconds;
    const std::int64_t days = floor_div(local, kSecondsPerDay);
    // The remainder, not local - days * kSecondsPerDay: that product overflows
    // for the earliest instants.
    std::int64_t seconds_of_day = local % kSecondsPerDay;
    if (seconds_of_day < 0) seconds_of_day += kSecondsPerDay;

    // Hinnant's civil_from_days.
    const std::int64_t z = days + 719468;
    const std::int64_t era = floor_div(z, 146097);
    const std::int64_t day_of_era = z - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t mp = (5 * day_of_year + 2) / 153;
    const std::int64_t day = day_of_year - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
    if (year < kMinYear || year > kMaxYear) return std::nullopt;

    JapanCalendar calendar;
    calendar.year = year;
    calendar.month = static_cast<int>(month);
    calendar.day = static_cast<int>(day);
    calendar.hour = static_cast<int>(seconds_of_day / 3600);
    calendar.minute = static_cast<int>(seconds_of_day / 60 % 60);
    calendar.second = static_cast<int>(seconds_of_day % 60);
    // 1970-01-01 was a Thursday.
    const std::int64_t weekday = (days + 4) % 7;
    calendar.weekday = static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
    return calendar;
}

std::int64_t japan_time_to_unix(std::int64_t year, std::int64_t month, std::int64_t day,
                                std::int64_t hour, std::int64_t minute, std::int64_t second) {
    return days_from_civil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second -
           kJapanUtcOffsetSeconds;
}

std::optional<std::int64_t> japan_date_time_to_unix(int year, int month, int day, int hour,
                                                    int minute, int second) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > days_in_month(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59) {
        return std::nullopt;
    }
    return japan_time_to_unix(year, month, day, hour, minute, second);
}

std::string japan_date_time_text(std::int64_t unix_seconds, char between) {
    const auto calendar = japan_calendar(unix_seconds);
    if (!calendar || calendar->year < 0 || calendar->year > 9999) return "?";
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d",
                  static_cast<int>(calendar->year), calendar->month, calendar->day, between,
                  calendar->hour, calendar->minute, calendar->second);
    return text;
}

std::optional<std::int64_t> parse_japan_date_time(std::string_view text) {
    // Digits at fixed places: "YYYY-MM-DD?HH:MM" and perhaps ":SS".
    if (text.size() != 16 && text.size() != 19) return std::nullopt;
    const auto field = [&](std::size_t at, std::size_t width) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = at; i < at + width; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') ||
        text[13] != ':' || (text.size() == 19 && text[16] != ':'))
        return std::nullopt;
    const auto year = field(0, 4);
    const auto month = field(5, 2);
    const auto day = field(8, 2);
    const auto hour = field(11, 2);
    const auto minute = field(14, 2);
    const auto second = text.size() == 19 ? field(17, 2) : std::optional<int>(0);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    return japan_date_time_to_unix(*year, *month, *day, *hour, *minute, *second);
}

}  // namespace kalvento
