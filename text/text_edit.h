// Small edits of CP932 text: quoted macro arguments, trimming, fixed-text
// replacement and percent-encoding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/limits.h"

namespace kalvento {

// Reads a quoted argument ('...') that starts at `position`. On success the
// content (at most 254 bytes) is stored in `argument` and the position behind
// the closing quote returned; without an argument (no opening quote, no closing
// quote, or a closing quote 256 or more bytes on) `position` comes back and
// `argument` is left alone.
std::size_t read_quoted(std::string_view text, std::size_t position, std::string& argument);

// Removes leading and trailing white space and ideographic spaces; inner
// blanks stay.
void trim_blanks(std::string& text);

// Replaces every occurrence of `find` that starts at a character boundary; the
// inserted text is never searched again. An empty `find` changes nothing.
void replace_text(std::string& text, std::string_view find, std::string_view replacement);

// Converts to UTF-8 and writes every byte as "%XX" (upper-case hex). Empty when
// the text is empty or not valid CP932. Characters whose encoding would pass
// `max_length` bytes are left off whole.
std::string url_encode(std::string_view text, std::size_t max_length = kUrlEncodedLimit);

}  // namespace kalvento
