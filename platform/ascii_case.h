// Comparing names without regard to the case of ASCII letters: settings keys,
// command-line switches, file extensions, URL schemes. Only 'A'..'Z' and
// 'a'..'z' are folded; every other byte, UTF-8 and CP932 bytes included,
// compares as it is.
#pragma once

#include <string>
#include <string_view>

namespace kalvento {

constexpr char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with its ASCII letters in lower case.
std::string ascii_lowered(std::string_view text);

bool equals_ignoring_ascii_case(std::string_view a, std::string_view b);
bool starts_with_ignoring_ascii_case(std::string_view text, std::string_view prefix);
bool ends_with_ignoring_ascii_case(std::string_view text, std::string_view suffix);

}  // namespace kalvento
