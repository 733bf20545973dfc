#include "cli/rename_command.h"

#include "platform/codepage.h"
#include "rules/rule_engine.h"
#include "schedule/schedule_query.h"

#include "app/job_list.h"
#include "cli/cli_settings.h"
#include "cli/json_output.h"
#include "cli/terminal_progress.h"
#include "naming/compose.h"
#include "naming/rename.h"
#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <set>

namespace kalvento::cli {
namespace {

// What happened to one file named on the command line.
struct FileReport {
    std::string path;                  // as given
    std::optional<std::size_t> entry;  // its job-list entry, when it has one
    bool duplicate = false;            // named before; reported there
    std::string problem;               // why it could not be read
    std::string status;                // JSON status word
    std::string message;
    std::string newPath;  // native target: moved to, planned, or composed
    ConvertResult result;
    bool success = false;
};

// Why a file cannot be read, or empty when it can.
std::string read_problem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular ? "" : "not a regular file";
}

const char* status_word(ConvertStatus status) {
    switch (status) {
        case ConvertStatus::moved:
            return "renamed";
        case ConvertStatus::alreadyNamed:
            return "unchanged";
        case ConvertStatus::noProgrammeData:
            return "noProgrammeData";
        case ConvertStatus::emptyName:
            return "emptyName";
        case ConvertStatus::tooLong:
            return "tooLong";
        case ConvertStatus::unmappableName:
            return "unmappableName";
        case ConvertStatus::noFreeName:
            return "noFreeName";
        case ConvertStatus::moveFailed:
            return "moveFailed";
    }
    return "";
}

void fill_from_result(FileReport& report, const ConvertResult& result) {
    report.result = result;
    report.status = status_word(result.status);
    report.message = convert_status_text(result.status);
    if (!result.message.empty()) report.message += ": " + result.message;
    report.newPath = result.toPath;
    report.success = result.ended_with_composed_name();
}

// The dry run: the name each file would get, with the free-name search done
// against the disk and the names planned for the files before it.
void plan_conversion(const JobList& jobs, std::vector<FileReport>& reports) {
    std::set<std::string> planned;
    std::set<std::string> vacated;
    const auto taken = [&](const std::string& path) {
        return planned.count(path) != 0 || (path_exists(path) && vacated.count(path) == 0);
    };
    for (FileReport& report : reports) {
        if (!report.entry || report.duplicate) continue;
        const FileEntry& entry = jobs.entries()[*report.entry];
        ConvertResult result;
        result.fromPath = entry.nativePath;
        result.toPath = entry.nativeNewPath;
        if (const auto blocker = move_blocker(entry)) {
            result.status = *blocker;
            fill_from_result(report, result);
            continue;
        }
        if (const auto free_name = find_free_name(entry.nativeNewPath, taken)) {
            planned.insert(*free_name);
            vacated.insert(entry.nativePath);
            report.status = "wouldRename";
            report.message = "would be renamed";
            report.newPath = *free_name;
            report.success = true;
        } else {
            result.status = ConvertStatus::noFreeName;
            fill_from_result(report, result);
        }
    }
}

nlohmann::ordered_json candidate_json(const ProgramInfo& info) {
    nlohmann::ordered_json json;
    json["eventName"] = utf8_for_output(info.eventName);
    json["channelName"] = utf8_for_output(info.channelName);
    json["serviceName"] = utf8_for_output(info.serviceName);
    json["serviceId"] = info.serviceId;
    json["eventId"] = info.eventId;
    json["startTime"] = info.startTime;
    json["endTime"] = info.endTime;
    return json;
}

void print_json(const FileReport& report, const JobList& jobs, bool dry_run) {
    nlohmann::ordered_json line;
    line["path"] = report.path;
    line["newPath"] = nullptr;
    if (!report.newPath.empty()) line["newPath"] = report.newPath;
    line["status"] = report.status;
    line["message"] = report.message;
    line["dryRun"] = dry_run;
    const FileEntry* entry = report.entry ? &jobs.entries()[*report.entry] : nullptr;
    line["newName"] = nullptr;
    if (entry && !entry->newName.empty()) line["newName"] = utf8_for_output(entry->newName);
    const ProgramInfo* info = entry ? selected_candidate(*entry) : nullptr;
    line["candidate"] = nullptr;
    if (info) line["candidate"] = candidate_json(*info);
    line["candidateCount"] = entry ? entry->candidates.size() : 0;
    line["companions"] = nlohmann::ordered_json::array();
    for (const CompanionMove& move : report.result.companions) {
        nlohmann::ordered_json companion;
        companion["from"] = move.from;
        companion["to"] = move.to;
        companion["moved"] = move.moved;
        if (!move.moved) companion["message"] = move.message;
        line["companions"].push_back(companion);
    }
    line["fileTimeSet"] = report.result.timesSet;
    std::cout << json_line(line) << "\n";
}

void print_text(const FileReport& report, bool dry_run) {
    if (report.status == "renamed" || report.status == "wouldRename") {
        std::cout << report.path << " -> " << report.newPath << (dry_run ? "  (dry run)" : "")
                  << "\n";
    } else if (report.status == "unchanged") {
        std::cout << report.path << ": unchanged, name already right\n";
    } else if (report.status == "duplicate") {
        std::cout << report.path << ": named twice, handled once\n";
    } else {
        std::cout << report.path << ": not renamed: " << report.message << "\n";
    }
    for (const CompanionMove& move : report.result.companions) {
        std::cout << "  " << move.from << (move.moved ? " -> " : " not moved to ") << move.to
                  << (move.moved ? "" : ": " + move.message) << "\n";
    }
}

}  // namespace

