// kalvento-cli config: the side files of this run and the settings of section
// "KalventoDlg": "path" prints where the files are and which rule chose the
// place, "show" the settings (in UTF-8, items by their labels), "set" changes
// them, "items" lists the 27 items of the name composition.
#pragma once

#include "platform/file_lock.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kalvento::cli {

enum class ConfigAction { none, path, show, set, items };

struct ConfigOptions {
    ConfigAction action = ConfigAction::none;
    bool json = false;
    std::vector<std::string> assignments;          // set: KEY VALUE KEY VALUE ...
    double lockTimeout = kDefaultLockWaitSeconds;  // set: seconds to wait for the settings lock
};

// Registers "config" with its subcommands "path", "show", "set" and "items".
CLI::App* add_config_command(CLI::App& app, ConfigOptions& options);

// Runs the chosen action. 0 on success; 2 for a key or value that is refused
// or settings that cannot be read, 1 when they cannot be written, 75 when the
// settings lock stayed held by another process (nothing is changed then).
int run_config(const ConfigOptions& options, const char* argv0);

}  // namespace kalvento::cli
