#include "app/app_settings.h"

#include <string>

#include "platform/profile_file.h"

namespace kalvento {
namespace {

std::string separator_key(std::size_t i) {
    return "FilenameSetSp" + std::to_string(kFirstSeparatorId + static_cast<int>(i));
}

std::string item_list_key(std::size_t i) {
    return "FilenameSet" + std::to_string(kFirstItemListId + static_cast<int>(i));
}

int read_int(const ProfileFile& profile, std::string_view key, int fallback) {
    return profile.read_int(kAppSettingsSection, key, fallback);
}

bool read_flag(const ProfileFile& profile, std::string_view key, bool fallback) {
    return read_int(profile, key, fallback ? 1 : 0) != 0;
}

// The window placement is stored as text and converted like atoi; a key that
// is present but empty gives 0.
int read_decimal_text(const ProfileFile& profile, std::string_view key, int fallback) {
    const auto text = profile.find_value(kAppSettingsSection, key);
    return text ? parse_profile_integer(*text) : fallback;
}

void write_int(ProfileFile& profile, std::string_view key, int value) {
    profile.write_string(kAppSettingsSection, key, std::to_string(value));
}

void write_flag(ProfileFile& profile, std::string_view key, bool value) {
    write_int(profile, key, value ? 1 : 0);
}

}  // namespace

AppSettings load_app_settings(const ProfileFile& profile) {
    AppSettings settings;
    settings.readStartPos = read_int(profile, "ReadStartPos", settings.readStartPos);
    settings.readSize = read_int(profile, "ReadSize", settings.readSize);
    settings.showProgress = read_flag(profile, "ShowProgress", settings.showProgress);

    // The defaults are used as they are: the one-blank separators must not lose
    // their blank the way a Windows default string would.
    for (std::size_t i = 0; i < kSeparatorCount; ++i) {
        if (auto value = profile.find_value(kAppSettingsSection, separator_key(i), kSeparatorMax)) {
            settings.filenameSetSp[i] = std::move(*value);
        }
    }
    for (std::size_t i = 0; i < kItemListCount; ++i) {
        const int index = read_int(profile, item_list_key(i), 0);
        settings.filenameSet[i] = (index >= 0 && index <= kItemIndexMax) ? index : 0;
    }
    for (std::size_t i = 0; i < kStoredColumnCount; ++i) {
        settings.columnWidths[i] = read_int(profile, kColumnWidthKeys[i], settings.columnWidths[i]);
    }
    settings.windowX = read_decimal_text(profile, "WindowX", settings.windowX);
    settings.windowY = read_decimal_text(profile, "WindowY", settings.windowY);
    settings.windowCX = read_decimal_text(profile, "WindowCX", settings.windowCX);
    settings.windowCY = read_decimal_text(profile, "WindowCY", settings.windowCY);

    settings.ombrixRename = read_flag(profile, "OmbrixRename", settings.ombrixRename);
    settings.notRename = read_flag(profile, "NotRename", settings.notRename);
    settings.gopRename = read_flag(profile, "GopRename", settings.gopRename);
    settings.wildRename = read_flag(profile, "WildRename", settings.wildRename);
    settings.fileDate = read_flag(profile, "FileDate", settings.fileDate);
    settings.iconStart = read_flag(profile, "IconStart", settings.iconStart);

    settings.scheduleBaseUrl =
        profile.read_string(kAppSettingsSection, "ScheduleBaseUrl", settings.scheduleBaseUrl);
    return settings;
}

void save_app_settings(ProfileFile& profile, const AppSettings& settings) {
    for (std::size_t i = 0; i < kStoredColumnCount; ++i) {
        write_int(profile, kColumnWidthKeys[i], settings.columnWidths[i]);
    }
    write_int(profile, "WindowX", settings.windowX);
    write_int(profile, "WindowY", settings.windowY);
    write_int(profile, "WindowCX", settings.windowCX);
    write_int(profile, "WindowCY", settings.windowCY);
    for (std::size_t i = 0; i < kSeparatorCount; ++i) {
        profile.write_string(kAppSettingsSection, separator_key(i),
                             "\"" + settings.filenameSetSp[i] + "\"");
    }
    for (std::size_t i = 0; i < kItemListCount; ++i) {
        write_int(profile, item_list_key(i), settings.filenameSet[i]);
    }
    write_flag(profile, "OmbrixRename", settings.ombrixRename);
    write_flag(profile, "NotRename", settings.notRename);
    write_flag(profile, "GopRename", settings.gopRename);
    write_flag(profile, "WildRename", settings.wildRename);
    write_flag(profile, "FileDate", settings.fileDate);
    write_flag(profile, "IconStart", settings.iconStart);
    write_int(profile, "ReadStartPos", settings.readStartPos);
    write_int(profile, "ReadSize", settings.readSize);
    write_flag(profile, "ShowProgress", settings.showProgress);
    profile.write_string(kAppSettingsSection, "ScheduleBaseUrl", settings.scheduleBaseUrl);
}

}  // namespace kalvento
