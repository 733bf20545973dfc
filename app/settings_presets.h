// Named starting points for the name composition: the four items and five
// separators of a first settings file, so that a fresh install names
// something without a visit to the window.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace kalvento {

struct PresetSetting {
    std::string_view key;
    std::string_view value;  // as "config set" takes it: item numbers, separators as text
};

struct SettingsPreset {
    std::string_view name;
    std::string_view example;  // the name it gives the example programme
    std::array<PresetSetting, 9> settings;
};

std::span<const SettingsPreset> settings_presets();

// nullptr when no preset has that name.
const SettingsPreset* find_settings_preset(std::string_view name);

// The preset a fresh install is pointed to.
inline constexpr std::string_view kFirstPreset = "title-channel-date";

}  // namespace kalvento
