#include "app/conversion.h"

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
    if (!ids.empty()) {
        auto begun =
            JournalBatch::begin(request.journalDirectory, request.frontEnd, {}, request.journal);
        if (!begun) return refuse_jobs(jobs, ids, request, begun.error());
        journal = std::move(*begun);
    }
    ListConversion done = jobs.convert(ids, request.options, journal.get());
    ConversionReport report;
    for (ConvertedEntry& converted : done.converted)
        report.files.push_back(
            file_of(converted.id, request, *jobs.find(converted.id), std::move(converted.result)));
    report.moved = std::move(done.moved);
    if (journal) {
        if (Status finished = journal->finish(); !finished)
            notices(Notice{NoticeLevel::warning, "journal", "", finished.error().message});
        report.journalBusy = journal->gave_up_waiting();
        if (journal->started()) report.batch = journal->id();
    }
    return report;
}

}  // namespace kalvento
