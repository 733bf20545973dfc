// kalvento-cli rules: list, import and export the rename rules of the settings
// file, as the rule list dialog does.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace kalvento::cli {

enum class RulesAction { none, list, import, exportRules };

struct RulesOptions {
    RulesAction action = RulesAction::none;
    std::string file;  // exchange file of import and export
};

// Registers "rules" with its subcommands "list", "import FILE" and "export FILE".
CLI::App* add_rules_command(CLI::App& app, RulesOptions& options);

// Runs the chosen action on the settings file of this run. 0 on success, 1
// when a file could not be read or written.
int run_rules(const RulesOptions& options, const char* argv0);

}  // namespace kalvento::cli
