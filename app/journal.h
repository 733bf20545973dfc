// The rename journal: every file operation of every conversion, so that any
// batch can be taken back, also after a crash in its middle.
//
// The journal is a UTF-8 JSON Lines file in the journal directory, shared by
// all processes (each line is written whole under a lock). A batch starts
// with a "batch" line, written with its first record, so a batch that
// changes nothing leaves nothing; each move is written as an intent ("move",
// with the file's device, inode, size, times and, where the file system
// keeps it, its creation time "bornNs") before it is made and its outcome
// ("moved") after; the times of a regular file are written ("date") before
// they change; a file the batch left as it was gets a "left" line with its
// status word and the reason, which an undo passes over; an "end" line closes the batch (an undo's
// with "leftBehind", the number of files it could not take back, when there are any) and the
// journal is flushed to disk. Every line carries its batch's id. Paths are
// written absolute; one that is not valid UTF-8 also as hex bytes
// they change; a link or copy into a library folder is written as an intent
// ("place", with "kind" link or copy and the original's identity) and its
// outcome ("placed", with the new file's device, inode, size and, for a
// copy, the content "hash" as 16 hex digits); a folder made for the library
// is written ("folder") once it is made; a link or copy an undo removes is
// written ("remove", with its identity) before it goes; an "end" line closes the batch (an undo's
// with "leftBehind", the number of files it could not take back, when there are any) and the
// journal is flushed to disk. Every line carries its batch's id. Paths are written absolute; one
// that is not valid UTF-8 also as hex bytes
// ("fromBytes", ...).
// Past kJournalRotateBytes the journal becomes the previous file and a new
// one starts, which begins with the lines that the dropped previous file
// held of batches that running processes have not ended yet.
#pragma once

#include "naming/move_recorder.h"
#include "platform/append_log.h"
#include "platform/file_lock.h"
#include "platform/result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::string_view kJournalFileName = "journal.jsonl";
inline constexpr std::string_view kPreviousJournalFileName = "journal.1.jsonl";
inline constexpr std::uint64_t kJournalRotateBytes = 8u << 20;
// A longer line is not one of ours.
inline constexpr std::size_t kJournalLineLimit = 1u << 20;

// Which front end made a batch.
inline constexpr std::string_view kFrontEndCli = "cli";
inline constexpr std::string_view kFrontEndWindow = "window";
inline constexpr std::string_view kFrontEndAuto = "auto";  // the window's -AUTO run
inline constexpr std::string_view kFrontEndUndo = "undo";
inline constexpr std::string_view kFrontEndWatch = "watch";  // kalvento-cli watch, a batch a file

std::string journal_path(const std::string& directory);
std::string previous_journal_path(const std::string& directory);

struct JournalOptions {
    LockWait lockWait;  // for the journal's lock, at every line
    std::uint64_t rotateBytes = kJournalRotateBytes;
};

// One batch being written. Moves and datings are refused (so not made) when
// their line cannot be written.
class JournalBatch final : public MoveRecorder {
  public:
    const std::string& id() const { return id_; }
    // Whether any line of the batch has been written.
    bool started() const { return started_; }
    // A line was refused because the journal's lock stayed held (or a stop
    // signal came): every later record is refused at once, so nothing more
    // changes, and trying again later may work.
    bool gave_up_waiting() const { return !busyError_.empty(); }

    // A record refused because the lock stayed held is a `busy` error.
    Status before_move(const MoveIntent& intent) override;
    void after_move(const MoveIntent& intent, bool moved, const std::string& message) override;
    Status before_dating(FileRole role, const std::string& path) override;
    Status before_place(const PlaceIntent& intent) override;
    void after_place(const PlaceIntent& intent, const PlaceResult& result) override;
    void folder_made(const std::string& path) override;
    // Records a file an undo is about to remove (a link or copy it takes
    // away); an error when the record could not be written: it must stay then.
    Status before_removal(FileRole role, const std::string& path);

    // A file the batch leaves as it was: its status word (status_words.h)
    // and why.
    Status record_left(const std::string& path, std::string_view status, const std::string& reason);

    // Writes the "end" line, telling how many files an undo left where they
    // are, and flushes the journal to disk; nothing when the batch wrote
    // nothing.
    Status finish(std::size_t left_behind = 0);

    // A batch for the journal of `directory` (created, private to the user,
    // when missing); an error when the journal cannot be opened or is
    // refused (another user's, or writable by others).
    static Result<std::unique_ptr<JournalBatch>> begin(const std::string& directory,
                                                       std::string_view front_end,
                                                       std::string_view undo_of,
                                                       const JournalOptions& options = {});

  private:
    JournalBatch(const std::string& directory, std::string id, const JournalOptions& options);
    Status write(const std::string& line);

    AppendLog log_;
    std::string directory_;
    std::string id_;
    std::string startLine_;  // written before the first record
    std::uint64_t rotateBytes_ = 0;
    bool started_ = false;
    std::string busyError_;  // why the lock was given up, once it was
    int sequence_ = 0;
    int lastMove_ = 0;   // sequence number of the move in progress
    int lastPlace_ = 0;  // sequence number of the link or copy in progress
};

// A content hash as the journal writes it: 16 lower-case hex digits.
std::string hash_text(std::uint64_t hash);

// A batch id: start time, process and a random part, unique across processes.
std::string new_batch_id();

// The process id a batch id names, or 0 when it names none.
long batch_process_id(std::string_view batch_id);

}  // namespace kalvento
