// Reading the rename journal back: its batches with their moves and datings.
// Both journal files are read whole, line by line, and a batch is put
// together from its own lines wherever they stand (each names its batch), so
// a batch that a rotation carried over keeps every record. Lines that cannot
// be read (cut short by a crash, edited, from another program) are counted
// and skipped, never trusted; a journal file that another user owns or
// others may write to is not read at all.
#pragma once

#include "naming/move_recorder.h"
#include "platform/notice.h"
#include "platform/result.h"

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

// A file a batch left as it was.
struct JournalLeft {
    int seq = 0;
    std::string path;
    std::string status;  // its status word
    std::string reason;
};

// A hard link or copy made into a library folder.
struct JournalPlacement {
    int seq = 0;
    FileRole role = FileRole::recording;
    PlaceKind kind = PlaceKind::link;
    std::string from;                      // the original
    std::string to;                        // the file made
    std::optional<RecordedFile> original;  // as seen before
    RecordedOutcome outcome = RecordedOutcome::unknown;
    std::optional<RecordedFile> made;   // the new file, from the outcome line
    std::optional<std::uint64_t> hash;  // a copy's content hash
};

// A folder made for the library.
struct JournalFolder {
    int seq = 0;
    std::string path;
};

struct JournalBatchRecord {
    std::string id;
    bool hasStart = false;  // its "batch" line was found
    std::int64_t time = 0;
    std::string frontEnd;
    std::string undoOf;                  // the batch this one took back, if it was an undo
    std::string folder;                  // working directory of the process
    bool ended = false;                  // false: the process stopped before the batch was over
    std::size_t leftBehind = 0;          // an undo: files it could not take back
    std::vector<JournalMove> moves;      // in the order they were made
    std::vector<JournalDating> datings;  // likewise
    std::vector<JournalLeft> left;       // likewise
    std::vector<JournalPlacement> placements;  // likewise
    std::vector<JournalFolder> folders;        // likewise
    std::vector<JournalDating> removals;       // links and copies an undo removed, as seen before
};

struct JournalContents {
    std::vector<JournalBatchRecord> batches;  // in the order they appear
    std::size_t damagedLines = 0;
    // A journal file that could not be read, or was refused, and why; the
    // batches are then not to be acted on.
    std::optional<Error> problem;
};

// The batches of the lines in `bytes` (one journal file).
JournalContents parse_journal(std::string_view bytes);

// The previous journal file, then the current one, of `directory`.
JournalContents read_journal(const std::string& directory);

// The warning that `count` damaged lines were passed over.
Notice damaged_lines_notice(std::size_t count);

}  // namespace kalvento
