#include "app/conversion.h"

#include "app/status_words.h"
#include "naming/rename_plan.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace kalvento {
namespace {

FileConversion file_of(EntryId id, const ConversionRequest& request, const FileEntry& entry,
                       ConvertResult result) {
    return FileConversion{.id = id,
                          .action = request.action,
                          .result = std::move(result),
                          .warnings = entry.ruleWarnings};
}

// Each file as the conversion would plan it; nothing is touched.
ConversionReport plan_jobs(const JobList& jobs, const std::vector<EntryId>& ids,
                           const ConversionRequest& request) {
    ConversionReport report;
    DryRunPlanner planner;
    for (const EntryId id : ids) {
        const FileEntry* entry = jobs.find(id);
        if (entry == nullptr) continue;
        RenamePlan plan = planner.plan(*entry, request.options);
        ConvertResult result;
        result.status = plan.blocker.value_or(ConvertStatus::wouldMove);
        result.fromPath = std::move(plan.from);
        result.toPath = std::move(plan.to);
        result.companions = std::move(plan.companions);
        report.files.push_back(file_of(id, request, *entry, std::move(result)));
    }
    return report;
}

// Without its journal no file moves: each one says why.
ConversionReport refuse_jobs(const JobList& jobs, const std::vector<EntryId>& ids,
                             const ConversionRequest& request, Error error) {
    ConversionReport report;
    for (const EntryId id : ids) {
        const FileEntry* entry = jobs.find(id);
        if (entry == nullptr) continue;
        ConvertResult result;
        result.status = ConvertStatus::notRecorded;
        result.fromPath = entry->nativePath;
        result.message = error.message;
        report.files.push_back(file_of(id, request, *entry, std::move(result)));
    }
    report.journalError = std::move(error);
    return report;
}

}  // namespace

bool FileConversion::succeeded() const {
    if (result.status == ConvertStatus::wouldMove) return true;
    // A companion left behind is a file not converted.
    return result.ended_with_composed_name() && result.companions_moved();
}

bool FileConversion::changed_files() const {
    return result.status == ConvertStatus::moved || result.timesSet;
}

std::string FileConversion::reason() const {
    std::string text = convert_status_text(result.status);
    if (!result.message.empty()) text += ": " + result.message;
    return text;
}

bool ConversionReport::all_succeeded() const {
    return !journalError && std::all_of(files.begin(), files.end(), [](const FileConversion& file) {
        return file.succeeded();
    });
}

bool ConversionReport::changed_files() const {
    return std::any_of(files.begin(), files.end(),
                       [](const FileConversion& file) { return file.changed_files(); });
}

ConversionReport convert_jobs(JobList& jobs, const std::vector<EntryId>& ids,
                              const ConversionRequest& request, const NoticeSink& notices) {
    if (request.dryRun) return plan_jobs(jobs, ids, request);
    std::unique_ptr<JournalBatch> journal;
    if (!ids.empty() || !request.leftBefore.empty()) {
        auto begun =
            JournalBatch::begin(request.journalDirectory, request.frontEnd, {}, request.journal);
        if (!begun && ids.empty()) {
            // Nothing to move: only the record of the files left is missing.
            notices(Notice{NoticeLevel::warning, "journal", "",
                           "the files left are not on record: " + begun.error().message});
            return {};
        }
        if (!begun) return refuse_jobs(jobs, ids, request, begun.error());
        journal = std::move(*begun);
    }
    // A line refused here refuses the moves after it too: nothing moves
    // unrecorded.
    for (const LeftFile& left : request.leftBefore)
        (void)journal->record_left(left.path, left.status, left.reason);
    ListConversion done = jobs.convert(ids, request.options, journal.get());
    ConversionReport report;
    for (ConvertedEntry& converted : done.converted)
        report.files.push_back(
            file_of(converted.id, request, *jobs.find(converted.id), std::move(converted.result)));
    report.moved = std::move(done.moved);
    if (journal) {
        for (const FileConversion& file : report.files) {
            const ConvertStatus status = file.result.status;
            // A file whose line could not be written has no other either.
            if (status == ConvertStatus::moved || status == ConvertStatus::alreadyNamed ||
                status == ConvertStatus::notRecorded)
                continue;
            (void)journal->record_left(file.result.fromPath, status_word(status), file.reason());
        }
        if (Status finished = journal->finish(); !finished)
            notices(Notice{NoticeLevel::warning, "journal", "", finished.error().message});
        report.journalBusy = journal->gave_up_waiting();
        if (journal->started()) report.batch = journal->id();
    }
    return report;
}

}  // namespace kalvento
