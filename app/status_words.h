// The words that name a file's outcome in the command line's JSON output and
// in its documentation: one table for every status enum, so a word is
// written once and a new status cannot go without one.
#pragma once

#include "app/undo.h"
#include "naming/rename.h"

#include <string_view>

namespace kalvento {

std::string_view status_word(ConvertStatus status);
std::string_view status_word(UndoStatus status);

}  // namespace kalvento
