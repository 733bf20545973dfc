// kalvento-cli: the headless front end for recording servers and scripts.
#include "app/side_files.h"
#include "cli/analyse_command.h"
#include "cli/config_command.h"
#include "cli/exit_codes.h"
#include "cli/history_command.h"
#include "cli/rename_command.h"
#include "cli/rules_command.h"
#include "cli/translation.h"
#include "cli/usage.h"
#include "cli/watch_command.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    using kalvento::cli::_;
    // Before any command is built: the help texts are translated as they are registered.
    kalvento::cli::load_translation(argv[0]);
    CLI::App app{
        _("Kalvento renames recordings of Japanese digital television (ISDB transport streams)\n"
          "after the programme that was on air, read from the broadcast tables in the file.\n"
          "Side files (kalvento.ini, kalvento.mnu, ChSet3.txt) are read from $KALVENTO_DIR when\n"
          "it is set, else from the directory of this program when a kalvento.ini is there,\n"
          "else from systemd's $CONFIGURATION_DIRECTORY and $STATE_DIRECTORY in a unit that sets\n"
          "them, else from $XDG_CONFIG_HOME/kalvento (~/.config/kalvento); \"config path\" shows\n"
          "them.")};
    app.name("kalvento-cli");
    app.footer(
        _("Exit status: 0 done; 1 some file was not renamed or could not be read; 2 wrong\n"
          "arguments, or the settings cannot be read; 75 try again later: a file was left\n"
          "because a service it needs could not be reached, or another process held a lock\n"
          "past --lock-timeout."));
    app.set_help_flag("-h,--help", _("Print this help message and exit"));
    app.set_version_flag("--version", std::string("kalvento-cli ") + KALVENTO_VERSION,
                         _("Display program version information and exit"));
    app.require_subcommand(0, 1);

    kalvento::cli::AnalyseOptions analyse;
    CLI::App* analyse_command = kalvento::cli::add_analyse_command(app, analyse);
    kalvento::cli::RenameOptions rename;
    CLI::App* rename_command = kalvento::cli::add_rename_command(app, rename);
    kalvento::cli::RulesOptions rules;
    CLI::App* rules_command = kalvento::cli::add_rules_command(app, rules);
    kalvento::cli::ConfigOptions config;
    CLI::App* config_command = kalvento::cli::add_config_command(app, config);
    kalvento::cli::HistoryOptions history;
    CLI::App* history_command = kalvento::cli::add_history_command(app, history);
    kalvento::cli::UndoOptions undo;
    CLI::App* undo_command = kalvento::cli::add_undo_command(app, undo);
    kalvento::cli::WatchOptions watch;
    CLI::App* watch_command = kalvento::cli::add_watch_command(app, watch);
    kalvento::cli::HelpOptions help;
    CLI::App* help_command = kalvento::cli::add_help_command(app, help);
    kalvento::cli::translate_help_words(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return kalvento::cli::report_parse_error(app, error);
    }
    // The places are settled once, here; only "config path", which shows
    // them, and "help" go on without usable ones.
    const std::string places_problem = kalvento::settle_side_files(argv[0]);
    const bool shows_places =
        config_command->parsed() && config.action == kalvento::cli::ConfigAction::path;
    if (!places_problem.empty() && !shows_places && !help_command->parsed() &&
        app.get_subcommands().size() == 1) {
        std::cerr << "kalvento-cli: " << kalvento::cli::shown(places_problem) << "\n";
        return kalvento::cli::kExitUsage;
    }
    if (analyse_command->parsed()) return kalvento::cli::run_analyse(analyse, argv[0]);
    if (rename_command->parsed()) return kalvento::cli::run_rename(rename, argv[0]);
    if (rules_command->parsed()) return kalvento::cli::run_rules(rules, argv[0]);
    if (config_command->parsed()) return kalvento::cli::run_config(config, argv[0]);
    if (history_command->parsed()) return kalvento::cli::run_history(history, argv[0]);
    if (undo_command->parsed()) return kalvento::cli::run_undo(undo, argv[0]);
    if (watch_command->parsed()) return kalvento::cli::run_watch(watch, argv[0]);
    if (help_command->parsed()) return kalvento::cli::run_help(app, help);
    return kalvento::cli::report_missing_command(app);
}
