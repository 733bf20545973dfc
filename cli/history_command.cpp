#include "cli/history_command.h"

#include "app/journal.h"
#include "app/side_files.h"
#include "app/status_words.h"
#include "app/undo.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/lock_option.h"
#include "cli/notice_printer.h"
#include "cli/translation.h"
#include "platform/japan_time.h"
#include "platform/message_mark.h"

#include <iostream>
#include <map>

namespace kalvento::cli {
namespace {

std::string japan_text(std::int64_t seconds) {
    return japan_date_time_text(seconds) + " JST";
}

std::string folder_of(const JournalBatchRecord& batch) {
    const std::string* first_path = nullptr;
    if (!batch.moves.empty()) {
        first_path = &batch.moves.front().from;
    } else if (!batch.placements.empty()) {
        first_path = &batch.placements.front().from;
    } else if (!batch.left.empty()) {
        first_path = &batch.left.front().path;
    } else if (!batch.removals.empty()) {
        first_path = &batch.removals.front().path;
    } else {
        return batch.folder;
    }
    const std::string& first = *first_path;
    const std::size_t slash = first.rfind('/');
    return slash == std::string::npos ? batch.folder : first.substr(0, slash == 0 ? 1 : slash);
}

std::size_t files_moved(const JournalBatchRecord& batch) {
    std::size_t count = 0;
    for (const JournalMove& move : batch.moves)
        if (move.outcome != RecordedOutcome::notMoved) ++count;
    return count;
}

// The links or copies the batch made.
std::size_t files_placed(const JournalBatchRecord& batch, PlaceKind kind) {
    std::size_t count = 0;
    for (const JournalPlacement& made : batch.placements)
        if (made.kind == kind && made.outcome != RecordedOutcome::notMoved) ++count;
    return count;
}

const char* reason_text(UndoStatus status) {
    switch (status) {
        case UndoStatus::newNameHoldsAnother:
            return N_("its new name now holds another file");
        case UndoStatus::oldNameTaken:
            return N_("its old name has been taken since");
        case UndoStatus::gone:
            return N_("it is gone: neither name holds it");
        case UndoStatus::renamedLater:
        case UndoStatus::recordingLeft:
            return "";
        case UndoStatus::failed:
            return N_("the move back failed");
        case UndoStatus::notRecorded:
            return N_("the rename journal cannot be written");
        default:
            return "";
    }
}

// A text, or null when it is empty.
nlohmann::ordered_json optional_text(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
}

}  // namespace

CLI::App* add_history_command(CLI::App& app, HistoryOptions& options) {
    CLI::App* command = app.add_subcommand(
        "history", _("List the recent renaming batches of the rename journal, newest first"));
    command->add_option("-n", options.count, _("How many batches to list (default 10)"))
        ->check(CLI::Range(1, 1000000));
    command->add_flag("--json", options.json, _("One JSON object per batch and line"));
    return command;
}

CLI::App* add_undo_command(CLI::App& app, UndoOptions& options) {
    CLI::App* command = app.add_subcommand(
        "undo",
        _("Take a renaming batch back: every file returns to its old name, companions with their\n"
          "recording, and gets back the times it had; a link or copy made into a library folder "
          "is\n"
          "removed while it is still the file made and its original is still there. A file whose\n"
          "new name now holds another file, whose old name has been taken since, or that a later\n"
          "batch renamed again, is left where it is (exit code 1)."));
    command->add_option("BATCH", options.batch,
                        _("The batch to take back (see history), or the start of its id"));
    command->add_flag("--last", options.last,
                      _("Take back the last batch that changed anything; when that is an undo\n"
                        "that was cut short, finish it instead"));
    command
        ->add_option(
            "--since", options.since,
            _("Take back, newest first, every batch that changed files and started at\n"
              "or after this Japan time (\"YYYY-MM-DD HH:MM[:SS]\", or with T), each as\n"
              "an undo batch of its own; undos and batches undone already are passed over"))
        ->type_name("TIME");
    command
        ->add_option("--folder", options.folder,
                     _("With --since or --last: only batches whose files all went into DIR"))
        ->type_name("DIR");
    command->add_flag("--dry-run", options.dryRun, _("Tell what would be done; touch no file"));
    command->add_flag("--json", options.json, _("One JSON object per file and line"));
    add_lock_timeout_option(*command, options.lockTimeout);
    return command;
}

int run_history(const HistoryOptions& options, const char* argv0) {
    const SideFiles side_files = locate_side_files(argv0);
    const JournalContents contents = read_journal(side_files.journalDirectory);
    if (contents.damagedLines > 0)
        standard_error_notices()(damaged_lines_notice(contents.damagedLines));
    if (contents.problem) {
        std::cerr << "kalvento-cli: history: " << shown(contents.problem->message) << "\n";
        return kExitSomeFailed;
    }
    // The last undo of each batch: cut short, or with files left behind, it
    // undid the batch only partly.
    std::map<std::string, const JournalBatchRecord*> undone_by;
    for (const JournalBatchRecord& batch : contents.batches)
        if (!batch.undoOf.empty()) undone_by[batch.undoOf] = &batch;
    const auto partly = [](const JournalBatchRecord& undo) {
        return !undo.ended || undo.leftBehind > 0;
    };

    int listed = 0;
    for (auto batch = contents.batches.rbegin();
         batch != contents.batches.rend() && listed < options.count; ++batch, ++listed) {
        const auto undo = undone_by.find(batch->id);
        if (options.json) {
            nlohmann::ordered_json line;
            line["batch"] = batch->id;
            line["time"] = batch->time;
            line["frontEnd"] = batch->frontEnd;
            line["files"] = files_moved(*batch);
            line["linked"] = files_placed(*batch, PlaceKind::link);
            line["copied"] = files_placed(*batch, PlaceKind::copy);
            line["removed"] = batch->removals.size();
            line["dated"] = batch->datings.size();
            line["left"] = batch->left.size();
            put_path(line, "folder", folder_of(*batch));
            line["complete"] = batch->ended;
            line["undoOf"] = optional_text(batch->undoOf);
            line["undoneBy"] = optional_text(undo == undone_by.end() ? "" : undo->second->id);
            line["partlyUndone"] = undo != undone_by.end() && partly(*undo->second);
            std::cout << json_line(line) << "\n";
            continue;
        }
        std::cout << batch->id << "  " << japan_text(batch->time) << "  " << batch->frontEnd << "  "
                  << files_moved(*batch) << (files_moved(*batch) == 1 ? _(" file") : _(" files"));
        if (const std::size_t linked = files_placed(*batch, PlaceKind::link); linked > 0)
            std::cout << fill(_(", %s linked"), {std::to_string(linked)});
        if (const std::size_t copied = files_placed(*batch, PlaceKind::copy); copied > 0)
            std::cout << fill(_(", %s copied"), {std::to_string(copied)});
        if (!batch->removals.empty())
            std::cout << fill(_(", %s removed"), {std::to_string(batch->removals.size())});
        std::cout << "  " << path_for_text(folder_of(*batch));
        if (!batch->ended) std::cout << _("  (interrupted)");
        if (!batch->undoOf.empty()) std::cout << fill(_("  (undo of %s)"), {batch->undoOf});
        if (undo != undone_by.end())
            std::cout << fill(
                partly(*undo->second) ? _("  (partly undone by %s)") : _("  (undone by %s)"),
                {undo->second->id});
        std::cout << "\n";
        for (const JournalLeft& left : batch->left)
            std::cout << _("  left: ") << path_for_text(left.path) << " (" << left.status
                      << (left.reason.empty() ? "" : ": " + left.reason) << ")\n";
    }
    return kExitDone;
}

namespace {

// The lines of one batch taken back.
void print_undo(const UndoReport& report, const UndoOptions& options) {
    if (report.error) std::cerr << "kalvento-cli: undo: " << shown(report.error->message) << "\n";
    if (!options.json && !report.steps.empty()) {
        if (!report.resumedUndo.empty()) {
            std::cout << fill(options.dryRun ? _("would finish the interrupted undo %s of batch %s")
                                             : _("finishing the interrupted undo %s of batch %s"),
                              {report.resumedUndo, report.batch})
                      << "\n";
        } else {
            std::cout << fill(options.dryRun ? _("would take back batch %s")
                                             : _("taking back batch %s"),
                              {report.batch})
                      << "\n";
        }
    }
    for (const UndoStep& step : report.steps) {
        if (options.json) {
            nlohmann::ordered_json line;
            line["batch"] = report.batch;
            line["undoBatch"] = optional_text(report.undoBatch);
            line["role"] = step.role == FileRole::recording ? "recording" : "companion";
            put_path(line, "path", step.path);
            put_path(line, "target", step.target);
            line["status"] = std::string(status_word(step.status));
            line["message"] = step.message;
            line["laterBatch"] = optional_text(step.laterBatch);
            line["dryRun"] = options.dryRun;
            std::cout << json_line(line) << "\n";
            continue;
        }
        // Past a lock that stayed held, nothing more was touched: one line
        // (the error) says so instead of one per file.
        if (report.busy() &&
            (step.status == UndoStatus::notRecorded || step.status == UndoStatus::recordingLeft))
            continue;
        const std::string path = path_for_text(step.path);
        switch (step.status) {
            case UndoStatus::movedBack:
            case UndoStatus::wouldMoveBack:
                std::cout << path << " -> " << path_for_text(step.target)
                          << (options.dryRun ? _("  (dry run)") : "") << "\n";
                break;
            case UndoStatus::alreadyBack:
                std::cout << path << _(": already under its old name") << "\n";
                break;
            case UndoStatus::removed:
            case UndoStatus::wouldRemove:
                std::cout << path << ": "
                          << (options.dryRun ? _("would be removed  (dry run)") : _("removed"))
                          << "\n";
                break;
            case UndoStatus::timesRestored:
                std::cout << path << _(": times restored")
                          << (options.dryRun ? _("  (dry run)") : "") << "\n";
                break;
            default:
                std::cout << path << _(": left where it is: ")
                          << (*reason_text(step.status) == '\0'
                                  ? shown(step.message)
                                  : _(reason_text(step.status)) +
                                        (step.message.empty() ? ""
                                                              : " (" + shown(step.message) + ")"))
                          << "\n";
                break;
        }
    }
    if (!options.json && !report.undoBatch.empty())
        std::cout << fill(_("the undo is recorded as batch %s"), {report.undoBatch}) << "\n";
    std::cout.flush();
}

int busy_exit() {
    std::cerr << "kalvento-cli: undo: "
              << _("the files not named above were left as they were: try again later") << "\n";
    return kExitTryAgain;
}

// undo --since: each batch since the time, newest first, as its own undo.
int undo_since(const UndoOptions& options, const std::string& journal_directory,
               std::int64_t since) {
    const JournalContents contents = read_journal(journal_directory);
    if (contents.damagedLines > 0)
        standard_error_notices()(damaged_lines_notice(contents.damagedLines));
    if (contents.problem) {
        std::cerr << "kalvento-cli: undo: " << _("nothing taken back: ")
                  << shown(contents.problem->message) << "\n";
        return kExitSomeFailed;
    }
    const BatchesSince picked = batches_since(contents, since, options.folder);
    bool all_back = picked.stillRunning.empty();
    for (const std::string& id : picked.stillRunning)
        std::cerr << "kalvento-cli: undo: "
                  << fill(_("batch %s is still running (process %s): wait for it to end, or "
                            "name it"),
                          {id, std::to_string(batch_process_id(id))})
                  << "\n";
    if (picked.batches.empty() && all_back) {
        std::cerr << "kalvento-cli: undo: "
                  << (options.folder.empty()
                          ? fill(_("no batch changed files since %s"), {options.since})
                          : fill(_("no batch changed files since %s in %s"),
                                 {options.since, path_for_text(options.folder)}))
                  << "\n";
        return kExitDone;
    }
    for (const std::string& id : picked.batches) {
        // The journal was read and its damage told once above.
        const UndoReport report =
            undo_batch(journal_directory, id, options.dryRun, kFrontEndUndo,
                       {.lockWait = lock_wait_for(options.lockTimeout)}, NoticeSink());
        print_undo(report, options);
        if (report.busy()) return busy_exit();
        all_back = all_back && report.complete();
    }
    return all_back ? kExitDone : kExitSomeFailed;
}

}  // namespace

int run_undo(const UndoOptions& options, const char* argv0) {
    const int ways = int(options.last) + int(!options.batch.empty()) + int(!options.since.empty());
    if (ways != 1) {
        std::cerr << "kalvento-cli: undo: "
                  << _("name a batch (see history), or give --last or --since") << "\n";
        return kExitUsage;
    }
    if (!options.folder.empty() && !options.batch.empty()) {
        std::cerr << "kalvento-cli: undo: "
                  << _("--folder goes with --since or --last, not a batch") << "\n";
        return kExitUsage;
    }
    const SideFiles side_files = locate_side_files(argv0);
    if (!options.since.empty()) {
        const auto since = parse_japan_date_time(options.since);
        if (!since) {
            std::cerr << "kalvento-cli: undo: "
                      << fill(_("--since %s: not a Japan time of the form \"2026-12-07 23:30\" "
                                "(seconds may follow, a T may stand for the blank)"),
                              {options.since})
                      << "\n";
            return kExitUsage;
        }
        return undo_since(options, side_files.journalDirectory, *since);
    }
    const UndoReport report = undo_batch(
        side_files.journalDirectory, options.batch, options.dryRun, kFrontEndUndo,
        {.lockWait = lock_wait_for(options.lockTimeout)}, standard_error_notices(), options.folder);
    if (!report.ambiguous.empty()) {
        std::string ids;
        for (std::size_t i = 0; i < report.ambiguous.size(); ++i)
            ids += (i == 0 ? "" : ", ") + report.ambiguous[i];
        std::cerr << "kalvento-cli: undo: "
                  << fill(_("%s begins several batch ids (%s): give more of the one to take back"),
                          {options.batch, ids})
                  << "\n";
        return kExitUsage;
    }
    if (!report.found && report.error) {
        std::cerr << "kalvento-cli: undo: " << _("nothing taken back: ")
                  << shown(report.error->message) << "\n";
        return kExitSomeFailed;
    }
    if (!report.found) {
        std::cerr << "kalvento-cli: undo: "
                  << (!options.batch.empty()
                          ? fill(_("no batch %s in the journal"), {options.batch})
                      : options.folder.empty()
                          ? _("the journal holds no batch to take back")
                          : fill(_("the journal holds no batch to take back in %s"),
                                 {path_for_text(options.folder)}))
                  << "\n";
        return kExitSomeFailed;
    }
    print_undo(report, options);
    if (report.busy()) return busy_exit();
    return report.complete() ? kExitDone : kExitSomeFailed;
}

}  // namespace kalvento::cli
