// Taking back a link or copy that a batch made into a library folder: it is
// removed only while it is still the very file made (a link: the same file;
// a copy: the same size and content hash) and the original is still where it
// was, so nothing that exists only there is ever removed.
#pragma once

#include "app/journal.h"
#include "app/journal_reader.h"
#include "app/undo.h"

namespace kalvento {

// The step for `made`: removed (or, with no journal: a dry run,
// wouldRemove), alreadyBack when it was never made or is gone, or left with
// the reason. A companion is left beside a library recording that stays
// (`recording_left`). The journal hears of each removal first.
UndoStep take_away(const JournalPlacement& made, bool recording_left, JournalBatch* journal);

}  // namespace kalvento
