#include "app/undo.h"

#include "app/journal.h"
#include "app/library_undo.h"
#include "platform/file_ops.h"
#include "platform/message_mark.h"
#include "platform/process_places.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace kalvento {
namespace {

// Whether two sightings are one file: renaming and dating keep inode, size
// and creation time; a file made since that got the freed inode number
// differs in its size or its creation. The device number must agree unless
// both creation times are known: a file system mounted again can come back
// under another number.
bool same_file_as(std::uint64_t device, std::uint64_t inode, std::int64_t size,
                  std::int64_t born_ns, const RecordedFile& file) {
    if (inode != file.inode || size != file.size) return false;
    const bool both_born = born_ns != 0 && file.bornNs != 0;
    if (both_born && born_ns != file.bornNs) return false;
    return device == file.device || both_born;
}

bool holds(const std::optional<FileIdentity>& found, const RecordedFile& file) {
    return found && same_file_as(found->device, found->inode, found->size, found->bornNs, file);
}

// Where the file that `move` took to its new name went afterwards: the first
// later batch that moved it on, or nullptr.
const JournalBatchRecord* moved_on_by(const JournalContents& contents,
                                      const JournalBatchRecord& batch, const JournalMove& move,
                                      const JournalMove** later_move) {
    bool after = false;
    for (const JournalBatchRecord& later : contents.batches) {
        if (&later == &batch) {
            after = true;
            continue;
        }
        if (!after) continue;
        for (const JournalMove& candidate : later.moves) {
            if (candidate.from != move.to || candidate.outcome == RecordedOutcome::notMoved ||
                !candidate.file)
                continue;
            const RecordedFile& seen = *candidate.file;
            if (!same_file_as(seen.device, seen.inode, seen.size, seen.bornNs, *move.file))
                continue;
            *later_move = &candidate;
            return &later;
        }
    }
    return nullptr;
}

class TakeBack {
  public:
    TakeBack(const JournalContents& contents, const JournalBatchRecord& batch, bool dry_run,
             JournalBatch* journal, UndoReport& report)
        : contents_(contents),
          batch_(batch),
          dryRun_(dry_run),
          journal_(journal),
          report_(report) {}

    // The batch's records were made in sequence: they are taken back the
    // other way round, so a file that moved twice in one batch ends under its
    // first name and the times an undo replaced come back after its moves
    // are taken back. A recording's companions follow its move in the
    // batch; they go back only when the recording is back.
    void run() {
        // One unit of the batch: a dating, a folder, or a recording's move
        // (or link or copy) with its companions' after it.
        struct Unit {
            const JournalDating* dating = nullptr;
            const JournalFolder* folder = nullptr;
            std::vector<const JournalMove*> moves;  // a recording first, when there is one
            std::vector<const JournalPlacement*> placements;  // likewise
        };
        std::vector<Unit> units;
        auto move = batch_.moves.begin();
        auto dating = batch_.datings.begin();
        auto placement = batch_.placements.begin();
        auto folder = batch_.folders.begin();
        for (;;) {
            const int move_seq = move != batch_.moves.end() ? move->seq : INT_MAX;
            const int dating_seq = dating != batch_.datings.end() ? dating->seq : INT_MAX;
            const int place_seq = placement != batch_.placements.end() ? placement->seq : INT_MAX;
            const int folder_seq = folder != batch_.folders.end() ? folder->seq : INT_MAX;
            const int next = std::min({move_seq, dating_seq, place_seq, folder_seq});
            if (next == INT_MAX) break;
            if (next == dating_seq) {
                units.emplace_back().dating = &*dating++;
            } else if (next == folder_seq) {
                units.emplace_back().folder = &*folder++;
            } else if (next == move_seq) {
                const bool joins = move->role == FileRole::companion && !units.empty() &&
                                   !units.back().moves.empty();
                if (!joins) units.emplace_back();
                units.back().moves.push_back(&*move++);
            } else {
                const bool joins = placement->role == FileRole::companion && !units.empty() &&
                                   !units.back().placements.empty();
                if (!joins) units.emplace_back();
                units.back().placements.push_back(&*placement++);
            }
        }
        for (auto unit = units.rbegin(); unit != units.rend(); ++unit) {
            if (unit->dating != nullptr) {
                restore_times(*unit->dating);
                continue;
            }
            if (unit->folder != nullptr) {
                // Only an empty folder goes; anything in it keeps it.
                if (!dryRun_) remove_empty_folder(unit->folder->path);
                continue;
            }
            bool recording_back = true;
            for (const JournalMove* taken : unit->moves) {
                UndoStep step = take_back(*taken, !recording_back);
                if (taken->role == FileRole::recording) recording_back = is_back(step.status);
                report_.steps.push_back(std::move(step));
            }
            for (const JournalPlacement* made : unit->placements) {
                UndoStep step = take_away(*made, !recording_back, dryRun_ ? nullptr : journal_);
                if (made->role == FileRole::recording) recording_back = is_back(step.status);
                report_.steps.push_back(std::move(step));
            }
        }
    }

