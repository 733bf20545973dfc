// The lines of the description popup of a job-list row: the programme's short
// description, then its extended description, each cut into lines that fit
// a menu.
#pragma once

#include "programme/program_info.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// A line shorter than this stays one menu item; a longer one is cut.
inline constexpr std::size_t kDescriptionLineKeep = 67;
// A cut line is split at the first character boundary at or after this many
// bytes, so a piece holds 59 bytes of single-byte text or 60 of double-byte text.
inline constexpr std::size_t kDescriptionPieceBytes = 59;

// One text (CP932) cut into menu lines: at every carriage return (a line feed
// right after it belongs to the break; a break at the very end starts no
// line), long lines into pieces that never split a double-byte character.
std::vector<std::string> description_lines(std::string_view text);

// The popup's lines for a candidate: eventText, then extendedText. Empty when
// eventText is empty (the popup does not open then).
std::vector<std::string> description_menu_lines(const ProgramInfo& info);

}  // namespace kalvento
