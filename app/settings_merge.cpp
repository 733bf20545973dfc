#include "app/settings_merge.h"

#include "app/settings_table.h"

namespace kalvento {

AppSettings merge_settings_changes(const AppSettings& loaded, const AppSettings& edited,
                                   const AppSettings& current) {
    AppSettings merged = current;
    for (const SettingRow& row : settings_table()) merge_setting(row, loaded, edited, merged);
    return merged;
}

}  // namespace kalvento
