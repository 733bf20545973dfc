// Where the program keeps its side files: the settings, the macro menu, the
// channel names and the default rule exchange file, and where the rename
// journal goes.
//
// The side files live in one directory, chosen by the first rule that applies:
//   1. the directory named by the environment variable KALVENTO_DIR, when it is
//      set and not empty (tests and special set-ups use it);
//   2. the directory of the executable, when a kalvento.ini is there (portable
//      use: a copy unpacked into a folder of its own keeps its settings there);
//   3. $XDG_CONFIG_HOME/kalvento (~/.config/kalvento by default), the place of
//      an installed copy, whose own directory is read-only.
// The journal goes to $XDG_STATE_HOME/kalvento (~/.local/state/kalvento) under
// the third rule and to the side-file directory under the other two. Nothing
// is created when the places are chosen: a directory appears on the first save
// (create_directory_for_saving).
//
// The desktop program and the command-line tool share one settings file, so
// the base name of the settings and macro menu files is fixed to "kalvento"
// instead of following the name of whichever executable runs. Paths are native
// (UTF-8) text.
#pragma once

#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::string_view kSideFileBaseName = "kalvento";
inline constexpr std::string_view kSideFileDirVariable = "KALVENTO_DIR";
inline constexpr std::string_view kChannelFileName = "ChSet3.txt";
inline constexpr std::string_view kRuleExchangeFileName = "KalventoOmbrix.txt";
// The folder under the user's configuration and state directories.
inline constexpr std::string_view kUserFolderName = "kalvento";

// Which rule chose the directory.
enum class SideFilePlace {
    named,          // KALVENTO_DIR, or a directory given to side_files_in
    besideProgram,  // the executable's directory, which holds a kalvento.ini
    userFolders,    // the XDG configuration and state directories
};

struct SideFiles {
    std::string directory;         // without a trailing slash (except "/")
    std::string settingsFile;      // kalvento.ini
    std::string macroMenuFile;     // kalvento.mnu
    std::string channelFile;       // ChSet3.txt
    std::string ruleExchangeFile;  // KalventoOmbrix.txt
    std::string journalDirectory;  // where the rename journal is written
    SideFilePlace place = SideFilePlace::named;
};

// The four paths in `directory`, with the journal there too.
SideFiles side_files_in(std::string_view directory);

// What the choice depends on, read from the process by current_side_file_inputs.
struct SideFileInputs {
    std::string namedDirectory;       // $KALVENTO_DIR
    std::string executableDirectory;  // see executable_directory
    std::string configHome;           // $XDG_CONFIG_HOME
    std::string stateHome;            // $XDG_STATE_HOME
    std::string home;                 // $HOME, else the home directory of the user's account
};

SideFileInputs current_side_file_inputs(const char* argv0);

// Applies the three rules. Relative XDG directories are ignored (the XDG rules
// say so); a relative KALVENTO_DIR is taken from the current directory.
SideFiles choose_side_files(const SideFileInputs& inputs);

// The side files of this run.
SideFiles locate_side_files(const char* argv0);

// Where the schedule service's answers are kept: a folder beside the journal,
// since they are state, not settings.
std::string schedule_cache_directory(const SideFiles& files);

// Creates `directory` and its missing parents, private to the user (0700, as
// the XDG rules ask for), before a file is saved there. True when it exists
// afterwards; else `error` says why.
bool create_directory_for_saving(const std::string& directory, std::string& error);

}  // namespace kalvento
