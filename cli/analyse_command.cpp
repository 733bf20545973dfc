#include "cli/analyse_command.h"

#include "app/app_context.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/terminal_progress.h"
#include "programme/file_analysis.h"

#include <iostream>

namespace kalvento::cli {
namespace {

constexpr int kMaxWindowMb = 2047;  // the largest window the settings can hold

// One line on standard error for a file whose analysis found nothing to show.
void report_problem(const std::string& path, const AnalysisResult& result) {
    switch (result.outcome) {
        case AnalysisOutcome::cannotOpen:
            std::cerr << "kalvento-cli: cannot read " << path << ": " << result.error << "\n";
            break;
        case AnalysisOutcome::noPackets:
            std::cerr << "kalvento-cli: " << path
                      << ": no transport-stream packets found in the window\n";
            break;
        case AnalysisOutcome::stopped:
        case AnalysisOutcome::done:
            break;
    }
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
    const AppContext context = load_app_context(argv0);
    if (!context.settingsError.empty()) {
        std::cerr << "kalvento-cli: " << context.settingsError << "\n";
        return kExitUsage;
    }
    AnalysisWindow window = analysis_window_from(context.settings);
    if (options.startPercent >= 0) window.startPercent = options.startPercent;
    if (options.sizeMb >= 0) window.sizeMb = options.sizeMb;

    TerminalProgress progress;
    int exit_code = 0;
    for (const std::string& path : options.files) {
        progress.begin(path);
        const AnalysisResult result = analyse_recording(
            path, window, context.channels,
            Progress{.report = [&](std::int64_t done_k, std::int64_t total_k) {
                progress.update(done_k, total_k);
            },
                     .stop = {}});
        progress.end();
        report_problem(path, result);
        if (result.outcome != AnalysisOutcome::done) exit_code = 1;

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
