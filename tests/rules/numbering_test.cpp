// Episode numbering: the count from a rule's entries, the numbering text and printing.
#include "rules/numbering.h"
#include "rules/broadcast_days.h"
#include "rules/numbering_entry_text.h"

#include "engine_test_util.h"

#include <gtest/gtest.h>

#include "platform/japan_time.h"

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kalvento::test {
namespace {

using Week = std::array<std::int32_t, 7>;

constexpr std::int64_t kDay = 86'400;
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

NumberingEntry entry(std::int64_t start, std::int32_t number, std::initializer_list<int> weekdays) {
    NumberingEntry result;
    result.StartTime = start;
    result.StartNo = number;
    for (int weekday : weekdays) result.WeekCheck[static_cast<std::size_t>(weekday)] = 1;
    return result;
}

// The plain day-by-day walk the fast count must agree with.
std::int64_t walk_days(std::int64_t first, std::int64_t last, const Week& week) {
    std::int64_t count = 0;
    std::int64_t t = first;
    do {
        const auto day = japan_calendar(t);
        if (day && week[static_cast<std::size_t>(day->weekday)] != 0) ++count;
        t += kDay;
    } while (t <= last);
    return count;
}

// Switches the process time zone for one test and back.
struct ZoneScope {
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> saved;
};

std::string printed(const std::vector<std::int32_t>& numbers, int width, bool hash) {
    std::string text;
    print_episode_numbers(numbers, width, hash, text);
    return text;
}

TEST(EpisodeNumbering, CountsFlaggedWeekdaysFromTheAnchor) {
    const std::int64_t tuesday = local_time(2010, 1, 5);
    const std::vector<NumberingEntry> tuesdays = {entry(tuesday, 1, {2})};
    EXPECT_EQ(count_episode_number(tuesdays, local_time(2010, 1, 5, 23, 0)), 1);
    EXPECT_EQ(count_episode_number(tuesdays, local_time(2010, 1, 12, 0, 30)), 2);
    EXPECT_EQ(count_episode_number(tuesdays, local_time(2010, 1, 11, 23, 0)), 1);
    EXPECT_EQ(count_episode_number(tuesdays, local_time(2010, 1, 4, 23, 0)), 0);  // too early

    // A broadcast at 01:30 counts on the weekday of that morning.
    const std::int64_t wednesday = local_time(2010, 1, 6);
    const std::int64_t night = local_time(2010, 1, 13, 1, 30);
    EXPECT_EQ(count_episode_number({entry(wednesday, 1, {3})}, night), 2);
    EXPECT_EQ(count_episode_number({entry(wednesday, 1, {2})}, night), 1);

    // Several weekdays, and no weekday at all.
    EXPECT_EQ(
        count_episode_number({entry(tuesday, 10, {1, 2, 3, 4, 5})}, local_time(2010, 1, 19, 12, 0)),
        20);
    EXPECT_EQ(count_episode_number({entry(tuesday, 5, {})}, local_time(2011, 1, 1)), 4);
}

TEST(EpisodeNumbering, SelectsTheLastEntryNotLaterThanTheStart) {
    const std::vector<NumberingEntry> entries = {entry(local_time(2010, 1, 5), 1, {2}),
                                                 entry(local_time(2010, 4, 6), 1, {2})};
    EXPECT_EQ(count_episode_number(entries, local_time(2010, 3, 30, 22, 0)), 13);
    EXPECT_EQ(count_episode_number(entries, local_time(2010, 4, 13, 22, 0)), 2);
    EXPECT_EQ(count_episode_number({}, local_time(2010, 4, 13)), 0);
    // An unset anchor gives 0, also when later entries exist.
    EXPECT_EQ(count_episode_number({entry(0, 7, {2}), entry(local_time(2030, 1, 1), 1, {2})},
                                   local_time(2010, 4, 13)),
              0);
}

TEST(EpisodeNumbering, ExtremeAnchorsStayFastAndWrapLikeA32BitCounter) {
    const Week every_day = {1, 1, 1, 1, 1, 1, 1};
    const Week sundays = {1, 0, 0, 0, 0, 0, 0};
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const std::int64_t all_steps = static_cast<std::int64_t>(~std::uint64_t{0} / kDay) + 1;
    EXPECT_EQ(count_flagged_days(kMin, kMax, every_day), all_steps);
    EXPECT_NEAR(static_cast<double>(count_flagged_days(kMin, kMax, sundays)), all_steps / 7.0,
                16.0);
    EXPECT_EQ(count_flagged_days(kMax, kMax, every_day), 1);
    EXPECT_EQ(count_flagged_days(5, 1, every_day), 1);  // the walk always looks at its first day

    // Year 1 to 2010 in Japan time, against the plain walk only near the end.
    const std::int64_t year_one = local_time(1, 1, 1);
    const std::int64_t now = local_time(2010, 1, 5, 12, 0);
    EXPECT_EQ(count_flagged_days(year_one, now, every_day), (now - year_one) / kDay + 1);

    // The counter wraps instead of overflowing.
    EXPECT_EQ(count_episode_number({entry(local_time(2010, 1, 5), kIntMax, {2})},
                                   local_time(2010, 1, 12, 22, 0)),
              kIntMin);
    EXPECT_EQ(
        count_episode_number({entry(local_time(2010, 1, 5), kIntMin, {})}, local_time(2010, 1, 12)),
        kIntMax);
    EXPECT_EQ(count_episode_number({entry(kMin, 1, {0, 1, 2, 3, 4, 5, 6})}, kMax),
              static_cast<std::int32_t>(all_steps));
}

TEST(EpisodeNumbering, FastCountEqualsTheDailyWalkInAnyProcessZone) {
    const Week patterns[] = {{1, 0, 0, 0, 0, 0, 0},
                             {0, 0, 1, 0, 0, 0, 0},
                             {0, 0, 0, 0, 0, 0, 1},
                             {0, 1, 0, 1, 0, 1, 0},
                             {1, 1, 1, 1, 1, 1, 1}};
    // Broadcast days are counted in Japan whatever the process's zone says:
    // anchors at and off midnight, across Japan's old summer time and the
    // daylight saving of the zones a server may run in.
    for (const char* zone : {"UTC", "America/New_York", "Europe/Berlin", "Asia/Tokyo"}) {
        const ZoneScope scope(zone);
        const std::pair<std::int64_t, std::int64_t> ranges[] = {
            {local_time(1947, 12, 30), local_time(1953, 1, 1)},
            {local_time(2011, 1, 4, 23, 30), local_time(2014, 9, 1, 0, 30)},
            {local_time(2012, 6, 5, 4, 0), local_time(2019, 12, 24, 3, 59)},
        };
        for (const auto& [first, last] : ranges) {
            for (const Week& week : patterns) {
                for (std::int64_t shift : {std::int64_t{0}, 3 * kDay, 10 * kDay}) {
                    EXPECT_EQ(count_flagged_days(first + shift, last, week),
                              walk_days(first + shift, last, week))
                        << zone << " " << first;
                }
            }
        }
        // 2010-01-05 00:30 in Japan is a Tuesday, though it is still Monday in UTC.
        EXPECT_EQ(count_flagged_days(local_time(2010, 1, 5, 0, 30), local_time(2010, 1, 5, 0, 30),
                                     {0, 0, 1, 0, 0, 0, 0}),
                  1)
            << zone;
    }
}

TEST(EpisodeNumbering, NumberingTextReadsLikeAtoi) {
    EXPECT_EQ(parse_numbering_text("#12"), (std::vector<std::int32_t>{12}));
    EXPECT_EQ(parse_numbering_text("#1,#2"), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(parse_numbering_text("# -5,#+7x,#,,5"), (std::vector<std::int32_t>{-5, 7, 0, 0, 0}));
    EXPECT_EQ(parse_numbering_text("#99999999999,#-99999999999"),
              (std::vector<std::int32_t>{kIntMax, kIntMin}));
    EXPECT_EQ(parse_numbering_text(""), (std::vector<std::int32_t>{0}));
}

TEST(EpisodeNumbering, PreparationNeedsANumberingMacro) {
    ProgramInfo candidate;
    candidate.startTime = local_time(2010, 1, 12, 22, 0);
    RenameRule rule;
    rule.Numbering = {entry(local_time(2010, 1, 5), 3, {2})};

    rule.RenameText = "@TT";
    EXPECT_EQ(prepare_episode_numbers(candidate, rule), (std::vector<std::int32_t>{0}));
    for (const char* templ : {"@nb", "x@4NB", "@5nb", "@2NB"}) {
        rule.RenameText = templ;
        EXPECT_EQ(prepare_episode_numbers(candidate, rule), (std::vector<std::int32_t>{4}))
            << templ;
    }
    for (const char* templ : {"@12nb", "@Nb", "nb", "@ nb"})
        EXPECT_FALSE(template_uses_numbering(templ)) << templ;

    // The schedule row's numbers come first.
    rule.RenameText = "@2nb";
    candidate.resultNumbers = "#1,#3";
    EXPECT_EQ(prepare_episode_numbers(candidate, rule), (std::vector<std::int32_t>{1, 3}));
    rule.RenameText = "@TT";
    EXPECT_EQ(prepare_episode_numbers(candidate, rule), (std::vector<std::int32_t>{0}));
}

TEST(EpisodeNumbering, PrintsRangesAndNeighbours) {
    const std::vector<std::int32_t> range = {1, 3};
    const std::vector<std::int32_t> neighbours = {1, 2};
    const struct {
        int width;
        bool hash;
        const char* range;
        const char* neighbours;
    } formats[] = {{0, false, "1-3", "1,2"},
                   {3, false, "001-003", "001,002"},
                   {0, true, "#1-#3", "#1,#2"},
                   {4, true, "#0001-#0003", "#0001,#0002"}};
    for (const auto& format : formats) {
        EXPECT_EQ(printed(range, format.width, format.hash), format.range);
        EXPECT_EQ(printed(neighbours, format.width, format.hash), format.neighbours);
    }
    EXPECT_EQ(printed({-1, 0, 2}, 2, false), "-1,00-02");
    EXPECT_EQ(printed({kIntMax, kIntMin}, 0, false), "2147483647--2147483648");
    EXPECT_EQ(printed({kIntMin, kIntMin + 1}, 0, true), "#-2147483648,#-2147483647");
}

}  // namespace
}  // namespace kalvento::test

namespace kalvento::test {
namespace {

TEST(NumberingEntryText, DateNumberAndWeekdaysInJapanTime) {
    ZoneScope zone("America/New_York");
    std::string error;
    const auto tuesdays = numbering_entry_from_text("2010-01-05:7:tue", error);
    ASSERT_TRUE(tuesdays) << error;
    EXPECT_EQ(tuesdays->StartTime, local_time(2010, 1, 5));  // midnight in Japan
    EXPECT_EQ(tuesdays->StartNo, 7);
    EXPECT_EQ(tuesdays->WeekCheck, (Week{0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(numbering_entry_text(*tuesdays), "2010-01-05:7:tue");
    // The count it gives: episode 7 that Tuesday, 8 a week later.
    EXPECT_EQ(count_episode_number({*tuesdays}, local_time(2010, 1, 12, 23, 30)), 8);

    // Names in any case, the weekday characters alone or run together.
    const auto several = numbering_entry_from_text(cp932("2024-02-29:-2:SUN,月水,土"), error);
    ASSERT_TRUE(several) << error;
    EXPECT_EQ(several->StartTime, local_time(2024, 2, 29));
    EXPECT_EQ(several->WeekCheck, (Week{1, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(numbering_entry_text(*several), "2024-02-29:-2:sun,mon,wed,sat");
    EXPECT_EQ(numbering_entry_text(entry(local_time(2011, 4, 1), 1, {})), "2011-04-01:1:");

    for (const char* wrong :
         {"2010-01-05:7", "2010-01-05:7:tue:x", "2010-02-30:1:mon", "10-01-05:1:mon",
          "2010-01-05:seven:tue", "2010-01-05:1:", "2010-01-05:1:tue,", "2010-01-05:1:tues",
          "2010-01-05:99999999999:mon"}) {
        error.clear();
        EXPECT_FALSE(numbering_entry_from_text(wrong, error)) << wrong;
        EXPECT_FALSE(error.empty()) << wrong;
    }
    EXPECT_FALSE(numbering_entry_from_text(cp932("2010-01-05:1:月曜"), error));
}

}  // namespace
}  // namespace kalvento::test
