// Running the real kalvento-cli from the tests: a scratch directory with its
// own side-file directory, and the tool's output and exit code.
#pragma once

#include "tests/support/temp_dir.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kalvento::test {

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

// A scratch directory with a settings directory "config" beside the recordings.
class CliScratch {
  public:
    CliScratch() { std::filesystem::create_directory(dir_.file("config")); }

    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string path() const { return dir_.path(); }

    // Writes kalvento.ini with the given "key=value" lines of section KalventoDlg.
    void write_settings(const std::vector<std::string>& lines) const {
        std::ofstream out(dir_.file("config/kalvento.ini"), std::ios::binary);
        out << "[KalventoDlg]\r\n";
        for (const std::string& line : lines) out << line << "\r\n";
    }

    // The shell command line that runs kalvento-cli with these arguments;
    // `environment` ("TZ=UTC", ...) goes before it.
    std::string command(const std::vector<std::string>& arguments,
                        const std::string& environment = {}) const {
        std::string line = environment + " KALVENTO_DIR=" + shell_quote(dir_.file("config")) + " " +
                           shell_quote(KALVENTO_CLI_PATH);
        for (const std::string& argument : arguments) line += " " + shell_quote(argument);
        return line;
    }

    CliRun run(const std::vector<std::string>& arguments,
               const std::string& environment = {}) const {
        CliRun result;
        const std::string errors = dir_.file("stderr.txt");
        FILE* pipe =
            ::popen((command(arguments, environment) + " 2>" + shell_quote(errors)).c_str(), "r");
        if (pipe == nullptr) return result;
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.output.append(buffer, got);
        const int status = ::pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.errors = read_all(errors);
        std::filesystem::remove(errors);
        return result;
    }

  private:
    TempDir dir_;
};

// The lines of a text.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace kalvento::test
