// Helpers for writing text tests in UTF-8 while the code works on CP932.
#pragma once

#include "platform/codepage.h"

#include <string>

namespace kalvento::test {

// CP932 -> UTF-8 for readable assertions.
inline std::string u8(const std::string& cp932_text) {
    return cp932_to_utf8_lossy(cp932_text);
}

}  // namespace kalvento::test
