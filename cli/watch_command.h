// kalvento-cli watch: for recorders that cannot call a command after a
// recording (tuner boxes writing to a network share, for example). Each
// recording that is closed after writing, or moved into a watched folder, is
// renamed once it has not changed for the settle time, exactly as
// `kalvento-cli rename FILE` would; the output is rename's, one line per file.
// A rerun is harmless: a second pass finds the names already right.
#pragma once

#include "cli/rename_command.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kalvento::cli {

struct WatchOptions {
    std::vector<std::string> folders;
    double settleSeconds = 30.0;
    bool existing = false;  // take the recordings already in the folders too
    RenameOptions rename;   // --json, --template, --allow-fallback, -v, --log, --syslog; files
                            // set per recording
};

CLI::App* add_watch_command(CLI::App& app, WatchOptions& options);

// Watches until SIGTERM or SIGINT (exit 0). 2 when a folder cannot be watched
// or the template cannot be used; 1 when every folder has gone.
int run_watch(const WatchOptions& options, const char* argv0);

}  // namespace kalvento::cli
