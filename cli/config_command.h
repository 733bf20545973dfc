// kalvento-cli config: the side files of this run. "path" prints where they
// are and which rule chose the place; further subcommands that read and change
// settings join it here.
#pragma once

#include <CLI/CLI.hpp>

namespace kalvento::cli {

enum class ConfigAction { none, path };

struct ConfigOptions {
    ConfigAction action = ConfigAction::none;
};

// Registers "config" with its subcommand "path".
CLI::App* add_config_command(CLI::App& app, ConfigOptions& options);

// Runs the chosen action. 0 on success.
int run_config(const ConfigOptions& options, const char* argv0);

}  // namespace kalvento::cli
