#include "cli/config_command.h"

#include "app/side_files.h"

#include <iostream>

namespace kalvento::cli {
namespace {

const char* place_text(SideFilePlace place) {
    switch (place) {
        case SideFilePlace::named:
            return "KALVENTO_DIR";
        case SideFilePlace::besideProgram:
            return "kalvento.ini beside the program (portable use)";
        case SideFilePlace::userFolders:
            break;
    }
    return "the user's folders (XDG_CONFIG_HOME, XDG_STATE_HOME)";
}

// One "name: value" line per place, the values aligned; the names stay fixed
// for scripts.
int print_paths(const SideFiles& files) {
    std::cout << "settings:       " << files.settingsFile << "\n"
              << "macro menu:     " << files.macroMenuFile << "\n"
              << "channels:       " << files.channelFile << "\n"
              << "rule exchange:  " << files.ruleExchangeFile << "\n"
              << "journal:        " << files.journalDirectory << "\n"
              << "chosen by:      " << place_text(files.place) << "\n";
    return 0;
}

}  // namespace

CLI::App* add_config_command(CLI::App& app, ConfigOptions& options) {
    CLI::App* command = app.add_subcommand("config", "Show where the side files are.");
    command->require_subcommand(1);
    command
        ->add_subcommand("path",
                         "Print the settings file, macro menu, channel file, rule exchange file "
                         "and journal directory in use, and which rule chose them")
        ->callback([&options] { options.action = ConfigAction::path; });
    return command;
}

int run_config(const ConfigOptions& options, const char* argv0) {
    switch (options.action) {
        case ConfigAction::path:
            return print_paths(locate_side_files(argv0));
        case ConfigAction::none:
            break;
    }
    return 1;
}

}  // namespace kalvento::cli
