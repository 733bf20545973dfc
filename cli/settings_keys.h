// The keys of section "KalventoDlg" as `config show` lists them and `config
// set` changes them: each value checked as the settings dialog and the item
// lists would, and written in the form the settings writer uses.
#pragma once

#include "app/app_settings.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento::cli {

// The largest analysis window, in MB, that --size-mb and ReadSize take.
inline constexpr int kMaxWindowMb = 2047;

struct ShownSetting {
    std::string key;    // as stored, "FilenameSet1000"
    std::string value;  // UTF-8 for people: 30, "番組名 (1)", "\" \"" (separators quoted)
    nlohmann::ordered_json json;  // for scripts: numbers, booleans, texts, {index, label}
};

// Every setting in the order `config show` lists them: the analysis window,
// the name composition (separators and items in the order they are joined),
// the check boxes, the schedule address, then what the window keeps for itself.
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

}  // namespace kalvento::cli
