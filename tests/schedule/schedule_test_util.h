// Shared pieces of the schedule tests: temporary directories, local times and
// result-page lines as the schedule service writes them (UTF-8).
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace kalvento::test {

class ScheduleTempDir {
  public:
    ScheduleTempDir() {
        static std::atomic<int> counter{0};
        path_ =
            std::filesystem::temp_directory_path() /
            ("kalvento-schedule-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScheduleTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScheduleTempDir(const ScheduleTempDir&) = delete;
    ScheduleTempDir& operator=(const ScheduleTempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Seconds since 1970 of a local time; hours past 23 run into the next day.
inline std::int64_t local_seconds(int year, int month, int day, int hour, int minute) {
    std::tm broken{};
    broken.tm_year = year - 1900;
    broken.tm_mon = month - 1;
    broken.tm_mday = day;
    broken.tm_hour = hour;
    broken.tm_min = minute;
    broken.tm_isdst = 0;
    return static_cast<std::int64_t>(std::mktime(&broken));
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
