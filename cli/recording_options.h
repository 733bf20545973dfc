// The recordings a command works on: files and folders, with --recursive.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kalvento::cli {

// Registers -r/--recursive and the required FILE arguments.
void add_recording_arguments(CLI::App& command, std::vector<std::string>& files, bool& recursive);

}  // namespace kalvento::cli
