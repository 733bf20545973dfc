#include "cli/analyse_command.h"

#include "cli/cli_settings.h"
#include "cli/json_output.h"
#include "cli/terminal_progress.h"
#include "programme/file_analysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace kalvento::cli {
namespace {

constexpr int kMaxWindowMb = 2047;  // the window end is computed in 32 bits

// Why a recording cannot be read, or empty when it can.
std::string open_problem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat info {};
    const bool directory = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    ::close(fd);
    return directory ? "is a directory" : "";
}

void print_listing(const std::string& path, const AnalysisResult& result) {
    std::cout << path << "\n  unit size: " << result.unitSize << "\n";
    int number = 1;
    for (const ProgramInfo& info : result.candidates) {
        std::cout << "  [" << number++ << "] " << utf8_for_output(info.eventName) << "\n";
        if (info.startTime == 0) continue;
        std::cout << "      channel:     " << utf8_for_output(info.channelName) << " / "
                  << utf8_for_output(info.serviceName) << " (" << utf8_for_output(info.channelLabel) << ")\n"
                  << "      broadcast:   " << utf8_for_output(info.dateYMDJ) << " "
                  << utf8_for_output(info.timeHM) << " (" << utf8_for_output(info.timeHM28) << ")\n"
                  << "      genre:       " << utf8_for_output(info.genre) << "\n"
                  << "      video/audio: " << utf8_for_output(info.avText) << "\n"
                  << "      packets:     " << info.videoPackets << "\n";
        if (!info.eventTextFlat.empty())
            std::cout << "      description: " << utf8_for_output(info.eventTextFlat) << "\n";
    }
}

}  // namespace

CLI::App* add_analyse_command(CLI::App& app, AnalyseOptions& options) {
    CLI::App* command = app.add_subcommand(
        "analyse",
        "Analyse recordings and print the programmes that were on air, largest share first.\n"
        "The window to read comes from the settings file (ReadStartPos, ReadSize) unless given here.");
    command->alias("analyze");
    command->add_flag("--json", options.json, "One JSON object per file and line (JSON Lines, UTF-8)");
    command->add_option("--start-percent", options.startPercent, "Where reading starts, in per cent of the file size")
        ->check(CLI::Range(0, 100));
    command->add_option("--size-mb", options.sizeMb, "How much to read, in MB")->check(CLI::Range(1, kMaxWindowMb));
    command->add_option("FILE", options.files, "Recordings (.ts)")->required();
    return command;
}

int run_analyse(const AnalyseOptions& options, const char* argv0) {
    const CliEnvironment environment = load_cli_environment(argv0);
    AnalysisWindow window;
    window.startPercent = options.startPercent >= 0 ? options.startPercent : environment.settings.readStartPos;
    window.sizeMb = options.sizeMb >= 0 ? options.sizeMb : environment.settings.readSize;

    TerminalProgress progress;
    int exit_code = 0;
    for (const std::string& path : options.files) {
        const std::string problem = open_problem(path);
        progress.begin(path);
        const AnalysisResult result = analyse_recording(
            path, window, environment.channels,
            [&](std::int64_t done_k, std::int64_t total_k) {
                progress.update(done_k, total_k);
                return true;
            });
        progress.end();
        if (!problem.empty()) {
            std::cerr << "kalvento-cli: cannot read " << path << ": " << problem << "\n";
            exit_code = 1;
        } else if (result.unitSize == 0) {
            std::cerr << "kalvento-cli: " << path << ": no transport-stream packets found in the window\n";
            exit_code = 1;
        } else if (result.outcome != AnalysisOutcome::done) {
            std::cerr << "kalvento-cli: " << path << ": the analysis failed\n";
            exit_code = 1;
        }

        if (options.json) {
            nlohmann::ordered_json line;
            line["path"] = path;
            line["unitSize"] = result.unitSize;
            line["candidates"] = nlohmann::ordered_json::array();
            for (const ProgramInfo& info : result.candidates) line["candidates"].push_back(program_info_json(info));
            std::cout << json_line(line) << "\n";
        } else {
            print_listing(path, result);
        }
        std::cout.flush();
    }
    return exit_code;
}

}  // namespace kalvento::cli
