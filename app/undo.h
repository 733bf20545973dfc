// Taking a batch of the rename journal back: every file moves back to the
// name it had, in the reverse order of the batch, and gets back the times it
// had before they were set. What the disk shows decides, not what the
// journal hoped: a file is only moved back to where its own batch took it
// from, while its new name still holds the very file that was moved (same
// inode, size and creation time, and the same device unless the creation
// time is known on both sides: a file system mounted again may come back
// under another device number), and never onto a name that has been taken
// since. Companions go back only with their recording. The undo is itself a
// journal batch that records the times it replaces, so it can be taken back
// too. A link or copy the batch made into a library folder is taken away
// only while it is still what was made (a link: the same file; a copy: the
// same size and content hash) and its original is still where it was; the
// folders made for them go when they are empty again.
#pragma once

#include "app/batch_choice.h"
#include "app/journal.h"
#include "app/journal_reader.h"
#include "platform/notice.h"
#include "platform/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

enum class UndoStatus {
    movedBack,            // the file bears its old name again
    wouldMoveBack,        // dry run: it would
    alreadyBack,          // the move never happened, or was taken back before
    timesRestored,        // its times are the ones it had before
    newNameHoldsAnother,  // left: its new name now holds another file
    oldNameTaken,         // left: its old name has been taken since
    gone,                 // left: neither name holds it any more
    renamedLater,         // left: a later batch (`laterBatch`) moved it on
    recordingLeft,        // left: a companion whose recording stays where it is
    failed,               // left: the system refused the move (message says why)
    notRecorded,          // left: the journal could not be written
    removed,              // the link or copy the batch made is taken away
    wouldRemove,          // dry run: it would be
    changedSince,         // left: the copy it made has changed since
    originalGone,         // left: the original is gone, so the link or copy is all there is
};

// True for the statuses that leave a file where it is.
bool left_behind(UndoStatus status);

struct UndoStep {
    FileRole role = FileRole::recording;
    std::string path;    // where the file is (or was expected)
    std::string target;  // where it goes back to (the path again for times)
    UndoStatus status = UndoStatus::alreadyBack;
    std::string message;     // the system's reason for `failed`
    std::string laterBatch;  // renamedLater: the batch that moved the file on
};

struct UndoReport {
    bool found = false;     // the batch is in the journal
    std::string batch;      // the batch taken back
    std::string undoBatch;  // the batch that records the undo (empty when nothing was changed)
    // The interrupted undo of `batch` that this one finishes, if any.
    std::string resumedUndo;
    std::vector<UndoStep> steps;
    // A batch named by the start of its id that several ids begin with:
    // those ids, and nothing was done.
    std::vector<std::string> ambiguous;
    // The journal could not be read or written, or was refused: the steps
    // say what was changed before (none, when nothing was). `busy` when its
    // lock stayed held by another process: try again later.
    std::optional<Error> error;
    bool busy() const { return error && error->code == ErrorCode::busy; }
    bool complete() const;  // found, no error, nothing left behind
};

// Takes back `batch_id` of the journal in `journal_directory` (the batch
// whose id it is, or else the one batch whose id begins with it), or the
// last batch that changed anything (of those in `last_in_folder`, when
// given) when the id is empty; when that is an undo cut short, the batch it
// was taking back is finished instead. A dry run only tells. Damaged journal
// lines that were passed over are told to `notices`.
UndoReport undo_batch(const std::string& journal_directory, std::string_view batch_id, bool dry_run,
                      std::string_view front_end, const JournalOptions& options = {},
                      const NoticeSink& notices = {}, const std::string& last_in_folder = {});

// The last batch of the journal that moved or dated a file (every one of
// them in `folder`, when given), or nullptr.
const JournalBatchRecord* last_changing_batch(const JournalContents& contents,
                                              const std::string& folder = {});

}  // namespace kalvento
