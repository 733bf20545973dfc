// Field splitting and prefix tests on CP932 byte strings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Splits the text at every occurrence of the separator that starts a character.
// With escape set, a separator right after a backslash character does not
// split, and within each field a backslash followed by the separator becomes
// the separator. An empty text gives one empty field; a text ending with the
// separator gives an empty last field.
std::vector<std::string> split_fields(std::string_view text, std::string_view separator,
                                      bool escape);

// Splits at the first occurrence of the separator. True when it occurs; else
// `before` is the whole text and `after` empty. An empty text gives two empty
// parts and false.
bool split_first(std::string_view text, std::string_view separator, std::string& before,
                 std::string& after);

// The position behind `prefix` when the text at `position` begins with it,
// else `position` itself.
std::size_t skip_prefix(std::string_view text, std::size_t position, std::string_view prefix);

}  // namespace kalvento