  private:
    static bool is_back(UndoStatus status) {
        return status == UndoStatus::movedBack || status == UndoStatus::wouldMoveBack ||
               status == UndoStatus::alreadyBack || status == UndoStatus::removed ||
               status == UndoStatus::wouldRemove;
    }

    // Where the dated file is: under the name it was dated by, or, when an
    // undo cut short has moved it back already, where this batch took it from.
    std::string dated_place(const JournalDating& dating) const {
        if (holds(file_identity(dating.path), *dating.file)) return dating.path;
        for (auto move = batch_.moves.rbegin(); move != batch_.moves.rend(); ++move)
            if (move->seq < dating.seq && move->to == dating.path) return move->from;
        return dating.path;
    }

    void restore_times(const JournalDating& dating) {
        if (!dating.file) return;
        const std::string path = dated_place(dating);
        const auto found = file_identity(path);
        // A name that no longer holds the file, or a symbolic link (whose
        // times were never set), has no times to restore.
        if (!holds(found, *dating.file) || !found->regular) return;
        UndoStep step{dating.role, path, path, UndoStatus::timesRestored, {}, {}};
        if (!dryRun_) {
            if (Status recorded = journal_->before_dating(dating.role, path); !recorded) {
                step.status = UndoStatus::notRecorded;
                step.message = recorded.error().message;
            } else if (!restore_file_times(path, dating.file->accessedNs,
                                           dating.file->modifiedNs)) {
                step.status = UndoStatus::failed;
                step.message = N_("cannot set the file's times");
            }
        }
        report_.steps.push_back(std::move(step));
    }

    // Why the file is not under the new name its move gave it.
    UndoStep not_there(const JournalMove& move, UndoStep step, bool something_there) {
        const JournalMove* later_move = nullptr;
        if (const JournalBatchRecord* later = moved_on_by(contents_, batch_, move, &later_move)) {
            step.status = UndoStatus::renamedLater;
            step.path = later_move->to;
            step.laterBatch = later->id;
            step.message =
                fill_message(N_("renamed again by batch %s: take that back first"), {later->id});
            return step;
        }
        step.status = something_there ? UndoStatus::newNameHoldsAnother : UndoStatus::gone;
        return step;
    }

