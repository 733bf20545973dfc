#include "rules/broadcast_days.h"

#include "platform/japan_time.h"
#include "rules/rule_keys.h"

#include <algorithm>

namespace kalvento {
namespace {

std::int64_t floor_div(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// The weekday in Japan of any instant; 1970-01-01 was a Thursday. The offset
// is added to the time of day only, so no instant overflows.
int japan_weekday(std::int64_t time) {
    std::int64_t days = floor_div(time, kSecondsPerDay);
    // The time of day as a remainder: days * kSecondsPerDay overflows for the
    // earliest instants.
    std::int64_t time_of_day = time % kSecondsPerDay;
    if (time_of_day < 0) time_of_day += kSecondsPerDay;
    if (time_of_day + kJapanUtcOffsetSeconds >= kSecondsPerDay) ++days;
    return static_cast<int>((days % kWeekdayCount + kWeekdayCount + 4) % kWeekdayCount);
}

}  // namespace

std::int64_t count_flagged_days(std::int64_t first, std::int64_t last,
                                const std::array<std::int32_t, 7>& week_check) {
    // Unsigned arithmetic: the span of two 64-bit instants needs all 64 bits,
    // while every instant of the walk lies between `first` and `last`.
    const std::uint64_t span = static_cast<std::uint64_t>(last) - static_cast<std::uint64_t>(first);
    const std::int64_t steps =
        last < first ? 1 : static_cast<std::int64_t>(span / kSecondsPerDay) + 1;
    const std::int64_t flags_per_week = std::count_if(week_check.begin(), week_check.end(),
                                                      [](std::int32_t flag) { return flag != 0; });
    // Japan keeps one offset all year, so every seven steps in a row are the
    // seven weekdays once; only the last partial week is walked day by day.
    std::int64_t count = steps / kWeekdayCount * flags_per_week;
    const int first_weekday = japan_weekday(first);
    for (std::int64_t k = 0; k < steps % kWeekdayCount; ++k) {
        const auto weekday = static_cast<std::size_t>((first_weekday + k) % kWeekdayCount);
        if (week_check[weekday] != 0) ++count;
    }
    return count;
}

}  // namespace kalvento
