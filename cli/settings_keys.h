// The settings of section "KalventoDlg" as `config show` lists them and `config
// set` changes them, row by row of the settings table: shown in UTF-8 for
// people and as JSON for scripts, and changed only as the table's checks
// allow.
#pragma once

#include "app/app_settings.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento::cli {

struct ShownSetting {
    std::string key;    // as stored, "FilenameSet1000"
    std::string value;  // UTF-8 for people: 30, "番組名 (1)", "\" \"" (separators quoted)
    nlohmann::ordered_json json;  // for scripts: numbers, booleans, texts, {index, label}
};

// Every setting in the order of the settings table: the analysis window, the
// name composition (separators and items in the order they are joined), the
// check boxes, the schedule address, then what the window keeps for itself.
std::vector<ShownSetting> shown_settings(const AppSettings& settings);

// One checked change: the key's stored spelling and the value as it is to be
// written (CP932).
struct SettingChange {
    std::string key;
    std::string stored;
};

// Checks VALUE (UTF-8) for KEY (any ASCII case) and gives the change to
// write, or nullopt with `error` saying what is wrong.
std::optional<SettingChange> parse_setting(std::string_view key, std::string_view utf8_value,
                                           std::string& error);

// The item index that a number ("23") or a label ("yyyymmdd(w)") names;
// labels match exactly or with full-width ASCII taken as ASCII and ASCII case
// ignored ("yyyy/mm/dd" is "yyyy／mm／dd").
std::optional<int> item_by_number_or_label(std::string_view utf8_value);

// "0..100" for a row with limits, as the help texts give ranges.
std::string limits_text(std::string_view key);

}  // namespace kalvento::cli
