// The trace of rename and watch for recording servers: --log FILE and
// --syslog (the line itself: app/run_log.h).
#pragma once

#include "app/run_log.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kalvento::cli {

void add_trace_options(CLI::App& command, std::string& log_file, bool& system_log);

// Writes one line per entry; a line that cannot be written is told on
// standard error, once.
void write_trace(RunLog& log, const std::vector<RunLogEntry>& entries, const std::string& log_file);

}  // namespace kalvento::cli
