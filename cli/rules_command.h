// kalvento-cli rules: list, import, export and add the rename rules of the
// settings file, as the rule list dialog does. Exchange files may be CP932
// (as on Windows) or UTF-8; "-" stands for standard input or output.
#pragma once

#include "platform/file_lock.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kalvento::cli {

enum class RulesAction { none, list, import, exportRules, add };

struct RulesOptions {
    RulesAction action = RulesAction::none;
    std::string file;                     // exchange file of import and export; "-": standard
    std::optional<std::string> encoding;  // import: auto (default), utf-8, cp932; export: cp932
                                          // (default), utf-8
    // add: the patterns (programme name, station) and the template, UTF-8
    std::string find;
    std::string channel;
    std::string templateText;
    double lockTimeout = kDefaultLockWaitSeconds;  // import, add: seconds to wait for the lock
};

// Registers "rules" with its subcommands "list", "import FILE", "export FILE"
// and "add".
CLI::App* add_rules_command(CLI::App& app, RulesOptions& options);

// Runs the chosen action on the settings file of this run. 0 on success; 1
// when an exchange file or the settings file could not be read or written,
// or an import added nothing although the file had lines; 2 for arguments
// that cannot be used or settings that cannot be read; 75 when the settings
// lock stayed held by another process (nothing is changed then).
int run_rules(const RulesOptions& options, const char* argv0);

}  // namespace kalvento::cli
