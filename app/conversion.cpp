#include "app/conversion.h"

#include "app/status_words.h"
#include "naming/rename_plan.h"
#include "platform/codepage.h"
#include "platform/message_mark.h"
#include "rules/rule_engine.h"

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

// The library the request names, or nullopt for a rename in place. The
// folder template expands as a rule template does, on the programme that
// names the file.
std::optional<LibraryTarget> library_of(const ConversionRequest& request) {
    LibraryTarget target;
    switch (request.action) {
        case ConversionAction::renameInPlace:
            return std::nullopt;
        case ConversionAction::linkInto:
            target.action = LibraryAction::link;
            break;
        case ConversionAction::copyInto:
            target.action = LibraryAction::copy;
            break;
        case ConversionAction::moveInto:
            target.action = LibraryAction::move;
            break;
    }
    target.folder = request.libraryFolder;
    target.folderTemplate = request.folderTemplate;
    target.expand = [](const FileEntry& entry, std::string_view component) {
        const ProgramInfo* selected = selected_candidate(entry);
        if (selected == nullptr) return std::string();
        ProgramInfo candidate = *selected;
        std::string text;
        apply_template(entry.currentName, candidate, component, text);
        return text;
    };
    return target;
}

// Each file as the conversion would plan it; nothing is touched.
ConversionReport plan_jobs(const JobList& jobs, const std::vector<EntryId>& ids,
                           const ConversionRequest& request) {
    ConversionReport report;
    DryRunPlanner planner;
    LibraryDryRun library_planner;
    const std::optional<LibraryTarget> library = library_of(request);
    for (const EntryId id : ids) {
        const FileEntry* entry = jobs.find(id);
        if (entry == nullptr) continue;
        RenamePlan plan;
        if (library) {
            LibraryPlan planned = library_planner.plan(*entry, request.options, *library);
            plan.blocker = planned.blocker;
            plan.message = std::move(planned.message);
            plan.from = std::move(planned.from);
            plan.to = std::move(planned.to);
            plan.companions = std::move(planned.companions);
        } else {
            plan = planner.plan(*entry, request.options);
        }
        ConvertResult result;
        result.status = plan.blocker.value_or(ConvertStatus::wouldMove);
        // The library's refusals say which folder is at fault.
        if (library) result.message = std::move(plan.message);
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

std::string_view action_word(ConversionAction action) {
    switch (action) {
        case ConversionAction::renameInPlace:
            return "rename";
        case ConversionAction::linkInto:
            return "link";
        case ConversionAction::copyInto:
            return "copy";
        case ConversionAction::moveInto:
            return "move";
    }
    return "rename";
}

Status use_library_settings(const AppSettings& settings, ConversionRequest& request) {
    constexpr ConversionAction kActions[] = {ConversionAction::renameInPlace,
                                             ConversionAction::linkInto, ConversionAction::copyInto,
                                             ConversionAction::moveInto};
    const auto index = static_cast<std::size_t>(settings.libraryAction);
    request.action =
        index < std::size(kActions) ? kActions[index] : ConversionAction::renameInPlace;
    if (request.action == ConversionAction::renameInPlace) return {};
    if (settings.libraryFolder.empty())
        return Error::failed(fill_message(N_("LibraryAction is %s but no LibraryFolder is set: "
                                             "set the library folder, or set LibraryAction back "
                                             "to rename"),
                                          {action_word(request.action)}));
    const auto folder = cp932_to_utf8(settings.libraryFolder);
    if (!folder)
        return Error::failed(N_("LibraryFolder cannot be read as a folder name: set it again"));
    request.libraryFolder = *folder;
    request.folderTemplate = settings.libraryTemplate;
    return {};
}

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
            notices(Notice{
                NoticeLevel::warning, "journal", "",
                fill_message(N_("the files left are not on record: %s"), {begun.error().message})});
            return {};
        }
        if (!begun) return refuse_jobs(jobs, ids, request, begun.error());
        journal = std::move(*begun);
    }
    // A line refused here refuses the moves after it too: nothing moves
    // unrecorded.
    for (const LeftFile& left : request.leftBefore)
        (void)journal->record_left(left.path, left.status, left.reason);
    const std::optional<LibraryTarget> library = library_of(request);
    ListConversion done =
        jobs.convert(ids, request.options, journal.get(), library ? &*library : nullptr);
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
