// Reading the rename journal back: its batches with their moves and datings,
// in journal order. Lines that cannot be read (cut short by a crash, edited,
// from another program) are counted and skipped, never trusted.
#pragma once

#include "naming/move_recorder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// A file as the journal saw it before it was moved or dated.
struct RecordedFile {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t accessedNs = 0;
    std::int64_t bornNs = 0;  // 0 where the file system keeps no creation time
};

enum class RecordedOutcome { unknown, moved, notMoved };

struct JournalMove {
    int seq = 0;
    FileRole role = FileRole::recording;
    std::string from;
    std::string to;
    std::optional<RecordedFile> file;  // missing when the file could not be examined
    RecordedOutcome outcome =
        RecordedOutcome::unknown;  // unknown: interrupted before the outcome line
};

struct JournalDating {
    int seq = 0;
    FileRole role = FileRole::recording;
    std::string path;
    std::optional<RecordedFile> file;
};

struct JournalBatchRecord {
    std::string id;
    std::int64_t time = 0;
    std::string frontEnd;
    std::string undoOf;  // the batch this one took back, if it was an undo
    std::string folder;  // working directory of the process
    bool ended = false;  // false: the process stopped before the batch was over
    std::vector<JournalMove> moves;
    std::vector<JournalDating> datings;
};

struct JournalContents {
    std::vector<JournalBatchRecord> batches;  // in the order they started
    std::size_t damagedLines = 0;
};

// Adds the lines of one journal file to `contents`.
void parse_journal(std::string_view bytes, JournalContents& contents);

// The previous journal file, then the current one, of `directory`.
JournalContents read_journal(const std::string& directory);

}  // namespace kalvento
