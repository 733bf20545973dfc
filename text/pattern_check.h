// Whether a pattern can be used: the rule dialogs show the user what is wrong
// with a pattern instead of a rule that silently never matches.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// Why the CP932 pattern cannot be used on the subject: the library's
// description of a pattern it cannot compile, or of a match it gave up on
// (its complexity and stack limits); nullopt when the search runs.
std::optional<std::string> pattern_problem(std::string_view cp932_pattern,
                                           std::string_view cp932_subject = {});

}  // namespace kalvento
