// The tables of the name composition: the 27 items the user can choose in the
// four item lists, and the characters a file name must not contain.
#pragma once

#include "programme/program_info.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvento {

// Items 0 ("未使用") .. 26; every other index, -1 included, stands for nothing.
inline constexpr int kItemTableSize = 27;

// The label shown in the item lists, as UTF-8 (the windows convert it); empty
// for an index outside the table.
std::string_view item_label_utf8(int index);

// The same label as CP932.
std::string item_label(int index);

// The candidate's text an item stands for, or nullptr for index 0 and for any
// index outside the table.
const std::string* item_text(const ProgramInfo& info, int index);

// Replaces the characters that file names must not contain (: < > \ / * ? |)
// by their full-width forms and drops carriage returns, line feeds and every
// other control character (below 0x20, and 0x7F). A match
// is looked for only where a character begins, so the trail byte of a
// double-byte character (0x5C in 表, 0x7C in ポ) is never taken for one. The
// double quote is left alone.
std::string replace_forbidden_characters(std::string_view cp932_name);

}  // namespace kalvento
