// kalvento-cli config: the side files of this run and the settings of section
// "KalventoDlg": "path" prints where the files are and which rule chose the
// place, "show" the settings (in UTF-8, items by their labels), "set" changes
// them, "items" lists the 27 items of the name composition, "init" writes a
// first settings file from a named preset.
#pragma once

#include "platform/file_lock.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kalvento::cli {

enum class ConfigAction { none, path, show, set, items, init };

struct ConfigOptions {
    ConfigAction action = ConfigAction::none;
    bool json = false;
    std::vector<std::string> assignments;  // set: KEY VALUE KEY VALUE ...
    double lockTimeout =
        kDefaultLockWaitSeconds;  // set, init: seconds to wait for the settings lock
    std::string preset;           // init: the preset's name
    bool listPresets = false;     // init --list
    bool force = false;           // init: also into an existing file
};

// Registers "config" with its subcommands "path", "show", "set", "items" and
// "init".
CLI::App* add_config_command(CLI::App& app, ConfigOptions& options);

// Runs the chosen action. 0 on success; 2 for a key or value that is refused
// or settings that cannot be read, 1 when they cannot be written, 75 when the
// settings lock stayed held by another process (nothing is changed then).
int run_config(const ConfigOptions& options, const char* argv0);

}  // namespace kalvento::cli
