// The user's settings kept in section "KalventoDlg" of the settings file: the
// analysis window, the separators and items of the name composition, the list
// columns, the window placement, the conversion flags and the address of the
// broadcast schedule service.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kalvento {

class ProfileFile;

inline constexpr std::string_view kAppSettingsSection = "KalventoDlg";

// Separators are read into a 256-byte buffer.
inline constexpr std::size_t kSeparatorMax = 255;
inline constexpr std::size_t kSeparatorCount = 5;
inline constexpr int kFirstSeparatorId = 1012;  // keys "FilenameSetSp1012".."FilenameSetSp1016"
inline constexpr std::size_t kItemListCount = 4;
inline constexpr int kFirstItemListId = 1000;  // keys "FilenameSet1000".."FilenameSet1003"
// Items 0 ("未使用") .. 26 of the item table of the name composition.
inline constexpr int kItemIndexMax = 26;
inline constexpr std::size_t kStoredColumnCount = 8;
inline constexpr std::array<std::string_view, kStoredColumnCount> kColumnWidthKeys = {
    "OLDW", "NEWW", "NAMEW", "CHW", "DATEW", "CONTW", "AVW", "GENREW"};
inline constexpr std::string_view kDefaultScheduleBaseUrl = "http://cal.syoboi.jp";
// The analysis window the settings dialog accepts.
inline constexpr int kReadStartPosMax = 100;  // per cent
inline constexpr int kReadSizeMin = 1;        // MB
inline constexpr int kReadSizeMax = 2047;     // MB

struct AppSettings {
    int readStartPos = 30;  // per cent of the file size
    int readSize = 50;      // MB
    bool showProgress = true;
    // CP932 text; 1012 and 1016 empty, 1013..1015 one blank.
    std::array<std::string, kSeparatorCount> filenameSetSp = {"", " ", " ", " ", ""};
    std::array<int, kItemListCount> filenameSet = {0, 0, 0, 0};
    std::array<int, kStoredColumnCount> columnWidths = {100, 100, 100, 100, 100, 100, 100, 100};
    int windowX = 100;
    int windowY = 100;
    int windowCX = 930;
    int windowCY = 500;
    bool ombrixRename = true;
    bool notRename = false;
    bool gopRename = false;
    bool wildRename = false;
    bool fileDate = false;
    bool iconStart = false;
    std::string scheduleBaseUrl{kDefaultScheduleBaseUrl};
};

// Reads every key, taking the default for each one that is missing. An item
// index outside 0..26 becomes 0, since it indexes the item table.
AppSettings load_app_settings(const ProfileFile& profile);

// Writes every key (the caller saves the profile). Separators are written
// between double quotes so that leading and trailing blanks survive the reader.
void save_app_settings(ProfileFile& profile, const AppSettings& settings);

}  // namespace kalvento
