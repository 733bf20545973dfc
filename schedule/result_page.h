// Reading the schedule service's result page: one row per page line that
// links to a title, and the choice of the row that belongs to a recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Rows beyond this many are not read: a result page holds far fewer, and a
// hostile reply must not cost unbounded time.
inline constexpr std::size_t kResultRowLimit = 5000;
// A row is taken for a recording only when it starts less than this many
// seconds away from the recording's start.
inline constexpr std::int64_t kRowDistanceLimit = 18000;

struct ResultRow {
    std::string line;       // the page line, every "&nbsp;" removed
    std::string date;       // first "year/month/day"
    std::string timeRange;  // first "hh:mm-hh:mm"
    std::string linkText;   // text of the title link
    std::string cell;       // text of the table cell after the link
    std::string span;       // text of the line's span
};

// The rows of a page (code page 932, CR LF line ends), in page order.
std::vector<ResultRow> scrape_result_page(std::string_view page);

// The row's start in seconds since 1970, its date and the start of its time
// range read as Japan time (hours past 23 count into the next day); nullopt
// when the row carries no usable date or time.
std::optional<std::int64_t> row_start_time(const ResultRow& row);

// The row of the recording: the first row when a subtitle was searched for;
// otherwise the row starting nearest to `start_time`, closer than
// kRowDistanceLimit, the first of equally near rows.
std::optional<std::size_t> choose_row(const std::vector<ResultRow>& rows, bool subtitle_searched,
                                      std::int64_t start_time);

}  // namespace kalvento
