// Where the program keeps its side files: the settings, the macro menu, the
// channel names and the default rule exchange file, and where the rename
// journal goes.
//
// The side files live in one directory, chosen by the first rule that applies:
//   1. the directory named by the environment variable KALVENTO_DIR, when it is
//      set and not empty (tests and special set-ups use it);
//   2. the directory of the executable, when a kalvento.ini is there (portable
//      use: a copy unpacked into a folder of its own keeps its settings there);
//   3. the directories systemd gives a service with ConfigurationDirectory=
//      and StateDirectory= ($CONFIGURATION_DIRECTORY, $STATE_DIRECTORY; the
//      first of each when several are set): the side files in the first, the
//      journal in the second; when only one is set, both there;
//   4. $XDG_CONFIG_HOME/kalvento (~/.config/kalvento by default), the place of
//      an installed copy, whose own directory is read-only.
// The journal goes to $XDG_STATE_HOME/kalvento (~/.local/state/kalvento) under
// the fourth rule and to the side-file directory under the first two. Nothing
// is created when the places are chosen: a directory appears on the first save
// (create_directory_for_saving).
//
// A program settles the places once at its start (settle_side_files), and
// stops there with one message when they cannot be used: a service account
// whose home does not exist, a home that is read-only to the service.
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
    named,               // KALVENTO_DIR, or a directory given to side_files_in
    besideProgram,       // the executable's directory, which holds a kalvento.ini
    serviceDirectories,  // systemd's ConfigurationDirectory= and StateDirectory=
    userFolders,         // the XDG configuration and state directories
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
    std::string namedDirectory;          // $KALVENTO_DIR
    std::string executableDirectory;     // see executable_directory
    std::string configHome;              // $XDG_CONFIG_HOME
    std::string stateHome;               // $XDG_STATE_HOME
    std::string home;                    // $HOME, else the home directory of the user's account
    std::string configurationDirectory;  // $CONFIGURATION_DIRECTORY (systemd)
    std::string stateDirectory;          // $STATE_DIRECTORY (systemd)
};

SideFileInputs current_side_file_inputs(const char* argv0);

// Applies the four rules. Relative XDG and systemd directories are ignored
// (their rules say so); a relative KALVENTO_DIR is taken from the current
// directory.
SideFiles choose_side_files(const SideFileInputs& inputs);

// Why the places cannot be used, in one sentence that names the place and
// the fix (KALVENTO_DIR, StateDirectory=); empty when they can: the home
// they are under exists, the side-file directory can be read, and the
// journal directory written (or made).
std::string side_files_problem(const SideFiles& files, const SideFileInputs& inputs);

// Chooses the places of this run and keeps them for locate_side_files;
// returns side_files_problem of them.
std::string settle_side_files(const char* argv0);

// The side files of this run: those settled at the start, else chosen now.
SideFiles locate_side_files(const char* argv0);

// Where the schedule service's answers are kept: a folder beside the journal,
// since they are state, not settings.
std::string schedule_cache_directory(const SideFiles& files);

// Creates `directory` and its missing parents, private to the user (0700, as
// the XDG rules ask for), before a file is saved there. True when it exists
// afterwards; else `error` says why.
bool create_directory_for_saving(const std::string& directory, std::string& error);

}  // namespace kalvento
