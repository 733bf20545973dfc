#include "cli/rename_command.h"

#include "app/app_context.h"
#include "app/conversion.h"
#include "app/job_list.h"
#include "app/journal.h"
#include "app/recording_folders.h"
#include "app/rule_warnings.h"
#include "app/run_log.h"
#include "app/settings_presets.h"
#include "app/status_words.h"
#include "cli/coverage_output.h"
#include "cli/decision_output.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/lock_option.h"
#include "cli/name_template.h"
#include "cli/notice_printer.h"
#include "cli/recording_options.h"
#include "cli/rename_report.h"
#include "cli/run_trace.h"
#include "cli/terminal_progress.h"
#include "cli/translation.h"
#include "platform/file_ops.h"
#include "platform/message_mark.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>

namespace kalvento::cli {
namespace {

// With --template the template names every file, in place of the rules and
// the items. False (and a message) when the template cannot be used.
bool use_template(const RenameOptions& options, const AppSettings& settings, JobList& jobs) {
    if (!options.templateText) return true;
    std::string error;
    const auto cp932_template = template_argument(*options.templateText, error);
    if (!cp932_template) {
        std::cerr << "kalvento-cli: " << shown(error) << "\n";
        return false;
    }
    jobs.set_rule_step(template_rule_step(*cp932_template));
    jobs.set_naming(template_naming(jobs.naming()));
    if (settings.notRename) {
        std::cerr << "kalvento-cli: "
                  << _("warning: NotRename is set in the settings file, so every "
                       "file keeps its name (kalvento-cli config set NotRename 0)")
                  << "\n";
    }
    return true;
}

// A fresh install has every item unused: point to the command that writes a
// first settings file.
void warn_without_settings_file(const std::vector<FileReport>& reports,
                                const std::string& settings_file) {
    const bool nameless = std::any_of(reports.begin(), reports.end(), [](const FileReport& report) {
        return report.status == "noNameItems";
    });
    if (!nameless || path_exists(settings_file)) return;
    std::cerr << "kalvento-cli: "
              << fill(_("there is no settings file yet (%s): kalvento-cli config init --preset %s "
                        "writes one that names recordings (config init --list shows the others)"),
                      {settings_file, kFirstPreset})
              << "\n";
}

// The waiting line of a schedule lookup.
std::string schedule_wait_text(const ScheduleWait& wait) {
    if (wait.kind == ScheduleWaitKind::turn)
        return _("schedule service: waiting a moment between requests");
    return fill(
        _("schedule service: waiting for the answer, %s s of %s s"),
        {std::to_string(wait.waited.count() / 1000), std::to_string(wait.limit.count() / 1000)});
}

// The files left before the conversion, for its journal batch; a retry
// left for the same unreachable service again adds nothing to the history.
std::vector<LeftFile> left_before(const std::vector<FileReport>& reports, bool retrying) {
    std::vector<LeftFile> left;
    for (const FileReport& report : reports)
        if (!report.duplicate && !report.status.empty() && !(retrying && report.retryLater))
            left.push_back(LeftFile{report.path, report.status, report.message.english});
    return left;
}

// One line per file named (a file named twice is one file).
std::vector<RunLogEntry> trace_entries(const std::vector<FileReport>& reports) {
    std::vector<RunLogEntry> entries;
    for (const FileReport& report : reports) {
        if (report.duplicate) continue;
        const bool placed = report.success || report.status == "renamed";
        entries.push_back(RunLogEntry{
            .status = report.status,
            .oldPath = absolute_normal_path(report.path),
            .newPath = placed && !report.newPath.empty() ? absolute_normal_path(report.newPath)
                                                         : std::string(),
            .reason = report.success ? std::string() : report.message.english,
            .succeeded = report.success});
    }
    return entries;
}

}  // namespace

CLI::App* add_rename_command(CLI::App& app, RenameOptions& options) {
    CLI::App* command = app.add_subcommand(
        "rename",
        _("Rename recordings after their programme, unattended, with the items, separators and\n"
          "check boxes of the settings file (NotRename, GopRename, WildRename, FileDate,\n"
          "OmbrixRename). A file is never overwritten: a taken name gets (1), (2), ...\n"
          "A file that already bears its name, or a numbered form of it, is left alone.\n"
          "--link-to, --copy-to or --move-to DIR (or LibraryAction and LibraryFolder in the\n"
          "settings file) put each recording into a library folder under its new name instead."));
    command->add_flag("--dry-run", options.dryRun,
                      _("Compose and print the new names; touch no file"));
    command->add_flag("--json", options.json,
                      _("One JSON object per file and line (JSON Lines, UTF-8)"));
    command->add_flag(
        "--allow-fallback", options.allowFallback,
        _("When a rename rule needs the schedule service and it cannot be reached, name the file\n"
          "from the programme's own fields instead of leaving it for a later run (exit code 75)"));
    command->add_flag(
        "-v,--verbose", options.verbose,
        _("Show the schedule-service requests of rename rules and why they found nothing"));
    add_explain_option(*command, options.explain, _("Tell why each file gets its name"));
    add_template_option(
        *command, options.templateText,
        _("Name every file by this template of the rename rules' @-macros (UTF-8),\n"
          "instead of the rules and items of the settings file"));
    add_candidate_options(*command, options.choice);
    add_library_options(*command, options.library);
    add_lock_timeout_option(*command, options.lockTimeout);
    add_trace_options(*command, options.logFile, options.systemLog);
    add_recording_arguments(*command, options.files, options.recursive);
    return command;
}

int run_rename(const RenameOptions& options, const char* argv0,
               std::vector<std::string>* statuses) {
    const AppContext context = load_app_context(argv0);
    if (!context.settingsError.empty()) {
        std::cerr << "kalvento-cli: " << shown(context.settingsError) << "\n";
        return kExitUsage;
    }
    // A trace that cannot be kept stops the run before any file is touched.
    auto log = RunLog::open(options.logFile, options.systemLog, lock_wait_for(options.lockTimeout));
    if (!log) {
        std::cerr << "kalvento-cli: " << shown(log.error().message) << "\n";
        return kExitUsage;
    }
    const NoticeSink notices = standard_error_notices(options.verbose);
    TerminalProgress waiting_line;
    RuleStepOptions rule_options;
    rule_options.stop = options.stop;
    rule_options.scheduleWaiting = [&waiting_line](const ScheduleWait& wait) {
        if (wait.kind == ScheduleWaitKind::over) {
            waiting_line.end();
        } else {
            waiting_line.show(schedule_wait_text(wait));
        }
    };
    rule_options.scheduleOutage = options.scheduleOutage;
    rule_options.notices = notices;
    JobList jobs(make_rule_step(context, std::move(rule_options)));
    jobs.set_naming(naming_settings_from(context.settings));
    if (!use_template(options, context.settings, jobs)) return kExitUsage;
    const AnalysisWindow window = analysis_window_from(context.settings);
    ConversionOptions conversion = conversion_options_from(context.settings);
    conversion.keepNumberedName = true;
    ConversionRequest request;
    request.options = conversion;
    request.dryRun = options.dryRun;
    request.journalDirectory = context.sideFiles.journalDirectory;
    request.frontEnd = options.frontEnd;
    request.journal.lockWait = lock_wait_for(options.lockTimeout);
    if (std::string error;
        !apply_library_options(options.library, context.settings, request, error)) {
        std::cerr << "kalvento-cli: " << shown(error) << "\n";
        return kExitUsage;
    }

    const std::vector<RecordingArgument> files =
        expand_recording_arguments(options.files, options.recursive);
    std::vector<FileReport> reports;
    // "a.ts" and "./a.ts" are one file: it is handled once.
    std::map<std::string, EntryId> by_absolute_path;
    reports.reserve(files.size());
    TerminalProgress progress;
    const std::string total = std::to_string(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        FileReport report;
        report.path = files[i].path;
        if (!files[i].error.empty()) {
            report.status = "unreadable";
            report.message = say("cannot read the folder: ") + said_from_below(files[i].error);
            reports.push_back(std::move(report));
            continue;
        }
        const std::string absolute = absolute_normal_path(report.path);
        if (const auto existing = by_absolute_path.find(absolute);
            existing != by_absolute_path.end()) {
            report.id = existing->second;
            report.warnings = jobs.find(existing->second)->ruleWarnings;
            report.duplicate = true;
            report.status = "duplicate";
            report.message = say("named twice, handled once");
            report.success = true;
            reports.push_back(std::move(report));
            continue;
        }
        progress.begin("[" + std::to_string(i + 1) + "/" + total + "] " +
                       path_for_text(report.path));
        AnalysisResult analysis = analyse_recording(
            report.path, window, context.channels,
            Progress{.report = [&](std::int64_t done_k,
                                   std::int64_t total_k) { progress.update(done_k, total_k); },
                     .stop = options.stop});
        progress.end();
        if (options.stop.stop_requested()) return kExitTryAgain;
        if (analysis.outcome == AnalysisOutcome::cannotOpen) {
            report.status = "unreadable";
            report.message = say("cannot read: ") + said_from_below(analysis.error);
            reports.push_back(std::move(report));
            continue;
        }
        if (const auto mismatch = network_mismatch(analysis.candidates, options.choice)) {
            std::cerr << "kalvento-cli: " << path_for_text(report.path) << ": " << *mismatch
                      << _("; nothing renamed") << "\n";
            return kExitUsage;
        }
        const CandidateTaken taken = take_candidate(analysis.candidates, options.choice);
        report.coverage =
            chosen_coverage(analysis, options.choice,
                            taken.missing.empty() ? std::optional<int>(taken.index) : std::nullopt);
        if (Said doubt = coverage_warning(report.coverage); !doubt.empty())
            std::cerr << "kalvento-cli: " << _("warning: ") << path_for_text(report.path) << ": "
                      << doubt.shown << "\n";
        const AddResult added = jobs.add_analysed(report.path, std::move(analysis), taken.index);
        if (added.outcome == AddOutcome::added) {
            report.id = added.id;
            by_absolute_path.emplace(absolute, added.id);
            const FileEntry& entry = *jobs.find(added.id);
            report.warnings = entry.ruleWarnings;
            // Pattern trouble is told at once, naming the file.
            tell_rule_warnings(entry, report.path, notices);
            if (!taken.missing.empty()) {
                report.status = "noSuchCandidate";
                report.message = taken.missing;
                report.choiceMissing = true;
            } else if (entry.scheduleUnreachable && !options.allowFallback) {
                report.status = "scheduleUnreachable";
                report.message =
                    say("left for a later run: its rename rule needs the schedule service, which "
                        "could not be reached (--allow-fallback names it without)");
                report.retryLater = true;
            }
        } else {
            report.status = "analysisFailed";
            report.message = say("the analysis failed");
        }
        reports.push_back(std::move(report));
    }
    // A lookup cut short by the stop is no answer to name a file by.
    if (options.stop.stop_requested()) return kExitTryAgain;

    std::vector<EntryId> ids;
    for (const FileReport& report : reports)
        if (report.id && !report.duplicate && report.status.empty()) ids.push_back(*report.id);
    request.leftBefore = left_before(reports, options.retrying);
    const ConversionReport converted = convert_jobs(jobs, ids, request, notices);
    if (converted.journalError)
        std::cerr << "kalvento-cli: " << _("nothing renamed: ") << converted.journalError->message
                  << "\n";
    // Each entry's report, found once for thousands of files.
    std::map<EntryId, FileReport*> report_of;
    for (FileReport& report : reports)
        if (report.id && !report.duplicate) report_of.emplace(*report.id, &report);
    for (const FileConversion& file : converted.files) {
        if (const auto found = report_of.find(file.id); found != report_of.end())
            fill_from_conversion(*found->second, file);
    }

    bool any_failed = false;
    bool any_retry = false;
    for (const FileReport& report : reports) {
        if (options.json) {
            print_json(report, jobs, options.dryRun, request.action,
                       options.explain ? &options.choice : nullptr);
        } else {
            print_text(report, options.dryRun, request.action);
            const FileEntry* entry = report.id ? jobs.find(*report.id) : nullptr;
            if (options.explain && entry && !report.choiceMissing && !report.duplicate)
                std::cout << decision_lines(*entry, options.choice);
        }
        any_retry = any_retry || report.retryLater;
        any_failed = any_failed || (!report.success && !report.retryLater);
        if (statuses != nullptr) statuses->push_back(report.status);
    }
    std::cout.flush();
    write_trace(**log, trace_entries(reports), options.logFile);
    warn_without_settings_file(reports, context.sideFiles.settingsFile);
    if (any_retry || converted.journalBusy) return kExitTryAgain;
    return any_failed ? kExitSomeFailed : kExitDone;
}

}  // namespace kalvento::cli
