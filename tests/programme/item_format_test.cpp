#include "programme/item_format.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/codepage.h"

namespace kalvento {
namespace {

std::int64_t local_time(int year, int month, int day, int hour, int minute) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

ProgramInfo dated(std::int64_t start) {
    ProgramInfo info;
    info.startTime = start;
    set_date_items(info);
    return info;
}

TEST(ItemFormat, SmallHoursBelongToThePreviousBroadcastDay) {
    const ProgramInfo info = dated(local_time(2010, 4, 24, 1, 30));  // a Saturday
    EXPECT_EQ(info.dateMD, cp932("04月24日(土)"));
    EXPECT_EQ(info.timeHM, cp932("01時30分"));
    EXPECT_EQ(info.dateMD28, cp932("04月23日(金)"));
    EXPECT_EQ(info.timeHM28, cp932("25時30分"));
    EXPECT_EQ(info.dateYMDJ, cp932("2010年04月24日(土)"));
    EXPECT_EQ(info.dateYMDJ28, cp932("2010年04月23日(金)"));
    EXPECT_EQ(info.dateYMDSlash, cp932("2010／04／24"));
    EXPECT_EQ(info.dateYMDSlash28, cp932("2010／04／23"));
    EXPECT_EQ(info.timeColon, cp932("01：30"));
    EXPECT_EQ(info.timeColon28, cp932("25：30"));
    EXPECT_EQ(info.stamp, "201004240130");
    EXPECT_EQ(info.stamp28, "201004232530");
    EXPECT_EQ(info.dateISO, "2010-04-24");
    EXPECT_EQ(info.dateISO28, "2010-04-23");
    EXPECT_EQ(info.dateDots, "04.24.10");
    EXPECT_EQ(info.dateDots28, "04.23.10");
    EXPECT_EQ(info.dateCompact, cp932("20100424(土)"));
    EXPECT_EQ(info.dateCompact28, cp932("20100423(金)"));
}

TEST(ItemFormat, BroadcastDayBoundaries) {
    const ProgramInfo late = dated(local_time(2010, 4, 24, 4, 59));
    EXPECT_EQ(late.timeHM28, cp932("28時59分"));
    EXPECT_EQ(late.stamp28, "201004232859");

    const ProgramInfo morning = dated(local_time(2010, 4, 24, 5, 0));
    EXPECT_EQ(morning.timeHM28, cp932("05時00分"));
    EXPECT_EQ(morning.dateMD28, morning.dateMD);
    EXPECT_EQ(morning.stamp28, morning.stamp);
    EXPECT_EQ(morning.dateCompact28, morning.dateCompact);

    // Past midnight on New Year's Day: the broadcast day is New Year's Eve.
    const ProgramInfo new_year = dated(local_time(2011, 1, 1, 0, 10));
    EXPECT_EQ(new_year.dateISO, "2011-01-01");
    EXPECT_EQ(new_year.dateISO28, "2010-12-31");
    EXPECT_EQ(new_year.dateDots28, "12.31.10");
    EXPECT_EQ(new_year.timeColon28, cp932("24：10"));
    EXPECT_EQ(new_year.dateYMDJ, cp932("2011年01月01日(土)"));
    EXPECT_EQ(new_year.dateYMDJ28, cp932("2010年12月31日(金)"));

    // Every weekday letter, Sunday 2010-04-18 to Saturday 2010-04-24.
    const char* const letters[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int day = 0; day < 7; ++day) {
        const ProgramInfo info = dated(local_time(2010, 4, 18 + day, 12, 0));
        EXPECT_EQ(info.dateCompact,
                  cp932("201004" + std::to_string(18 + day) + "(" + letters[day] + ")"));
    }
}

TEST(ItemFormat, AvText) {
    EXPECT_EQ(format_av_text(0xB3, 3, 0), "1080i(16:9)[stereo]");
    EXPECT_EQ(format_av_text(0, 0, 0), "480i(--)[--]");
    EXPECT_EQ(format_av_text(0x01, 2, 0), "480i(4:3)[2mon]");
    EXPECT_EQ(format_av_text(0xA4, 9, 1), "480p(4:3pan)[5.1chB]");
    EXPECT_EQ(format_av_text(0xC3, 1, 2), "--(16:9)[mon]");
    EXPECT_EQ(format_av_text(0xB2, 7, 0), "1080i(--)[4ch]");
    EXPECT_EQ(format_av_text(0xB1, 8, 3), "1080i(4:3)[5ch]");
    EXPECT_EQ(format_av_text(0xB3, 4, 0), "1080i(16:9)[--]");
}

TEST(ItemFormat, GenreTexts) {
    ProgramInfo info;
    set_genre_items(0x7, 0x0, info);
    EXPECT_EQ(info.genre, cp932("アニメ／特撮(国内アニメ)"));
    EXPECT_EQ(info.genreMajor, cp932("アニメ／特撮"));
    EXPECT_EQ(info.genreMinor, cp932("国内アニメ"));

    set_genre_items(0x3, 0x5, info);  // no such drama sub-genre
    EXPECT_EQ(info.genre, cp932("ドラマ"));
    EXPECT_EQ(info.genreMinor, "");

    set_genre_items(0x0, 0xF, info);
    EXPECT_EQ(info.genre, cp932("ニュース／報道(その他)"));

    set_genre_items(0xF, 0xF, info);
    EXPECT_EQ(info.genre, cp932("その他(その他)"));

    set_genre_items(-1, -1, info);
    EXPECT_EQ(info.genre, cp932("ジャンル無し"));
    EXPECT_EQ(info.genreMajor, cp932("ジャンル無し"));
    EXPECT_EQ(info.genreMinor, "");

    for (int level1 = 0xC; level1 <= 0xE; ++level1) {
        set_genre_items(level1, 0x0, info);
        EXPECT_EQ(info.genre, "") << level1;
        set_genre_items(level1, 0xF, info);
        EXPECT_EQ(info.genre, cp932("(その他)")) << level1;
    }

    // Last entries of the longest lists.
    set_genre_items(0xA, 0xC, info);
    EXPECT_EQ(info.genre, cp932("趣味／教育(教育問題)"));
    set_genre_items(0xB, 0x6, info);
    EXPECT_EQ(info.genre, cp932("福祉(音声解説)"));
    set_genre_items(0xB, 0x7, info);
    EXPECT_EQ(info.genre, cp932("福祉"));
}

}  // namespace
}  // namespace kalvento
