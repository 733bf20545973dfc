// The options of "rules add" and "rules edit" that set the fields of a rule,
// named as the rule edit dialog's fields are, and their translation into
// the fields the rule management sets.
#pragma once

#include "app/rule_management.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

// UTF-8 as given; nullopt for options not given.
struct RuleFieldOptions {
    std::optional<std::string> find;
    std::optional<std::string> channel;
    std::optional<std::string> templateText;
    std::optional<std::string> scheduleTitle;
    std::optional<std::string> scheduleChannel;
    std::optional<std::string> scheduleSubtitle;
    std::optional<bool> tt;
    std::optional<bool> nb;
    std::optional<bool> sb;
    std::optional<bool> ch;
    std::vector<std::string> numbering;  // DATE:FIRST:DAYS each
    bool noNumbering = false;
};

// Registers --find, --channel, --template, --schedule-title,
// --schedule-channel, --schedule-subtitle, --tt/--no-tt, --nb/--no-nb,
// --sb/--no-sb, --ch/--no-ch, --numbering and --no-numbering.
void add_rule_field_options(CLI::App& command, RuleFieldOptions& options);

// The fields the options set (CP932), or nullopt with `error` naming the
// option that cannot be used: a text without a CP932 form, a pattern the
// matcher cannot use, an empty template, a numbering entry that is no entry.
std::optional<RuleFields> rule_fields_from(const RuleFieldOptions& options, std::string& error);

// Whether any field option was given.
bool any_rule_field(const RuleFieldOptions& options);

}  // namespace kalvento::cli
