// Usage errors and help. Every mistake on the command line ends the run with
// exit code 2 and a message on standard error that starts with
// "kalvento-cli:" (CLI11's own codes, 105 to 109, are not passed on); help
// asked for goes to standard output.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kalvento::cli {

struct HelpOptions {
    std::vector<std::string> command;  // "rules", "import": the command to describe
    bool macros = false;               // "help macros": the @-macros of the rename templates
};

// CLI11's own words in the help (labels, the default groups) in the user's
// language; call once every command is registered.
void translate_help_words(CLI::App& app);

// Registers "help [COMMAND...]" and "help macros".
CLI::App* add_help_command(CLI::App& app, HelpOptions& options);

// Prints the help of the named command (of kalvento-cli itself without one),
// or the macros of the rename templates. 0, or 2 for a name that is no command.
int run_help(const CLI::App& app, const HelpOptions& options);

// What to do with CLI11's verdict on the arguments: help and version (0), or
// a usage error (2).
int report_parse_error(const CLI::App& app, const CLI::ParseError& error);

// No command given: the help on standard error, 2.
int report_missing_command(const CLI::App& app);

}  // namespace kalvento::cli
