#include "cli/rename_report.h"

#include "app/status_words.h"
#include "cli/decision_output.h"
#include "cli/json_output.h"
#include "platform/message_mark.h"

#include <iostream>

namespace kalvento::cli {
namespace {

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

}  // namespace

void fill_from_conversion(FileReport& report, const FileConversion& file) {
    const ConvertResult& result = file.result;
    report.result = result;
    report.warnings = file.warnings;
    report.status = std::string(status_word(result.status));
    report.message = say(convert_status_text(result.status));
    if (!result.message.empty()) report.message += ": " + said_from_below(result.message);
    report.newPath = result.toPath;
    report.success = file.succeeded();
    if (result.status != ConvertStatus::wouldMove && !result.companions_moved())
        report.message += say("; a companion file was not moved");
}

void print_json(const FileReport& report, const JobList& jobs, bool dry_run,
                ConversionAction action, const CandidateChoice* explain) {
    nlohmann::ordered_json line;
    put_path(line, "path", report.path);
    line["newPath"] = nullptr;
    if (!report.newPath.empty()) put_path(line, "newPath", report.newPath);
    line["status"] = report.status;
    line["action"] = std::string(action_word(action));
    line["message"] = report.message.english;
    line["dryRun"] = dry_run;
    const FileEntry* entry = report.id ? jobs.find(*report.id) : nullptr;
    // Without the programme asked for, the file has no name nor candidate.
    const FileEntry* named = report.choiceMissing ? nullptr : entry;
    line["newName"] = nullptr;
    if (named && !named->newName.empty()) line["newName"] = utf8_for_output(named->newName);
    const ProgramInfo* info = named ? selected_candidate(*named) : nullptr;
    line["candidate"] = nullptr;
    if (info) line["candidate"] = candidate_json(*info);
    line["candidateCount"] = entry ? entry->candidates.size() : 0;
    line["companions"] = nlohmann::ordered_json::array();
    for (const CompanionMove& move : report.result.companions) {
        nlohmann::ordered_json companion;
        put_path(companion, "from", move.from);
        put_path(companion, "to", move.to);
        companion["moved"] = move.moved;
        if (!move.moved && !dry_run) companion["message"] = move.message;
        line["companions"].push_back(companion);
    }
    line["fileTimeSet"] = report.result.timesSet;
    line["warnings"] = nlohmann::ordered_json::array();
    for (const std::string& warning : report.warnings)
        line["warnings"].push_back(utf8_for_output(warning));
    if (Said doubt = coverage_warning(report.coverage); !doubt.empty())
        line["warnings"].push_back(std::move(doubt.english));
    line["coverage"] = coverage_json(report.coverage);
    if (explain != nullptr) line["decision"] = named ? decision_json(*named, *explain) : nullptr;
    std::cout << json_line(line) << "\n";
}

void print_text(const FileReport& report, bool dry_run, ConversionAction action) {
    const std::string path = path_for_text(report.path);
    if (report.status == "renamed" || report.status == "wouldRename") {
        constexpr const char* kDone[] = {"", N_("  (linked)"), N_("  (copied)"), N_("  (moved)")};
        constexpr const char* kPlanned[] = {"", N_("  (link)"), N_("  (copy)"), N_("  (move)")};
        const auto index = static_cast<std::size_t>(action);
        std::cout << path << " -> " << path_for_text(report.newPath)
                  << (dry_run ? _(kPlanned[index]) : _(kDone[index]))
                  << (dry_run ? _("  (dry run)") : "") << "\n";
    } else if (report.status == "unchanged") {
        std::cout << path << _(": unchanged, name already right") << "\n";
    } else if (report.status == "duplicate") {
        std::cout << path << _(": named twice, handled once") << "\n";
    } else {
        std::cout << path << _(": not renamed: ") << report.message.shown << "\n";
    }
    for (const CompanionMove& move : report.result.companions) {
        const std::string verb = dry_run ? " -> " : (move.moved ? " -> " : _(" not moved to "));
        std::cout << "  " << path_for_text(move.from) << verb << path_for_text(move.to)
                  << (move.moved || dry_run ? "" : ": " + shown(move.message)) << "\n";
    }
}

}  // namespace kalvento::cli
