// Broadcast times are Japan Standard Time: UTC+9 all year, no daylight
// saving. Every conversion between a broadcast or rule time and seconds since
// 1970 goes through these functions, never through the process's time zone,
// so a server whose zone is UTC names, dates and numbers files exactly as a
// machine in Japan does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::int64_t kSecondsPerDay = 86'400;
inline constexpr std::int64_t kJapanUtcOffsetSeconds = 9 * 3600;

// One instant as a calendar in Japan.
struct JapanCalendar {
    std::int64_t year = 0;  // full year
    int month = 0;          // 1..12
    int day = 0;            // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  // 0 = Sunday
};

// The Japan calendar of an instant; nullopt when its year lies outside the
// years a C calendar record can hold (those of a 32-bit year count from 1900).
std::optional<JapanCalendar> japan_calendar(std::int64_t unix_seconds);

// Seconds since 1970 of a Japan calendar time. The fields are taken as they
// come: a day past the month's end or an hour past 23 runs into the next day,
// as a broadcast day's "25:30" does.
std::int64_t japan_time_to_unix(std::int64_t year, std::int64_t month, std::int64_t day,
                                std::int64_t hour, std::int64_t minute, std::int64_t second);

// The same for a calendar time that must exist: nullopt for fields out of
// range (month 1..12, the month's days, hour 0..23, minute and second 0..59)
// and for years outside 1..9999.
std::optional<std::int64_t> japan_date_time_to_unix(int year, int month, int day, int hour,
                                                    int minute, int second);

// "YYYY-MM-DD HH:MM:SS" of an instant in Japan, with `between` (' ' or 'T')
// between date and time; "?" for an instant without a calendar.
std::string japan_date_time_text(std::int64_t unix_seconds, char between = ' ');

// The instant of a Japan time written "YYYY-MM-DD HH:MM[:SS]" or
// "YYYY-MM-DDTHH:MM[:SS]"; nullopt for any other text or a time that does
// not exist.
std::optional<std::int64_t> parse_japan_date_time(std::string_view text);

// Days since 1970-01-01 of a proleptic Gregorian date (month may run outside
// 1..12 and carries into the year).
std::int64_t days_from_civil(std::int64_t year, std::int64_t month, std::int64_t day);

}  // namespace kalvento
