#include "rules/broadcast_days.h"

#include <algorithm>
#include <ctime>

namespace kalvento {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kDaysPerWeek = 7;

// Between these instants (1800-01-01 and 2100-01-01 UTC) time zones have
// changed their offsets, and daylight saving periods come and go within a
// year. There the walk checks the offset every four weeks, which catches every
// offset period of four weeks or longer; outside it a zone keeps one offset (or
// its yearly rule) and the walk jumps as far as the offset allows.
constexpr std::int64_t kDenseFrom = -5'364'662'400;
constexpr std::int64_t kDenseUntil = 4'102'444'800;
constexpr std::int64_t kDenseBlockWeeks = 4;

struct LocalDay {
    int weekday = 0;
    long offset = 0;  // seconds east of UTC
};

std::int64_t floor_div(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

LocalDay local_day(std::int64_t time) {
    const auto value = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&value, &tm) != nullptr) return {tm.tm_wday, tm.tm_gmtoff};
    // Beyond the years the calendar can hold: count days in UTC (1970-01-01
    // was a Thursday), like a zone with offset 0.
    const std::int64_t weekday = (floor_div(time, kSecondsPerDay) + 4) % kDaysPerWeek;
    return {static_cast<int>(weekday < 0 ? weekday + kDaysPerWeek : weekday), 0};
}

}  // namespace

std::int64_t count_flagged_days(std::int64_t first, std::int64_t last,
                                const std::array<std::int32_t, 7>& week_check) {
    // Unsigned arithmetic: the span of two 64-bit instants needs all 64 bits,
    // while every instant of the walk lies between `first` and `last`.
    const std::uint64_t span = static_cast<std::uint64_t>(last) - static_cast<std::uint64_t>(first);
    const std::int64_t steps =
        last < first ? 1 : static_cast<std::int64_t>(span / kSecondsPerDay) + 1;
    auto instant = [first](std::int64_t step) {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(first) +
                                         static_cast<std::uint64_t>(step) * kSecondsPerDay);
    };
    auto flagged = [&week_check](const LocalDay& day) {
        return week_check[static_cast<std::size_t>(day.weekday) % week_check.size()] != 0 ? 1 : 0;
    };
    const std::int64_t flags_per_week = std::count_if(week_check.begin(), week_check.end(),
                                                      [](std::int32_t flag) { return flag != 0; });

    std::int64_t count = 0;
    std::int64_t done = 0;
    while (steps - done >= kDaysPerWeek) {
        const std::int64_t at = instant(done);
        std::int64_t weeks = (steps - done) / kDaysPerWeek;
        if (at >= kDenseFrom && at < kDenseUntil) {
            weeks = std::min(weeks, kDenseBlockWeeks);
        } else if (at < kDenseFrom) {
            weeks = std::min(weeks, std::max<std::int64_t>(
                                        1, (kDenseFrom - at) / (kDaysPerWeek * kSecondsPerDay)));
        }
        // Seven days in a row under one offset are seven different weekdays.
        const long offset = local_day(at).offset;
        auto offset_at_block_end = [&] {
            return local_day(instant(done + weeks * kDaysPerWeek - 1)).offset;
        };
        long end_offset = offset_at_block_end();
        while (end_offset != offset && weeks > 1) {
            weeks /= 2;
            end_offset = offset_at_block_end();
        }
        if (end_offset == offset) {
            count += weeks * flags_per_week;
            done += weeks * kDaysPerWeek;
            continue;
        }
        // The offset changes within this week: look at each day.
        for (std::int64_t k = 0; k < kDaysPerWeek; ++k)
            count += flagged(local_day(instant(done + k)));
        done += kDaysPerWeek;
    }
    for (; done < steps; ++done) count += flagged(local_day(instant(done)));
    return count;
}

}  // namespace kalvento
