// Texts from the command line (UTF-8) that go into the CP932 core: templates,
// patterns, separators. A character without a CP932 form is refused with a
// message that names it, instead of being turned into a blank.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalvento::cli {

// The CP932 form of a UTF-8 argument, or nullopt with `error` saying why not:
// "<what>: the character '…' (U+XXXX) has no CP932 form" or "<what>: not UTF-8 text".
std::optional<std::string> cp932_argument(std::string_view utf8, std::string_view what,
                                          std::string& error);

// Why a UTF-8 text has no CP932 form: "the character '…' (U+XXXX) has no
// CP932 form" or "not UTF-8 text"; empty when it has one.
std::string cp932_problem(std::string_view utf8);

// The first character of valid UTF-8 text that CP932 cannot represent, shown
// as "'…' (U+XXXX)"; nullopt when every character has a form (or the text is
// not UTF-8).
std::optional<std::string> first_unmappable_character(std::string_view utf8);

}  // namespace kalvento::cli
