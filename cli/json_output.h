// JSON forms of the core records for scripts: texts as UTF-8, numbers as numbers.
#pragma once

#include "programme/program_info.h"

#include "app/json_paths.h"

#include <nlohmann/json.hpp>

namespace kalvento::cli {

// Every field of the candidate under its own name, in declaration order.
nlohmann::ordered_json program_info_json(const ProgramInfo& info);

// CP932 text as UTF-8 for output; bytes that are not CP932 show as U+FFFD.
std::string utf8_for_output(const std::string& cp932_text);

// One JSON Lines record; invalid UTF-8 (a path given in another encoding) is
// replaced instead of failing.
std::string json_line(const nlohmann::ordered_json& value);

// A native path for a line of text output: control characters (a line break
// in a file name among them) are written as \xNN escapes, so every file
// takes exactly one line.
std::string path_for_text(const std::string& path);

}  // namespace kalvento::cli
