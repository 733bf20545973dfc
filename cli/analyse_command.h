// kalvento-cli analyse: the programme candidates of recordings, for people and
// scripts.
#pragma once

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
};

// Registers the subcommand; `run` is set to the action to take when it was chosen.
CLI::App* add_analyse_command(CLI::App& app, AnalyseOptions& options);

// Analyses every file and prints its candidates. 0 when every file was
// analysed, 1 when any could not be opened or held no packets, 2 when the
// settings cannot be read or the template cannot be used.
int run_analyse(const AnalyseOptions& options, const char* argv0);

}  // namespace kalvento::cli
