#include "app/undo.h"

#include "app/journal.h"
#include "platform/file_ops.h"
#include "platform/process_places.h"

#include <algorithm>
#include <memory>

namespace kalvento {
namespace {

// Whether the name holds the very file that was recorded: renaming and
// dating keep device, inode, size and creation time; a file made since that
// got the freed inode number differs in its size or its creation.
bool holds(const std::optional<FileIdentity>& found, const RecordedFile& file) {
    return found && found->device == file.device && found->inode == file.inode &&
           found->size == file.size &&
           (found->bornNs == 0 || file.bornNs == 0 || found->bornNs == file.bornNs);
}

// Sets the dated files' times back (the datings came after the moves, so
// they are taken back first).
void restore_times(const JournalBatchRecord& batch, bool dry_run, JournalBatch* journal,
                   UndoReport& report) {
    for (auto dating = batch.datings.rbegin(); dating != batch.datings.rend(); ++dating) {
        if (!dating->file || !holds(file_identity(dating->path), *dating->file)) continue;
        UndoStep step{dating->role, dating->path, dating->path, UndoStatus::timesRestored, {}};
        if (!dry_run) {
            if (!journal->before_dating(dating->role, dating->path, step.message)) {
                step.status = UndoStatus::notRecorded;
            } else if (!restore_file_times(dating->path, dating->file->accessedNs,
                                           dating->file->modifiedNs)) {
                step.status = UndoStatus::failed;
                step.message = "cannot set the file's times";
            }
        }
        report.steps.push_back(std::move(step));
    }
}

UndoStep take_back(const JournalMove& move, bool dry_run, JournalBatch* journal) {
    UndoStep step{move.role, move.to, move.from, UndoStatus::alreadyBack, {}};
    // A move that is known not to have happened, or whose file the journal
    // could not see, leaves nothing to take back.
    if (move.outcome == RecordedOutcome::notMoved || !move.file) return step;
    const auto at_new = file_identity(move.to);
    const auto at_old = file_identity(move.from);
    if (holds(at_new, *move.file) && holds(at_old, *move.file)) {
        // A link move stopped between its two steps: the old name is still
        // there, the new one is a second name of the same file.
        if (!dry_run) remove_second_name(move.to, move.from);
        step.path = move.from;
        return step;
    }
    if (!holds(at_new, *move.file)) {
        if (holds(at_old, *move.file)) {
            step.path = move.from;  // interrupted before the move, or undone already
        } else {
            step.status = at_new ? UndoStatus::newNameHoldsAnother : UndoStatus::gone;
        }
        return step;
    }
    if (at_old) {
        step.status = UndoStatus::oldNameTaken;
        return step;
    }
    if (dry_run) {
        step.status = UndoStatus::wouldMoveBack;
        return step;
    }
    std::string error;
    const MoveIntent back{move.role, move.to, move.from};
    if (!journal->before_move(back, error)) {
        step.status = UndoStatus::notRecorded;
        step.message = error;
        return step;
    }
    const MoveResult result = move_no_replace(move.to, move.from);
    journal->after_move(back, result.moved(), result.message);
    if (result.moved()) {
        step.status = UndoStatus::movedBack;
    } else if (result.outcome == MoveOutcome::targetExists) {
        step.status = UndoStatus::oldNameTaken;
    } else {
        step.status = UndoStatus::failed;
        step.message = result.message;
    }
    return step;
}

}  // namespace

bool left_behind(UndoStatus status) {
    switch (status) {
        case UndoStatus::movedBack:
        case UndoStatus::wouldMoveBack:
        case UndoStatus::alreadyBack:
        case UndoStatus::timesRestored:
            return false;
        default:
            return true;
    }
}

bool UndoReport::complete() const {
    return found && error.empty() &&
           std::none_of(steps.begin(), steps.end(),
                        [](const UndoStep& step) { return left_behind(step.status); });
}

const JournalBatchRecord* last_changing_batch(const JournalContents& contents) {
    for (auto batch = contents.batches.rbegin(); batch != contents.batches.rend(); ++batch) {
        const bool changed =
            !batch->datings.empty() ||
            std::any_of(batch->moves.begin(), batch->moves.end(), [](const JournalMove& move) {
                return move.outcome != RecordedOutcome::notMoved;
            });
        if (changed) return &*batch;
    }
    return nullptr;
}

UndoReport undo_batch(const std::string& journal_directory, std::string_view batch_id, bool dry_run,
                      std::string_view front_end) {
    UndoReport report;
    const JournalContents contents = read_journal(journal_directory);
    report.damagedLines = contents.damagedLines;
    const JournalBatchRecord* batch = nullptr;
    if (batch_id.empty()) {
        batch = last_changing_batch(contents);
        // A batch without its end may still be at work: taking it back now
        // would part recordings from the companions it is about to move.
        const long pid = batch == nullptr ? 0 : batch_process_id(batch->id);
        if (batch != nullptr && !batch->ended && pid != process_id() && process_is_running(pid)) {
            report.found = true;
            report.batch = batch->id;
            report.error = "the last batch, " + batch->id + ", is still running (process " +
                           std::to_string(pid) +
                           "): wait for it to end, or name the batch to take it back as far as "
                           "it went";
            return report;
        }
    } else {
        for (const JournalBatchRecord& candidate : contents.batches)
            if (candidate.id == batch_id) batch = &candidate;
    }
    if (batch == nullptr) return report;
    report.found = true;
    report.batch = batch->id;

    std::unique_ptr<JournalBatch> journal;
    if (!dry_run) {
        journal = JournalBatch::begin(journal_directory, front_end, batch->id, report.error);
        if (!journal) return report;
        report.undoBatch = journal->id();
    }
    restore_times(*batch, dry_run, journal.get(), report);
    // Moves were made in sequence: they are taken back the other way round,
    // so a file that moved twice in one batch ends under its first name.
    std::vector<const JournalMove*> moves;
    for (const JournalMove& move : batch->moves) moves.push_back(&move);
    std::stable_sort(moves.begin(), moves.end(),
                     [](const JournalMove* a, const JournalMove* b) { return a->seq > b->seq; });
    for (const JournalMove* move : moves)
        report.steps.push_back(take_back(*move, dry_run, journal.get()));
    if (journal) {
        std::string error;
        if (!journal->finish(error) && report.error.empty()) report.error = error;
    }
    return report;
}

}  // namespace kalvento
