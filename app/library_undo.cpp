#include "app/library_undo.h"

#include "platform/file_copy.h"
#include "platform/file_ops.h"
#include "platform/message_mark.h"

namespace kalvento {

UndoStep take_away(const JournalPlacement& made, bool recording_left, JournalBatch* journal) {
    UndoStep step{made.role, made.to, made.from, UndoStatus::alreadyBack, {}, {}};
    if (made.outcome != RecordedOutcome::moved || !made.made) return step;
    const auto found = file_identity(made.to);
    if (!found) return step;
    const bool same_inode =
        found->regular && found->device == made.made->device && found->inode == made.made->inode;
    const auto original = file_identity(made.from);
    const bool original_there = original && made.original &&
                                original->inode == made.original->inode &&
                                original->device == made.original->device;
    if (made.kind == PlaceKind::link) {
        if (!same_inode) {
            step.status = UndoStatus::newNameHoldsAnother;
            return step;
        }
    } else if (!found->regular || found->size != made.made->size || !made.hash ||
               file_content_hash(made.to) != made.hash) {
        step.status = same_inode ? UndoStatus::changedSince : UndoStatus::newNameHoldsAnother;
        if (same_inode) step.message = N_("its content has changed since it was copied");
        return step;
    }
    if (!original_there) {
        step.status = UndoStatus::originalGone;
        step.message =
            fill_message(N_("the original is no longer at %s, so this is kept"), {made.from});
        return step;
    }
    if (recording_left) {
        step.status = UndoStatus::recordingLeft;
        step.message = N_("its recording stays in the library, so it stays beside it");
        return step;
    }
    if (journal == nullptr) {
        step.status = UndoStatus::wouldRemove;
        return step;
    }
    if (Status recorded = journal->before_removal(made.role, made.to); !recorded) {
        step.status = UndoStatus::notRecorded;
        step.message = recorded.error().message;
        return step;
    }
    if (remove_file_if_same(made.to, found->device, found->inode)) {
        step.status = UndoStatus::removed;
    } else {
        step.status = UndoStatus::failed;
        step.message = N_("cannot remove it");
    }
    return step;
}

}  // namespace kalvento
