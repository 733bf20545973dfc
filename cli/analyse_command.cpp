#include "cli/analyse_command.h"

#include "app/app_context.h"
#include "app/job_list.h"
#include "app/recording_folders.h"
#include "app/settings_table.h"
#include "cli/coverage_output.h"
#include "cli/decision_output.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/name_template.h"
#include "cli/notice_printer.h"
#include "cli/recording_options.h"
#include "cli/terminal_progress.h"
#include "cli/translation.h"
#include "programme/candidates.h"
#include "programme/file_analysis.h"

#include <iostream>

namespace kalvento::cli {
namespace {

// Why a file's analysis found nothing to show; empty when it was read.
Said problem_text(const AnalysisResult& result) {
    switch (result.outcome) {
        case AnalysisOutcome::cannotOpen:
            return say("cannot read: ") + result.error;
        case AnalysisOutcome::noPackets:
            return say("no transport-stream packets found in the window");
        case AnalysisOutcome::stopped:
        case AnalysisOutcome::done:
            break;
    }
    return {};
}

void print_listing(const std::string& path, const AnalysisResult& result,
                   const std::vector<std::string>& names) {
    std::cout << path_for_text(path) << "\n" << _("  unit size: ") << result.unitSize << "\n";
    for (std::size_t i = 0; i < result.candidates.size(); ++i) {
        const ProgramInfo& info = result.candidates[i];
        if (info.startTime == 0) {
            std::cout << "  [" << i + 1 << "] " << _("(no programme data)") << "\n";
            continue;
        }
        std::cout << "  [" << i + 1 << "] " << utf8_for_output(info.eventName) << "\n";
        if (i < names.size())
            std::cout << _("      new name:    ") << utf8_for_output(names[i]) << "\n";
        std::cout << _("      channel:     ") << utf8_for_output(info.channelName) << " / "
                  << utf8_for_output(info.serviceName) << " (" << utf8_for_output(info.channelLabel)
                  << ")\n"
                  << _("      broadcast:   ") << utf8_for_output(info.dateYMDJ) << " "
                  << utf8_for_output(info.timeHM) << " (" << utf8_for_output(info.timeHM28) << ")\n"
                  << fill(_("      ids:         service %s, event %s"),
                          {std::to_string(info.serviceId), std::to_string(info.eventId)})
                  << "\n"
                  << _("      genre:       ") << utf8_for_output(info.genre) << "\n"
                  << _("      video/audio: ") << utf8_for_output(info.avText) << "\n"
                  << _("      packets:     ") << info.videoPackets << "\n";
        if (!info.eventTextFlat.empty())
            std::cout << _("      description: ") << utf8_for_output(info.eventTextFlat) << "\n";
    }
}

// With --explain: the chosen candidate named as rename would name it, through
// the same job list and rule step; nullopt when the ids chose none.
std::optional<FileEntry> explained_entry(JobList& jobs, const std::string& path,
                                         const AnalysisResult& result,
                                         const CandidateChoice& choice) {
    const std::optional<int> chosen = choose_candidate(result.candidates, choice);
    if (!chosen) return std::nullopt;
    const AddResult added = jobs.add_analysed(path, result, *chosen);
    if (added.outcome == AddOutcome::stopped) return std::nullopt;
    const FileEntry* entry = jobs.find(added.id);
    if (entry == nullptr) return std::nullopt;
    return *entry;
}

}  // namespace

CLI::App* add_analyse_command(CLI::App& app, AnalyseOptions& options) {
    CLI::App* command = app.add_subcommand(
        "analyse",
        _("Analyse recordings and print the programmes that were on air, largest share first.\n"
          "The window to read comes from the settings file (ReadStartPos, ReadSize) unless given "
          "here."));
    command->alias("analyze");
    command->add_flag("--json", options.json,
                      _("One JSON object per file and line (JSON Lines, UTF-8)"));
    // The same limits as the settings ReadStartPos and ReadSize.
    const SettingRow& start = *find_setting("ReadStartPos");
    const SettingRow& size = *find_setting("ReadSize");
    command
        ->add_option("--start-percent", options.startPercent,
                     _("Where reading starts, in per cent of the file size"))
        ->check(CLI::Range(start.low, start.high));
    command->add_option("--size-mb", options.sizeMb, _("How much to read, in MB"))
        ->check(CLI::Range(size.low, size.high));
    add_template_option(*command, options.templateText,
                        _("Show the name this template of the rename rules' @-macros (UTF-8) "
                          "gives\neach candidate"));
    add_candidate_options(*command, options.choice, false);
    add_explain_option(*command, options.explain,
                       _("Compose the name rename would give and tell why"));
    add_recording_arguments(*command, options.files, options.recursive);
    return command;
}

int run_analyse(const AnalyseOptions& options, const char* argv0) {
    const AppContext context = load_app_context(argv0);
    if (!context.settingsError.empty()) {
        std::cerr << "kalvento-cli: " << shown(context.settingsError) << "\n";
        return kExitUsage;
    }
    AnalysisWindow window = analysis_window_from(context.settings);
    if (options.startPercent >= 0) window.startPercent = options.startPercent;
    if (options.sizeMb >= 0) window.sizeMb = options.sizeMb;

    std::optional<std::string> cp932_template;
    if (options.templateText) {
        std::string error;
        cp932_template = template_argument(*options.templateText, error);
        if (!cp932_template) {
            std::cerr << "kalvento-cli: " << error << "\n";
            return kExitUsage;
        }
        warn_about_template(*cp932_template);
    }

    // --explain composes as rename does; without it no rule runs and nothing is asked.
    JobList jobs;
    if (options.explain) {
        jobs.set_naming(naming_settings_from(context.settings));
        if (cp932_template) {
            jobs.set_rule_step(template_rule_step(*cp932_template));
            jobs.set_naming(template_naming(jobs.naming()));
        } else {
            RuleStepOptions rule_options;
            rule_options.notices = standard_error_notices();
            jobs.set_rule_step(make_rule_step(context, std::move(rule_options)));
        }
    }

    TerminalProgress progress;
    int exit_code = kExitDone;
    for (const RecordingArgument& file :
         expand_recording_arguments(options.files, options.recursive)) {
        const std::string& path = file.path;
        AnalysisResult result;
        if (file.error.empty()) {
            progress.begin(path_for_text(path));
            result = analyse_recording(
                path, window, context.channels,
                Progress{.report = [&](std::int64_t done_k, std::int64_t total_k) {
                    progress.update(done_k, total_k);
                }});
            progress.end();
        } else {
            result.error = file.error;  // a folder that cannot be listed
            result.candidates.push_back(no_data_candidate());
        }
        const Said problem = problem_text(result);
        if (!problem.empty()) {
            std::cerr << "kalvento-cli: " << path_for_text(path) << ": " << problem.shown << "\n";
            exit_code = kExitSomeFailed;
        }
        if (const auto mismatch = network_mismatch(result.candidates, options.choice)) {
            std::cerr << "kalvento-cli: " << path_for_text(path) << ": " << *mismatch << "\n";
            return kExitUsage;
        }
        std::vector<std::string> names;
        if (cp932_template) names = names_by_template(path, result.candidates, *cp932_template);
        // What the ids asked for: the programme's coverage, and why it is in doubt.
        std::vector<Said> warnings;
        std::optional<ProgrammeCoverage> coverage;
        if (options.choice.by_ids() && problem.empty()) {
            const std::optional<int> chosen = choose_candidate(result.candidates, options.choice);
            if (!chosen)
                warnings.push_back(missing_candidate_text(result.candidates, options.choice));
            coverage = chosen_coverage(result, options.choice, chosen);
            if (Said doubt = coverage_warning(coverage); !doubt.empty())
                warnings.push_back(std::move(doubt));
        }
        std::optional<FileEntry> explained;
        if (options.explain && problem.empty()) {
            explained = explained_entry(jobs, path, result, options.choice);
            if (explained) {
                for (const std::string& warning : explained->ruleWarnings)
                    warnings.push_back(utf8_for_output(warning));
            }
        }
        for (const Said& warning : warnings)
            std::cerr << "kalvento-cli: " << _("warning: ") << path_for_text(path) << ": "
                      << warning.shown << "\n";

        if (options.json) {
            nlohmann::ordered_json line;
            put_path(line, "path", path);
            line["unitSize"] = result.unitSize;
            line["error"] = nullptr;
            if (!problem.empty()) line["error"] = problem.english;
            line["candidates"] = nlohmann::ordered_json::array();
            for (std::size_t i = 0; i < result.candidates.size(); ++i) {
                nlohmann::ordered_json candidate = program_info_json(result.candidates[i]);
                if (cp932_template) {
                    candidate["newName"] = nullptr;
                    if (!names[i].empty()) candidate["newName"] = utf8_for_output(names[i]);
                }
                line["candidates"].push_back(std::move(candidate));
            }
            line["coverage"] = coverage_json(coverage);
            line["warnings"] = nlohmann::ordered_json::array();
            for (const Said& warning : warnings) line["warnings"].push_back(warning.english);
            if (options.explain) {
                line["newName"] = nullptr;
                if (explained && !explained->newName.empty())
                    line["newName"] = utf8_for_output(explained->newName);
                line["decision"] = explained ? decision_json(*explained, options.choice) : nullptr;
            }
            std::cout << json_line(line) << "\n";
        } else {
            print_listing(path, result, names);
            if (coverage) std::cout << coverage_listing(*coverage);
            if (explained) {
                std::cout << _("  rename gives: ")
                          << (explained->newName.empty() ? _("(no name)")
                                                         : utf8_for_output(explained->newName))
                          << "\n"
                          << decision_lines(*explained, options.choice);
            }
        }
        std::cout.flush();
    }
    return exit_code;
}

}  // namespace kalvento::cli
