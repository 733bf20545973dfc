// Choosing batches of the rename journal to take back: by the start of an
// id, by the folder their files are in, and every batch since a time.
#pragma once

#include "app/journal_reader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Whether the batch's process may still be adding to it.
bool batch_still_running(const JournalBatchRecord& batch);

// The batch whose id is `id`, or nullptr.
const JournalBatchRecord* find_batch(const JournalContents& contents, std::string_view id);

// Whether the batch moved, linked, copied or dated a file or made a folder.
bool changes_files(const JournalBatchRecord& batch);

// Whether every file the batch moved, put into a library or dated was in the
// folder `folder` before or after, compared as absolute normal paths.
bool batch_in_folder(const JournalBatchRecord& batch, const std::string& folder);

// The ids of the batches whose ids begin with `prefix`; just the one when
// `prefix` is a whole id.
std::vector<std::string> batches_named(const JournalContents& contents, std::string_view prefix);

// The batches to take back to return to how things were at `since` (seconds
// since 1970): those that changed files and started then or later (all
// their files in `folder`, when given), newest first. Undo batches are
// passed over, and so are batches an undo took back whole (unless that undo
// was taken back in turn).
struct BatchesSince {
    std::vector<std::string> batches;
    // Batches without their end whose process is still at work: left alone,
    // as taking them back would part recordings from their companions.
    std::vector<std::string> stillRunning;
};
BatchesSince batches_since(const JournalContents& contents, std::int64_t since,
                           const std::string& folder = {});

}  // namespace kalvento
