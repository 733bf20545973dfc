// Where the program keeps its side files: the settings, the macro menu, the
// channel names and the default rule exchange file.
//
// All of them live in one directory: the one named by the environment variable
// KALVENTO_DIR when it is set and not empty (installed copies and tests use
// it), otherwise the directory of the executable. The desktop program and the
// command-line tool share one settings file, so the base name of the settings
// and macro menu files is fixed to "kalvento" instead of following the name of
// whichever executable runs. Paths are native (UTF-8) text.
#pragma once

#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::string_view kSideFileBaseName = "kalvento";
inline constexpr std::string_view kSideFileDirVariable = "KALVENTO_DIR";
inline constexpr std::string_view kChannelFileName = "ChSet3.txt";
inline constexpr std::string_view kRuleExchangeFileName = "KalventoOmbrix.txt";

struct SideFiles {
    std::string directory;         // without a trailing slash (except "/")
    std::string settingsFile;      // kalvento.ini
    std::string macroMenuFile;     // kalvento.mnu
    std::string channelFile;       // ChSet3.txt
    std::string ruleExchangeFile;  // KalventoOmbrix.txt
};

// The four paths in `directory`.
SideFiles side_files_in(std::string_view directory);

// The directory of the running executable: from /proc/self/exe, else from
// argv[0] (made absolute), else the current directory.
std::string executable_directory(const char* argv0);

// The side files of this run: KALVENTO_DIR when set, else the executable's directory.
SideFiles locate_side_files(const char* argv0);

}  // namespace kalvento
