// The user's settings kept in section "KalventoDlg" of the settings file: the
// analysis window, the separators and items of the name composition, the list
// columns, the window placement, the conversion flags and the address of the
// broadcast schedule service. Each setting is one row of the settings table
// (app/settings_table.h), which gives its key, default and limits.
#pragma once

#include "naming/compose.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kalvento {

class ProfileFile;

inline constexpr std::string_view kAppSettingsSection = "KalventoDlg";

// The widths of list columns 0-7 are stored; column 8 is not.
inline constexpr std::size_t kStoredColumnCount = 8;

struct AppSettings {
    // Every field takes the default of its row in the settings table.
    AppSettings();

    int readStartPos = 0;  // per cent of the file size
    int readSize = 0;      // MB
    bool showProgress = false;
    std::array<std::string, kNameSeparatorCount> filenameSetSp;  // CP932 text
    std::array<int, kNameItemCount> filenameSet{};
    std::array<int, kStoredColumnCount> columnWidths{};
    int windowX = 0;
    int windowY = 0;
    int windowCX = 0;
    int windowCY = 0;
    bool ombrixRename = false;
    bool notRename = false;
    bool gopRename = false;
    bool wildRename = false;
    bool fileDate = false;
    bool iconStart = false;
    std::string scheduleBaseUrl;
    int scheduleTimeout = 0;  // seconds a lookup waits for the service's answer
    // What a conversion does (an index of kLibraryActionWords: rename in
    // place, or link, copy or move into libraryFolder, below which the
    // @-macro template libraryTemplate gives sub-folders); CP932 texts.
    int libraryAction = 0;
    std::string libraryFolder;
    std::string libraryTemplate;
};

// Reads every key, taking the default for each one that is missing. An item
// index outside the item table becomes 0, since it indexes the table.
AppSettings load_app_settings(const ProfileFile& profile);

// Writes every key (the caller saves the profile), in the order of the
// settings file's lines. Separators are written between double quotes so that
// leading and trailing blanks survive the reader.
void save_app_settings(ProfileFile& profile, const AppSettings& settings);

}  // namespace kalvento
