#include "platform/japan_time.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <utility>

namespace kalvento::test {
namespace {

TEST(JapanTime, CalendarTimesAreJapanTimeWhateverTheProcessZone) {
    // The process zone must not matter: set one far from Japan.
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    // -1 one second before the epoch is a real time, not an error.
    const std::pair<std::array<int, 6>, std::optional<std::int64_t>> times[] = {
        {{2024, 1, 2, 3, 4, 5}, 1'704'132'245},  {{1970, 1, 1, 8, 59, 59}, -1},
        {{2024, 2, 29, 0, 0, 0}, 1'709'132'400}, {{2023, 2, 29, 0, 0, 0}, std::nullopt},
        {{2024, 13, 1, 0, 0, 0}, std::nullopt},  {{2024, 1, 1, 24, 0, 0}, std::nullopt},
        {{1900, 2, 29, 0, 0, 0}, std::nullopt},  {{2000, 2, 29, 0, 0, 0}, 951'750'000},
        {{1, 1, 1, 0, 0, 0}, -62'135'629'200},   {{10000, 1, 1, 0, 0, 0}, std::nullopt}};
    for (const auto& [t, expected] : times) {
        EXPECT_EQ(japan_date_time_to_unix(t[0], t[1], t[2], t[3], t[4], t[5]), expected)
            << t[0] << "-" << t[1] << "-" << t[2];
        if (!expected) continue;
        const auto back = japan_calendar(*expected);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->year, t[0]);
        EXPECT_EQ(back->month, t[1]);
        EXPECT_EQ(back->day, t[2]);
        EXPECT_EQ(back->hour, t[3]);
        EXPECT_EQ(back->minute, t[4]);
        EXPECT_EQ(back->second, t[5]);
    }
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    // 2010-01-05 00:30 in Japan: Tuesday there, Monday 15:30 in UTC.
    const auto tuesday = japan_calendar(1'262'619'000);
    ASSERT_TRUE(tuesday.has_value());
    EXPECT_EQ(tuesday->day, 5);
    EXPECT_EQ(tuesday->weekday, 2);
    // Fields that run over carry, as a broadcast day's 25:30 does.
    EXPECT_EQ(japan_time_to_unix(2010, 1, 4, 24, 30, 0), 1'262'619'000);
    EXPECT_EQ(japan_time_to_unix(2009, 13, 5, 0, 30, 0), 1'262'619'000);
}

TEST(JapanTime, FarInstantsHaveACalendarOrNone) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    EXPECT_FALSE(japan_calendar(kMax).has_value());
    EXPECT_FALSE(japan_calendar(kMin).has_value());
    // The last year a 32-bit year count from 1900 holds still has a calendar.
    const std::int64_t last_year = std::int64_t{std::numeric_limits<int>::max()} + 1900;
    const auto late = japan_calendar(japan_time_to_unix(last_year, 12, 31, 23, 59, 59));
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->year, last_year);
    EXPECT_FALSE(japan_calendar(japan_time_to_unix(last_year + 1, 1, 1, 0, 0, 0)).has_value());
    // Weekdays run on across the epoch: 1969-12-31 was a Wednesday.
    EXPECT_EQ(japan_calendar(japan_time_to_unix(1969, 12, 31, 12, 0, 0))->weekday, 3);
    EXPECT_EQ(japan_calendar(japan_time_to_unix(1, 1, 1, 0, 0, 0))->weekday, 1);
}

TEST(JapanTime, DateTimeTextIsReadBackAndNothingElseIs) {
    // 2026-12-07 23:30:05 in Japan is 14:30:05 UTC.
    const std::int64_t night = 1796653805;
    EXPECT_EQ(japan_date_time_text(night), "2026-12-07 23:30:05");
    EXPECT_EQ(japan_date_time_text(night, 'T'), "2026-12-07T23:30:05");
    EXPECT_EQ(parse_japan_date_time("2026-12-07 23:30:05"), night);
    EXPECT_EQ(parse_japan_date_time("2026-12-07T23:30"), night - 5);
    for (const char* wrong :
         {"2026-12-07", "2026-12-07 23:30:5", "2026-02-29 10:00", "2026-12-07 24:00",
          "2026-12-07_23:30", "2026-12-07 23:30:05Z", "２０２６-12-07 23:30"})
        EXPECT_FALSE(parse_japan_date_time(wrong).has_value()) << wrong;
}

}  // namespace
}  // namespace kalvento::test
