// Shared helpers of the rule-engine tests: local times and readable texts.
#pragma once

#include "platform/codepage.h"
#include "platform/file_ops.h"
#include "platform/japan_time.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace kalvento::test {

// Seconds since 1970 of a wall-clock time in Japan.
inline std::int64_t local_time(int year, int month, int day, int hour = 0, int minute = 0) {
    return japan_date_time_to_unix(year, month, day, hour, minute, 0).value_or(0);
}

// CP932 -> UTF-8, so assertions can be written and read in UTF-8.
inline std::string utf8(const std::string& cp932_text) {
    return cp932_to_utf8_lossy(cp932_text);
}

}  // namespace kalvento::test
