// Running the real kalvento-cli from the tests: a scratch directory with its
// own side-file directory, and the tool's output and exit code.
#pragma once

#include "platform/codepage.h"
#include "tests/support/local_http_server.h"
#include "tests/support/small_recording.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kalvento::test {

namespace fs = std::filesystem;
using nlohmann::json;
using Args = std::vector<std::string>;

// Single-quoted for the shell.
inline std::string shell_quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct CliRun {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

// Runs a shell command line: its standard output, its standard error (when
// `errors_file` is given, which it passes through) and its exit code.
inline CliRun run_shell(const std::string& line, const std::string& errors_file = {}) {
    CliRun result;
    const std::string to = errors_file.empty() ? "/dev/null" : shell_quote(errors_file);
    FILE* pipe = ::popen((line + " 2>" + to).c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!errors_file.empty()) {
        result.errors = read_all(errors_file);
        fs::remove(errors_file);
    }
    return result;
}

// A scratch directory with a settings directory "config" beside the recordings.
class CliScratch {
  public:
    CliScratch() { fs::create_directory(dir_.file("config")); }

    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string path() const { return dir_.path(); }

    // Writes kalvento.ini with the given "key=value" lines of section KalventoDlg.
    void write_settings(const std::vector<std::string>& lines) const {
        std::string text = "[KalventoDlg]\n";
        for (const std::string& line : lines) text += line + "\n";
        write_ini(text);
    }
    // Writes kalvento.ini from UTF-8 lines, as CP932 with CR LF.
    void write_ini(const std::string& utf8_lines) const {
        std::string text;
        for (const char c : utf8_lines) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        write_text(dir_.file("config/kalvento.ini"), cp932(text));
    }

    // The shell command line that runs kalvento-cli with these arguments;
    // `environment` ("TZ=UTC", ...) goes before it.
    std::string command(const Args& arguments, const std::string& environment = {}) const {
        // English whatever the runner's locale; `environment` may ask otherwise.
        std::string line = "LANGUAGE= LC_ALL= LC_MESSAGES= LANG=C.UTF-8 " + environment +
                           " KALVENTO_DIR=" + shell_quote(dir_.file("config")) + " " +
                           shell_quote(KALVENTO_CLI_PATH);
        for (const std::string& argument : arguments) line += " " + shell_quote(argument);
        return line;
    }

    CliRun run(const Args& arguments, const std::string& environment = {}) const {
        return run_shell(command(arguments, environment), dir_.file("stderr.txt"));
    }

  private:
    TempDir dir_;
};

// `head` followed by `tail`.
inline Args concat(Args head, const Args& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The lines of a text.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Standard output of a --json run, a JSON value a line.
inline std::vector<json> json_lines(const CliRun& run) {
    std::vector<json> lines;
    for (const std::string& line : lines_of(run.output)) lines.push_back(json::parse(line));
    return lines;
}

// The one line of a --json run about a single file.
inline json only_line(const CliRun& run) {
    const auto lines = lines_of(run.output);
    EXPECT_EQ(lines.size(), 1u) << run.output << run.errors;
    return lines.empty() ? json() : json::parse(lines[0]);
}

// A usage error: exit code 2, a "kalvento-cli: " message and no output.
inline void expect_usage_error(const CliRun& run, const std::string& what) {
    EXPECT_EQ(run.exitCode, 2) << what << ": " << run.errors;
    EXPECT_EQ(run.errors.rfind("kalvento-cli: ", 0), 0u) << what << ": " << run.errors;
    EXPECT_TRUE(run.output.empty()) << what << ": " << run.output;
}

// The regular files (and pipes) of a folder.
inline std::set<std::string> names_in(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.is_regular_file() || item.is_fifo()) names.insert(item.path().filename().string());
    return names;
}

// One programme "<name>" on カルヴェントテレビ, Sunday 2024-04-07 21:00 for 54 minutes.
inline void write_drama(const std::string& path, std::uint32_t seed = 1,
                        std::string_view name = "夜のドラマ", std::string_view description = "") {
    ASSERT_TRUE(
        write_small_recording(path, {.eventName = name, .description = description, .seed = seed}));
}

// Items 番組名 and yyyymmdd(w) with one blank between them; no rules.
inline const std::vector<std::string> kNameAndDate = {
    "FilenameSet1000=1",      "FilenameSet1001=23",     "FilenameSet1002=0",
    "FilenameSet1003=0",      "FilenameSetSp1012=\"\"", "FilenameSetSp1013=\" \"",
    "FilenameSetSp1014=\"\"", "FilenameSetSp1015=\"\"", "FilenameSetSp1016=\"\"",
    "OmbrixRename=0",
};
inline const std::string kComposedName = "夜のドラマ 20240407(日).ts";

}  // namespace kalvento::test
