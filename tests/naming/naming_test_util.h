// Entries, programmes and small files for the naming tests.
#pragma once

#include "naming/compose.h"
#include "naming/entry_paths.h"
#include "naming/file_entry.h"
#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento::test {

// 2024-04-07 21:00 in Japan.
inline constexpr std::int64_t kSundayNine = 1712491200;

inline ProgramInfo programme(std::string_view utf8_name, std::int64_t start = kSundayNine) {
    ProgramInfo info;
    info.eventName = cp932(utf8_name);
    info.title = info.eventName;
    info.startTime = start;
    return info;
}

// Names by programme name only, without separators.
inline NamingSettings by_name() {
    NamingSettings settings;
    settings.items = {1, 0, 0, 0};
    settings.separators = {"", "", "", "", ""};
    return settings;
}

inline FileEntry entry_for(const std::string& native_path, const ProgramInfo& info) {
    return make_file_entry(native_path, {info});
}

// Last-write time in milliseconds since 1970; -1 when the file is missing.
inline std::int64_t write_time_ms(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1'000'000;
}

}  // namespace kalvento::test
