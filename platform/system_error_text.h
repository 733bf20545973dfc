// The system's reason for a failed call, in the words every message uses.
#pragma once

#include <string>

namespace kalvento {

// The system's text for `error` (an errno value).
std::string system_reason(int error);

// `format` (marked with N_, "%s" for the path and then the reason) filled,
// e.g. "cannot open %s: %s" gives "cannot open /rec/a.ts: Permission denied".
std::string describe_system_error(const char* format, const std::string& path, int error);

}  // namespace kalvento
