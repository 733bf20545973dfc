#include "schedule/result_page.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"
#include "text/regex_helpers.h"

namespace kalvento {
namespace {

constexpr std::string_view kLinkMarker = "a href=\"/tid";
// Larger numbers cannot be a date or a time; they would only overflow.
constexpr std::int64_t kLargestTimeField = 99999;

// Leading decimal digits of `text` from `position`; nullopt without any digit
// or when the number is absurdly large.
std::optional<int> leading_number(std::string_view text, std::size_t position) {
    std::int64_t value = 0;
    std::size_t i = position;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLargestTimeField) return std::nullopt;
    }
    if (i == position) return std::nullopt;
    return static_cast<int>(value);
}

// Every "&nbsp;" that starts a character removed, in one pass: a page line
// can be long, and removing one occurrence at a time would take quadratic time.
std::string without_nbsp(std::string_view line) {
    static constexpr std::string_view kNbsp = "&nbsp;";
    std::string out;
    out.reserve(line.size());
    std::size_t i = 0;
    while (i < line.size()) {
        if (line.substr(i, kNbsp.size()) == kNbsp) {
            i += kNbsp.size();
        } else {
            const std::size_t step = cp932_char_width(line, i);
            out.append(line.substr(i, step));
            i += step;
        }
    }
    return out;
}

ResultRow read_row(std::string_view raw_line) {
    ResultRow row;
    row.line = without_nbsp(raw_line);
    row.date = regex_extract(row.line, "[0-9]+/[0-9]+/[0-9]+");
    row.timeRange = regex_extract(row.line, "[0-9]+:[0-9]+-[0-9]+:[0-9]+");

    // The link is found again in the cleaned line, so removed "&nbsp;" before
    // it cannot push the tail past the end of the link's opening tag.
    const auto marker = row.line.find(kLinkMarker);
    const std::string_view tail =
        std::string_view(row.line).substr(marker == std::string::npos ? 0 : marker);
    row.linkText = regex_extract(tail, "(?<=\">).+(?=</a>)");
    row.cell = regex_extract(regex_extract(tail, "(?<=<td).+(?=</td>)"), "(?<=>).+");
    row.span = regex_extract(regex_extract(row.line, "(?<=<span).+(?=</span>)"), "(?<=>).+");
    return row;
}

}  // namespace

std::vector<ResultRow> scrape_result_page(std::string_view page) {
    std::vector<ResultRow> rows;
    std::size_t start = 0;
    while (start < page.size() && rows.size() < kResultRowLimit) {
        auto end = page.find("\r\n", start);
        if (end == std::string_view::npos) end = page.size();
        const std::string_view line = page.substr(start, end - start);
        if (line.find(kLinkMarker) != std::string_view::npos) rows.push_back(read_row(line));
        start = end + 2;
    }
    return rows;
}

std::optional<std::int64_t> row_start_time(const ResultRow& row) {
    const std::string_view date = row.date;
    const std::string_view range = row.timeRange;
    const auto first_slash = date.find('/');
    const auto second_slash =
        first_slash == std::string_view::npos ? first_slash : date.find('/', first_slash + 1);
    const auto colon = range.find(':');
    if (second_slash == std::string_view::npos || colon == std::string_view::npos)
        return std::nullopt;

    const auto year = leading_number(date, 0);
    const auto month = leading_number(date, first_slash + 1);
    const auto day = leading_number(date, second_slash + 1);
    const auto hour = leading_number(range, 0);
    const auto minute = leading_number(range, colon + 1);
    if (!year || !month || !day || !hour || !minute) return std::nullopt;

    return japan_time_to_unix(*year, *month, *day, *hour, *minute, 0);
}

std::optional<std::size_t> choose_row(const std::vector<ResultRow>& rows, bool subtitle_searched,
                                      std::int64_t start_time) {
    if (rows.empty()) return std::nullopt;
    if (subtitle_searched) return 0;
    std::optional<std::size_t> chosen;
    std::int64_t nearest = kRowDistanceLimit;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto start = row_start_time(rows[i]);
        if (!start) continue;
        const std::int64_t distance =
            *start > start_time ? *start - start_time : start_time - *start;
        if (distance < nearest) {
            nearest = distance;
            chosen = i;
        }
    }
    return chosen;
}

}  // namespace kalvento
