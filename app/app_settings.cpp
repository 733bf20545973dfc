#include "app/app_settings.h"

#include "app/settings_table.h"
#include "platform/profile_file.h"

#include <algorithm>
#include <vector>

namespace kalvento {

AppSettings::AppSettings() {
    for (const SettingRow& row : settings_table()) reset_setting(row, *this);
}

AppSettings load_app_settings(const ProfileFile& profile) {
    AppSettings settings;
    for (const SettingRow& row : settings_table()) load_setting(profile, row, settings);
    return settings;
}

void save_app_settings(ProfileFile& profile, const AppSettings& settings) {
    std::vector<const SettingRow*> rows;
    for (const SettingRow& row : settings_table()) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const SettingRow* a, const SettingRow* b) { return a->group < b->group; });
    for (const SettingRow* row : rows)
        profile.write_string(kAppSettingsSection, row->key, stored_value(*row, settings));
}

}  // namespace kalvento
