// The date and time values that the date macros of a template print.
#pragma once

#include "rules/macro_table.h"

#include <cstdint>
#include <string>

namespace kalvento {

// One instant broken down in Japan time. A time the calendar cannot hold
// leaves every field 0.
struct CalendarFields {
    std::int64_t year = 0;  // full year, e.g. 2010 (wider than int: the C library counts from 1900)
    int month = 0;          // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  // 0 = Sunday
};

// A programme that starts before this hour belongs, in the 28-hour forms, to
// the previous day.
inline constexpr int kMacroDayStartHour = 4;

struct MacroDates {
    CalendarFields start;
    CalendarFields end;
    CalendarFields day28;  // the start, or the day before when the start is before 04:00
    int start28 = 0;       // start hour, 24..27 before 04:00
    int end28 = 0;         // end hour, shifted by 24 when the START is before 04:00
};

MacroDates compute_macro_dates(std::int64_t start_time, std::int64_t end_time);

// Appends the value of a date macro in its printed form.
void append_date_field(DateField field, const MacroDates& dates, std::string& output);

}  // namespace kalvento
