// The system's reason for a failed call, in the words every message uses.
#pragma once

#include <string>

namespace kalvento {

// The system's text for `error` (an errno value).
std::string system_reason(int error);

// "<what> <path>: <reason>", e.g. "cannot open /rec/a.ts: Permission denied".
std::string describe_system_error(const std::string& what, const std::string& path, int error);

}  // namespace kalvento
