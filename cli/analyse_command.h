// kalvento-cli analyse: the programme candidates of recordings, for people and
// scripts.
#pragma once

#include "cli/candidate_choice.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

struct AnalyseOptions {
    bool json = false;
    int startPercent = -1;  // -1: from the settings file, else the default
    int sizeMb = -1;
    bool recursive = false;
    std::optional<std::string> templateText;  // UTF-8: show the name it gives each candidate
    std::vector<std::string> files;           // recordings and folders of recordings
    CandidateChoice choice;  // the programme a recording manager asked for: its coverage
    bool explain = false;    // compose the name rename would give, and tell why
};

// Registers the subcommand; `run` is set to the action to take when it was chosen.
CLI::App* add_analyse_command(CLI::App& app, AnalyseOptions& options);

// Analyses every file and prints its candidates, and with ids the coverage
// of the programme they name. 0 when every file was analysed, 1 when any
// could not be opened or held no packets, 2 when the settings cannot be read,
// the template cannot be used or a file is not of the --program-id's network.
int run_analyse(const AnalyseOptions& options, const char* argv0);

}  // namespace kalvento::cli
