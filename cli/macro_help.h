// "kalvento-cli help macros": every @-macro of the rename templates with its
// meaning and what it gives an example programme, made from the lines of the
// window's macro menu. The manual page takes its MACROS section from this.
#pragma once

#include <string>

namespace kalvento::cli {

// The whole text, UTF-8.
std::string macro_help_text();

}  // namespace kalvento::cli
