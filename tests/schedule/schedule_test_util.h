// Shared pieces of the schedule tests: temporary directories, local times and
// result-page lines as the schedule service writes them (UTF-8).
#pragma once

#include "platform/japan_time.h"
#include "tests/support/temp_dir.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace kalvento::test {

// Seconds since 1970 of a time in Japan; hours past 23 run into the next day.
inline std::int64_t local_seconds(int year, int month, int day, int hour, int minute) {
    return japan_time_to_unix(year, month, day, hour, minute, 0);
}

// One result line: date and time, an optional span, the title link and the
// channel cell.
inline std::string result_line(const std::string& date, const std::string& time,
                               const std::string& link_text, const std::string& channel,
                               const std::string& span = {}) {
    std::string line = "<tr><td>" + date + " &nbsp;" + time + "</td>";
    if (!span.empty()) line += "<td><span class=\"flag\">" + span + "</span></td>";
    line += "<td><a href=\"/tid/1234\">" + link_text + "</a></td><td>" + channel + "</td></tr>\n";
    return line;
}

inline std::string result_page(const std::string& lines) {
    return "<html><body><table>\n" + lines + "</table></body></html>\n";
}

}  // namespace kalvento::test
