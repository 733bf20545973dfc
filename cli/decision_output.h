// --explain: why a file got its name, as the core recorded it while naming
// (the entry's NamingDecision), together with why its programme candidate was
// the one taken. Lines of text for people, a "decision" object for scripts.
#pragma once

#include "cli/candidate_choice.h"
#include "naming/file_entry.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <string>

namespace kalvento::cli {

// Registers --explain; `what` leads its help line.
void add_explain_option(CLI::App& command, bool& explain, const std::string& what);

// The entry's decision: {"candidate", "namedBy", "rule", "schedule", "numbering"}
// (docs/json.md describes the fields); null for a file without programme data,
// which was not named.
nlohmann::ordered_json decision_json(const FileEntry& entry, const CandidateChoice& choice);

// The same as lines "  why: ...", each ending in a line break; none for a
// file without programme data.
std::string decision_lines(const FileEntry& entry, const CandidateChoice& choice);

}  // namespace kalvento::cli
