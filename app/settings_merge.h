// What the window writes back when it closes. It loaded the settings at its
// start; meanwhile the command-line tool may have saved the same file. Only
// the values the window itself changed replace the file's current ones, so a
// value another program saved in the meantime stays.
#pragma once

#include "app/app_settings.h"

namespace kalvento {

// `current` with every field in which `edited` differs from `loaded` taken
// from `edited`.
AppSettings merge_settings_changes(const AppSettings& loaded, const AppSettings& edited,
                                   const AppSettings& current);

}  // namespace kalvento
