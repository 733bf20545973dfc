// --template: a name template on the command line, in the language of the
// rename rules, applied to every file as a one-off rule that takes every
// programme (no patterns, no schedule search, no numbering entries).
#pragma once

#include "naming/compose.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

// Registers --template TEXT.
void add_template_option(CLI::App& command, std::optional<std::string>& utf8_template,
                         const std::string& what_it_does);

// The CP932 form of a --template argument, or nullopt with `error` saying why
// it cannot be used (empty, not UTF-8, a character without a CP932 form).
std::optional<std::string> template_argument(const std::string& utf8_template, std::string& error);

// Says on standard error which "@" of the CP932 template name no macro (they
// stay in the names as written).
void warn_about_template(const std::string& cp932_template);

// The rule step that names every entry by the CP932 template; each "@" of it
// that names no macro is noted in the entry's rule warnings.
RuleStep template_rule_step(std::string cp932_template);

// The naming settings with the template in charge: rules are "on" (the step
// above stands in for them); the items and separators play no part.
NamingSettings template_naming(NamingSettings naming);

// The name each candidate of a recording would get from the template (CP932,
// with the recording's extension; empty for a candidate without programme
// data). The candidates themselves stay as they are.
std::vector<std::string> names_by_template(const std::string& native_path,
                                           const std::vector<ProgramInfo>& candidates,
                                           const std::string& cp932_template);

}  // namespace kalvento::cli