    UndoStep take_back(const JournalMove& move, bool recording_left) {
        UndoStep step{move.role, move.to, move.from, UndoStatus::alreadyBack, {}, {}};
        // A move that is known not to have happened, or whose file the journal
        // could not see, leaves nothing to take back.
        if (move.outcome == RecordedOutcome::notMoved || !move.file) return step;
        const auto at_new = file_identity(move.to);
        const auto at_old = file_identity(move.from);
        if (holds(at_new, *move.file) && holds(at_old, *move.file)) {
            // A link move stopped between its two steps: the old name is still
            // there, the new one is a second name of the same file.
            if (!dryRun_) remove_second_name(move.to, move.from);
            step.path = move.from;
            return step;
        }
        if (!holds(at_new, *move.file)) {
            if (!holds(at_old, *move.file)) return not_there(move, step, at_new.has_value());
            step.path = move.from;  // interrupted before the move, or undone already
            return step;
        }
        if (at_old) {
            step.status = UndoStatus::oldNameTaken;
            return step;
        }
        if (recording_left) {
            step.status = UndoStatus::recordingLeft;
            step.message = N_("its recording stays where it is, so it stays beside it");
            return step;
        }
        if (dryRun_) {
            step.status = UndoStatus::wouldMoveBack;
            return step;
        }
        const MoveIntent back{move.role, move.to, move.from};
        if (Status recorded = journal_->before_move(back); !recorded) {
            step.status = UndoStatus::notRecorded;
            step.message = recorded.error().message;
            return step;
        }
        const MoveResult result = move_no_replace(move.to, move.from);
        journal_->after_move(back, result.moved(), result.message);
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

    const JournalContents& contents_;
    const JournalBatchRecord& batch_;
    bool dryRun_;
    JournalBatch* journal_;
    UndoReport& report_;
};

}  // namespace

bool left_behind(UndoStatus status) {
    switch (status) {
        case UndoStatus::movedBack:
        case UndoStatus::wouldMoveBack:
        case UndoStatus::alreadyBack:
        case UndoStatus::timesRestored:
        case UndoStatus::removed:
        case UndoStatus::wouldRemove:
            return false;
        default:
            return true;
    }
}

bool UndoReport::complete() const {
    return found && !error && std::none_of(steps.begin(), steps.end(), [](const UndoStep& step) {
               return left_behind(step.status);
           });
}

const JournalBatchRecord* last_changing_batch(const JournalContents& contents,
                                              const std::string& folder) {
    for (auto batch = contents.batches.rbegin(); batch != contents.batches.rend(); ++batch) {
        if (!changes_files(*batch)) continue;
        if (folder.empty() || batch_in_folder(*batch, folder)) return &*batch;
    }
    return nullptr;
}

UndoReport undo_batch(const std::string& journal_directory, std::string_view batch_id, bool dry_run,
                      std::string_view front_end, const JournalOptions& options,
                      const NoticeSink& notices, const std::string& last_in_folder) {
    UndoReport report;
    const JournalContents contents = read_journal(journal_directory);
    if (contents.damagedLines > 0) notices(damaged_lines_notice(contents.damagedLines));
    if (contents.problem) {
        report.error = contents.problem;
        return report;
    }
    const JournalBatchRecord* batch = nullptr;
    if (batch_id.empty()) {
        batch = last_changing_batch(contents, last_in_folder);
        // A batch without its end may still be at work: taking it back now
        // would part recordings from the companions it is about to move.
        if (batch != nullptr && batch_still_running(*batch)) {
            report.found = true;
            report.batch = batch->id;
            report.error = Error::failed(fill_message(
                N_("the last batch, %s, is still running (process %s): wait for it to end, or "
                   "name the batch to take it back as far as it went"),
                {batch->id, std::to_string(batch_process_id(batch->id))}));
            return report;
        }
        // An undo cut short is finished, not taken back: what it had already
        // undone stays undone.
        if (batch != nullptr && !batch->ended && !batch->undoOf.empty()) {
            if (const JournalBatchRecord* undone = find_batch(contents, batch->undoOf)) {
                report.resumedUndo = batch->id;
                batch = undone;
            }
        }
    } else {
        const std::vector<std::string> named = batches_named(contents, batch_id);
        if (named.size() > 1) {
            report.ambiguous = named;
            return report;
        }
        if (named.size() == 1) batch = find_batch(contents, named.front());
    }
    if (batch == nullptr) return report;
    report.found = true;
    report.batch = batch->id;

    std::unique_ptr<JournalBatch> journal;
    if (!dry_run) {
        auto begun = JournalBatch::begin(journal_directory, front_end, batch->id, options);
        if (!begun) {
            report.error = begun.error();
            return report;
        }
        journal = std::move(*begun);
    }
    TakeBack(contents, *batch, dry_run, journal.get(), report).run();
    if (journal) {
        const auto left = static_cast<std::size_t>(
            std::count_if(report.steps.begin(), report.steps.end(),
                          [](const UndoStep& step) { return left_behind(step.status); }));
        if (Status finished = journal->finish(left); !finished) report.error = finished.error();
        if (journal->started()) report.undoBatch = journal->id();
        for (const UndoStep& step : report.steps) {
            if (report.error) break;
            if (step.status == UndoStatus::notRecorded) report.error = Error::failed(step.message);
        }
        // Past a lock that stayed held nothing more was touched: trying
        // again later may finish the undo.
        if (journal->gave_up_waiting() && report.error) report.error->code = ErrorCode::busy;
    }
    return report;
}

}  // namespace kalvento