CLI::App* add_rename_command(CLI::App& app, RenameOptions& options) {
    CLI::App* command = app.add_subcommand(
        "rename",
        "Rename recordings after their programme, unattended, with the items, separators and\n"
        "check boxes of the settings file (NotRename, GopRename, WildRename, FileDate,\n"
        "OmbrixRename). A file is never overwritten: a taken name gets (1), (2), ...");
    command->add_flag("--dry-run", options.dryRun,
                      "Compose and print the new names; touch no file");
    command->add_flag("--json", options.json,
                      "One JSON object per file and line (JSON Lines, UTF-8)");
    command->add_flag("-v,--verbose", options.verbose,
                      "Show the schedule-service requests of rename rules and why they found nothing");
    command->add_option("FILE", options.files, "Recordings (.ts)")->required();
    return command;
}

// The rules of the settings file, in store order, with schedule lookups at the
// base address the settings name; the first rule that matches names the file.
static RuleStep rule_step_for(const CliEnvironment& environment, bool verbose) {
    ScheduleService service;
    service.baseUrl = environment.settings.scheduleBaseUrl;
    if (verbose) {
        service.log = [](const std::string& text) {
            std::cerr << "schedule: " << cp932_to_utf8_lossy(text) << "\n";
        };
    }
    ScheduleLookup lookup = make_schedule_lookup(std::move(service));
    return [rules = environment.rules, lookup](FileEntry& entry, ProgramInfo& candidate, std::string& result) {
        return apply_first_rule(rules, entry.currentName, candidate, result, lookup);
    };
}

int run_rename(const RenameOptions& options, const char* argv0) {
    const CliEnvironment environment = load_cli_environment(argv0);
    JobList jobs(environment.channels);
    jobs.set_rule_step(rule_step_for(environment, options.verbose));
    jobs.set_naming(naming_settings_from(environment.settings));
    jobs.set_analysis_window(analysis_window_from(environment.settings));

    std::vector<FileReport> reports;
    reports.reserve(options.files.size());
    TerminalProgress progress;
    const std::string total = std::to_string(options.files.size());
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        FileReport report;
        report.path = options.files[i];
        report.problem = read_problem(report.path);
        if (!report.problem.empty()) {
            report.status = "unreadable";
            report.message = "cannot read: " + report.problem;
            reports.push_back(std::move(report));
            continue;
        }
        progress.begin("[" + std::to_string(i + 1) + "/" + total + "] " + report.path);
        const AddResult added =
            jobs.add_recording(report.path, [&](std::int64_t done_k, std::int64_t total_k) {
                progress.update(done_k, total_k);
                return true;
            });
        progress.end();
        if (added.outcome == AddOutcome::added) {
            report.entry = added.entry;
        } else if (added.outcome == AddOutcome::alreadyPresent) {
            report.entry = added.entry;
            report.duplicate = true;
            report.status = "duplicate";
            report.message = "named twice, handled once";
            report.success = true;
        } else {
            report.status = "analysisFailed";
            report.message = "the analysis failed";
        }
        reports.push_back(std::move(report));
    }

    if (options.dryRun) {
        plan_conversion(jobs, reports);
    } else {
        jobs.select_all();
        const auto conversion =
            jobs.convert_selected(conversion_options_from(environment.settings));
        if (conversion) {
            for (const ConvertedEntry& converted : conversion->converted) {
                for (FileReport& report : reports) {
                    if (report.entry == converted.entry && !report.duplicate)
                        fill_from_result(report, converted.result);
                }
            }
        }
    }

    int exit_code = 0;
    for (const FileReport& report : reports) {
        if (options.json) {
            print_json(report, jobs, options.dryRun);
        } else {
            print_text(report, options.dryRun);
        }
        if (!report.success) exit_code = 1;
    }
    std::cout.flush();
    return exit_code;
}

}  // namespace kalvento::cli
