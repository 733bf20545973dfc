// Regular-expression operations on CP932 text.
//
// Text, pattern and replacement are decoded to wide characters, so a pattern
// sees a Japanese character as one character; the matcher is Boost.Regex in
// Perl syntax, case-sensitive, first match only for delete and extract. What a
// helper gives back is cut from the caller's own bytes, so characters it does
// not touch keep their exact CP932 form. Each input is taken up to 1023
// characters and each result up to 1023 bytes. No exception leaves these
// functions: an invalid pattern, or a match the library gives up on (its
// complexity and stack limits), is reported through the result.
#pragma once

#include <string>
#include <string_view>

namespace kalvento {

// Deletes from the first match what its capturing groups took (the whole match
// when the pattern has no group). True when the pattern matched; false when it
// did not or could not be used (text unchanged).
bool regex_delete(std::string& text, std::string_view pattern);

// Group 1 of the first match when the pattern has a group (empty when group 1
// took no part), else the whole first match; empty when nothing matches; the
// library's error description when the pattern is invalid or the match fails.
std::string regex_extract(std::string_view text, std::string_view pattern);

// regex_extract, telling a failure apart from a match: `failed` is set when the
// pattern is invalid or the matcher gave up, and `text` then holds the
// library's description (the same text regex_extract gives back).
struct CheckedExtract {
    std::string text;
    bool failed = false;
};
CheckedExtract regex_extract_checked(std::string_view text, std::string_view pattern);

// Replaces every match, left to right, by the Perl-style format text ("$&",
// "$1", "$$"). True when it ran (also without a match); false on a library
// error (text unchanged).
bool regex_replace(std::string& text, std::string_view pattern, std::string_view replacement);

}  // namespace kalvento
