#include "schedule/result_page.h"
#include "schedule/result_fields.h"

#include "platform/codepage.h"
#include "tests/schedule/schedule_test_util.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

// A page as the client hands it over: code page 932 with CR LF line ends.
std::string page_of(const std::string& utf8_lines) {
    std::string page;
    for (char c : cp932(utf8_lines)) {
        if (c == '\n') page += '\r';
        page += c;
    }
    return page;
}

ResultRow row_at(const std::string& date, const std::string& time) {
    ResultRow row;
    row.date = date;
    row.timeRange = time;
    return row;
}

TEST(ResultPage, CutsLinkedLinesIntoRows) {
    const std::string page =
        page_of("<tr><th>head</th></tr>\n" +
                result_line("2010/01/05(火)", "25:30-26:00", "番組名 #5 サブ", "TOKYO MX", "再") +
                "<a href=/tid/9>not quoted</a>\n" +
                result_line("2010/1/6", "9:00-9:30", "番組名 #6", "BS11"));
    // The last line has no line end and still counts.
    const std::vector<ResultRow> rows = scrape_result_page(page + "<a href=\"/tid/7\">last</a>");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].date, "2010/01/05");
    EXPECT_EQ(rows[0].timeRange, "25:30-26:00");
    EXPECT_EQ(rows[0].linkText, cp932("番組名 #5 サブ"));
    EXPECT_EQ(rows[0].cell, "TOKYO MX");
    EXPECT_EQ(rows[0].span, cp932("再"));
    EXPECT_EQ(rows[0].line.find("&nbsp;"), std::string::npos);
    EXPECT_EQ(rows[1].date, "2010/1/6");
    EXPECT_EQ(rows[1].span, "");
    EXPECT_EQ(rows[2].linkText, "last");

    // Removed "&nbsp;" before the link does not shift the link's text.
    const std::vector<ResultRow> spaced =
        scrape_result_page("<td>" + std::string(40, ' ') +
                           "&nbsp;&nbsp;&nbsp;&nbsp;</td><td><a href=\"/tid/1\">T #1</a></td>");
    ASSERT_EQ(spaced.size(), 1u);
    EXPECT_EQ(spaced[0].linkText, "T #1");

    EXPECT_TRUE(scrape_result_page(page_of("<p>no results</p>\n")).empty());
    EXPECT_TRUE(scrape_result_page("").empty());
}

TEST(ResultPage, ChoosesTheRowNearestToTheStart) {
    const std::int64_t start = local_seconds(2010, 1, 6, 1, 30);
    // 28-hour times count into the next day.
    EXPECT_EQ(row_start_time(row_at("2010/01/05", "25:30-26:00")), start);
    EXPECT_FALSE(row_start_time(row_at("", "25:30-26:00")));
    EXPECT_FALSE(row_start_time(row_at("2010/01/05", "")));
    EXPECT_FALSE(row_start_time(row_at("99999999999/1/1", "1:00-2:00")));

    const std::vector<ResultRow> rows = {
        row_at("2010/01/05", "19:30-20:00"),  // 6 h early
        row_at("2010/01/06", "06:29-07:00"),  // 4 h 59 min late
        row_at("2010/01/05", "22:00-22:30"),  // 3 h 30 min early
        row_at("2010/01/06", "05:00-05:30"),  // also 3 h 30 min, later in the list
    };
    EXPECT_EQ(choose_row(rows, false, start), 2u);
    EXPECT_EQ(choose_row({rows[1]}, false, start), 0u);
    EXPECT_FALSE(choose_row({rows[0]}, false, start));
    EXPECT_FALSE(choose_row({row_at("2010/01/06", "06:30-07:00")}, false, start));  // exactly 5 h
    // With a subtitle searched the first row is taken, wherever it lies.
    EXPECT_EQ(choose_row(rows, true, start), 0u);
    EXPECT_FALSE(choose_row({}, true, start));
}

TEST(ResultFields, ReadTitleNumbersAndSubtitleFromTheLink) {
    EXPECT_EQ(title_before_number(cp932("番組名 #5")), cp932("番組名"));
    EXPECT_EQ(episode_numbers(cp932("番組名 #5")), "#5");
    EXPECT_EQ(subtitle_after_numbers(cp932("番組名 #5")), "");
    EXPECT_EQ(subtitle_after_numbers(cp932("番組名 #5 　サブ ")), cp932("サブ"));
    EXPECT_EQ(subtitle_after_numbers(cp932("番組名のみ")), cp932("番組名のみ"));

    EXPECT_EQ(title_before_number(cp932("A #1 B #3～#5")), cp932("A #1 B"));
    EXPECT_EQ(episode_numbers(cp932("番組名 #3～#5")), "#3,#5");
    EXPECT_EQ(subtitle_after_numbers(cp932("番組名 #3～#5")), cp932("～"));
    EXPECT_EQ(episode_numbers(cp932("T #1 a #2 b #3 c")), "#1,#2,#3");
    EXPECT_EQ(subtitle_after_numbers("T #1 a #2 b #3 c"), "a  b  c");
    // A number right behind the previous one is not listed.
    EXPECT_EQ(episode_numbers("T #3#4"), "#3");
    EXPECT_EQ(episode_numbers("no number"), "");
}

TEST(ResultFields, FillsInTheEpisodesOfARange) {
    EXPECT_EQ(episode_range("#3,#5"), (std::vector<std::string>{"#3", "#4", "#5"}));
    EXPECT_EQ(episode_range("#3,#5,#7"), (std::vector<std::string>{"#3", "#4", "#5", "#6", "#7"}));
    EXPECT_EQ(episode_range("#5,#3"), (std::vector<std::string>{"#5", "#3"}));
    EXPECT_EQ(episode_range("#1,#99999999999999999999").size(), kEpisodeItemLimit);

    std::vector<ResultRow> rows(3);
    rows[0].linkText = cp932("番組名 #4 第四話");
    rows[1].linkText = cp932("番組名 #3 第三話");
    rows[2].linkText = cp932("番組名 #3 ほかの行");
    EXPECT_EQ(episode_subtitles(cp932("番組名"), {"#3", "#4", "#5"}, rows),
              cp932("「第三話」、「第四話」"));
    EXPECT_EQ(episode_subtitles(cp932("番組名"), {"#9"}, rows), "");
}

}  // namespace
}  // namespace kalvento::test
