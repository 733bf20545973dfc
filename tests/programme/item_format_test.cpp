#include "programme/item_format.h"
#include "platform/japan_time.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/codepage.h"

namespace kalvento::test {
namespace {

ProgramInfo dated(int year, int month, int day, int hour, int minute) {
    ProgramInfo info;
    info.startTime = japan_time_to_unix(year, month, day, hour, minute, 0);
    set_date_items(info);
    return info;
}

using Field = std::string ProgramInfo::*;

TEST(ItemFormat, DateItemsAndTheBroadcastDay) {
    // Small hours belong to the previous broadcast day: 01:30 on Saturday is 25:30 on Friday.
    // clang-format off
    const struct {
        ProgramInfo info;
        std::vector<std::pair<Field, const char*>> fields;
    } cases[] = {
        {dated(2010, 4, 24, 1, 30),
         {{&ProgramInfo::dateMD, "04月24日(土)"},
          {&ProgramInfo::dateMD28, "04月23日(金)"}, {&ProgramInfo::timeHM, "01時30分"},
          {&ProgramInfo::timeHM28, "25時30分"}, {&ProgramInfo::dateYMDJ, "2010年04月24日(土)"},
          {&ProgramInfo::dateYMDJ28, "2010年04月23日(金)"}, {&ProgramInfo::dateYMDSlash, "2010／04／24"},
          {&ProgramInfo::dateYMDSlash28, "2010／04／23"}, {&ProgramInfo::timeColon, "01：30"},
          {&ProgramInfo::timeColon28, "25：30"}, {&ProgramInfo::stamp, "201004240130"},
          {&ProgramInfo::stamp28, "201004232530"}, {&ProgramInfo::dateISO, "2010-04-24"},
          {&ProgramInfo::dateISO28, "2010-04-23"}, {&ProgramInfo::dateDots, "04.24.10"},
          {&ProgramInfo::dateDots28, "04.23.10"}, {&ProgramInfo::dateCompact, "20100424(土)"},
          {&ProgramInfo::dateCompact28, "20100423(金)"}}},
        {dated(2010, 4, 24, 4, 59),
         {{&ProgramInfo::timeHM28, "28時59分"}, {&ProgramInfo::stamp28, "201004232859"}}},
        {dated(2010, 4, 24, 5, 0),
         {{&ProgramInfo::timeHM28, "05時00分"},
          {&ProgramInfo::dateMD28, "04月24日(土)"}, {&ProgramInfo::stamp28, "201004240500"},
          {&ProgramInfo::dateCompact28, "20100424(土)"}}},
        // Past midnight on New Year's Day: the broadcast day is New Year's Eve.
        {dated(2011, 1, 1, 0, 10),
         {{&ProgramInfo::dateISO, "2011-01-01"},
          {&ProgramInfo::dateISO28, "2010-12-31"}, {&ProgramInfo::dateDots28, "12.31.10"},
          {&ProgramInfo::timeColon28, "24：10"}, {&ProgramInfo::dateYMDJ, "2011年01月01日(土)"},
          {&ProgramInfo::dateYMDJ28, "2010年12月31日(金)"}}},
    };
    // clang-format on
    for (const auto& c : cases)
        for (const auto& [field, expected] : c.fields)
            EXPECT_EQ(c.info.*field, cp932(expected)) << expected;

    // Every weekday letter, Sunday 2010-04-18 to Saturday 2010-04-24.
    const char* const letters[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(dated(2010, 4, 18 + day, 12, 0).dateCompact,
                  cp932("201004" + std::to_string(18 + day) + "(" + letters[day] + ")"));
}

TEST(ItemFormat, AvText) {
    // clang-format off
    const std::tuple<int, int, int, const char*> cases[] = {
        {0xB3, 3, 0, "1080i(16:9)[stereo]"}, {0, 0, 0, "480i(--)[--]"},
        {0x01, 2, 0, "480i(4:3)[2mon]"},     {0xA4, 9, 1, "480p(4:3pan)[5.1chB]"},
        {0xC3, 1, 2, "--(16:9)[mon]"},       {0xB2, 7, 0, "1080i(--)[4ch]"},
        {0xB1, 8, 3, "1080i(4:3)[5ch]"},     {0xB3, 4, 0, "1080i(16:9)[--]"},
    };
    // clang-format on
    for (const auto& [component, mode, audio, expected] : cases)
        EXPECT_EQ(format_av_text(component, mode, audio), expected);
}

TEST(ItemFormat, GenreTexts) {
    // Level 1, level 2, genre, major, minor; unknown sub-genres, no genre, the
    // user-defined majors and the last entries of the longest lists.
    // clang-format off
    const std::tuple<int, int, const char*, const char*, const char*> cases[] = {
        {0x7, 0x0, "アニメ／特撮(国内アニメ)", "アニメ／特撮", "国内アニメ"},
        {0x3, 0x5, "ドラマ", "ドラマ", ""},
        {0x0, 0xF, "ニュース／報道(その他)", "ニュース／報道", "その他"},
        {0xF, 0xF, "その他(その他)", "その他", "その他"},
        {-1, -1, "ジャンル無し", "ジャンル無し", ""},
        {0xC, 0x0, "", "", ""},
        {0xD, 0xF, "(その他)", "", "その他"},
        {0xE, 0xF, "(その他)", "", "その他"},
        {0xA, 0xC, "趣味／教育(教育問題)", "趣味／教育", "教育問題"},
        {0xB, 0x6, "福祉(音声解説)", "福祉", "音声解説"},
        {0xB, 0x7, "福祉", "福祉", ""},
    };
    // clang-format on
    ProgramInfo info;
    for (const auto& [level1, level2, genre, major, minor] : cases) {
        set_genre_items(level1, level2, info);
        EXPECT_EQ(info.genre, cp932(genre)) << level1 << " " << level2;
        EXPECT_EQ(info.genreMajor, cp932(major)) << level1 << " " << level2;
        EXPECT_EQ(info.genreMinor, cp932(minor)) << level1 << " " << level2;
    }
}

}  // namespace
}  // namespace kalvento::test
