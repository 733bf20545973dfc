#include "rules/rule_keys.h"

#include <cstdio>

namespace kalvento {
namespace {

// The six-digit zero-padded form of a number ("%06d"); longer numbers keep all digits.
std::string six_digits(long long number) {
    char text[32];
    std::snprintf(text, sizeof text, "%06lld", number);
    return text;
}

}  // namespace

std::string rule_section_name(std::int32_t index) {
    return "OmbrixReNameSet" + six_digits(index);
}

std::string start_time_key(std::size_t entry) {
    return entry == 0 ? std::string("StartTime")
                      : "StartTime" + six_digits(static_cast<long long>(entry));
}

std::string start_no_key(std::size_t entry) {
    return entry == 0 ? std::string("StartNo")
                      : "StartNo" + six_digits(static_cast<long long>(entry));
}

std::string week_check_key(std::size_t entry, int weekday) {
    if (entry == 0) return "WeekCheck" + std::to_string(weekday);
    return "WeekCheck" + six_digits(static_cast<long long>(entry)) + "_" + std::to_string(weekday);
}

}  // namespace kalvento
