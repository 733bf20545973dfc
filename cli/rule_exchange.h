// kalvento-cli rules import and export: rule exchange files in, under the
// settings lock, and out, never onto the settings file itself.
#pragma once

#include "cli/rule_file_text.h"
#include "platform/file_lock.h"
#include "rules/rule_store.h"

#include <string>

namespace kalvento::cli {

// Adds the rules of an exchange file ("-": standard input) to the settings
// file; an exit code, messages on standard error.
int import_file(const std::string& settings_path, const std::string& path,
                RuleFileEncoding encoding, const LockWait& wait);

// Writes every rule to an exchange file ("-": standard output); an exit code.
int export_file(const RuleList& rules, const std::string& settings_path, const std::string& path,
                RuleFileEncoding encoding);

}  // namespace kalvento::cli
