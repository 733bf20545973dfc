#include "app/settings_presets.h"

#include <algorithm>

namespace kalvento {
namespace {

// Items by number (see "config items"); the separators are written as they
// stand, around unused items too, so the last ones stay empty: no blank
// before the extension.
constexpr std::array kPresets{
    SettingsPreset{"title-channel-date",
                   "夜のドラマ「港町の灯り」 [カルヴェントテレビ] 04月08日(月).ts",
                   {{{"FilenameSetSp1012", ""},
                     {"FilenameSet1000", "1"},
                     {"FilenameSetSp1013", " ["},
                     {"FilenameSet1001", "2"},
                     {"FilenameSetSp1014", "] "},
                     {"FilenameSet1002", "3"},
                     {"FilenameSetSp1015", ""},
                     {"FilenameSet1003", "0"},
                     {"FilenameSetSp1016", ""}}}},
    SettingsPreset{"title-date",
                   "夜のドラマ「港町の灯り」 04月08日(月).ts",
                   {{{"FilenameSetSp1012", ""},
                     {"FilenameSet1000", "1"},
                     {"FilenameSetSp1013", " "},
                     {"FilenameSet1001", "3"},
                     {"FilenameSetSp1014", ""},
                     {"FilenameSet1002", "0"},
                     {"FilenameSetSp1015", ""},
                     {"FilenameSet1003", "0"},
                     {"FilenameSetSp1016", ""}}}},
    SettingsPreset{"date-title-channel",
                   "202404080130_夜のドラマ「港町の灯り」_カルヴェントテレビ.ts",
                   {{{"FilenameSetSp1012", ""},
                     {"FilenameSet1000", "13"},
                     {"FilenameSetSp1013", "_"},
                     {"FilenameSet1001", "1"},
                     {"FilenameSetSp1014", "_"},
                     {"FilenameSet1002", "2"},
                     {"FilenameSetSp1015", ""},
                     {"FilenameSet1003", "0"},
                     {"FilenameSetSp1016", ""}}}},
};

}  // namespace

std::span<const SettingsPreset> settings_presets() {
    return kPresets;
}

const SettingsPreset* find_settings_preset(std::string_view name) {
    const auto found =
        std::find_if(kPresets.begin(), kPresets.end(),
                     [&](const SettingsPreset& preset) { return preset.name == name; });
    return found == kPresets.end() ? nullptr : &*found;
}

}  // namespace kalvento
