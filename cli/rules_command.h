// kalvento-cli rules: list, show, add, edit, remove, move, import and export
// the rename rules of the settings file, as the rule dialogs do. Rules are
// numbered from 1 in the order they are tried. Exchange files may be CP932
// (as on Windows) or UTF-8; "-" stands for standard input or output.
#pragma once

#include "cli/rule_options.h"
#include "platform/file_lock.h"

#include <CLI/CLI.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

enum class RulesAction { none, list, show, import, exportRules, add, edit, remove, move };

struct RulesOptions {
    RulesAction action = RulesAction::none;
    std::string file;                     // exchange file of import and export; "-": standard
    std::optional<std::string> encoding;  // import: auto (default), utf-8, cp932; export: cp932
                                          // (default), utf-8
    bool json = false;                    // list, show
    RuleFieldOptions fields;              // add, edit
    std::optional<std::size_t> from;      // add: the rule to start from (1-based)
    std::vector<std::size_t> numbers;     // show, edit, move: one; remove: any (1-based)
    std::size_t to = 0;                   // move: the place to move to (1-based)
    double lockTimeout = kDefaultLockWaitSeconds;  // changes: seconds to wait for the lock
};

// Registers "rules" with its subcommands.
CLI::App* add_rules_command(CLI::App& app, RulesOptions& options);

// Runs the chosen action on the settings file of this run. 0 on success
// (also when an added rule was there already); 1 when an exchange file or the
// settings file could not be read or written, or an import added nothing
// although the file had lines; 2 for arguments that cannot be used (a rule
// number that is not there among them) or settings that cannot be read; 75
// when the settings lock stayed held by another process (nothing is changed
// then).
int run_rules(const RulesOptions& options, const char* argv0);

}  // namespace kalvento::cli
