// Checking a setting's value as a user gives it, by the kind of its row of
// the settings table.
#pragma once

#include "app/settings_table.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// The value `set_setting` would store, or why it is refused (without the key).
struct Parsed {
    int number = 0;
    std::string text;
    std::optional<std::string> problem;
};

Parsed parse_value(const SettingRow& row, std::string_view value);

// The index of a choice's word (ASCII case ignored), or nullopt.
std::optional<int> choice_index(const SettingRow& row, std::string_view value);

}  // namespace kalvento
