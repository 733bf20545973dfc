// The rename journal: every file operation of every conversion, so that any
// batch can be taken back, also after a crash in its middle.
//
// The journal is a UTF-8 JSON Lines file in the journal directory, shared by
// all processes (each line is written whole under a lock). A batch starts
// with a "batch" line; each move is written as an intent ("move", with the
// file's device, inode, size and times) before it is made and its outcome
// ("moved") after; the times of a file are written ("date") before they
// change; an "end" line closes the batch and the journal is flushed to disk.
// Paths are written absolute; one that is not valid UTF-8 also as hex bytes
// ("fromBytes", ...).
// Past kJournalRotateBytes the journal becomes the previous file and a new
// one starts.
#pragma once

#include "naming/move_recorder.h"
#include "platform/append_log.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::string_view kJournalFileName = "journal.jsonl";
inline constexpr std::string_view kPreviousJournalFileName = "journal.1.jsonl";
inline constexpr std::uint64_t kJournalRotateBytes = 8u << 20;

// Which front end made a batch.
inline constexpr std::string_view kFrontEndCli = "cli";
inline constexpr std::string_view kFrontEndWindow = "window";
inline constexpr std::string_view kFrontEndAuto = "auto";  // the window's -AUTO run
inline constexpr std::string_view kFrontEndUndo = "undo";

std::string journal_path(const std::string& directory);
std::string previous_journal_path(const std::string& directory);

// One batch being written. Moves and datings are refused (so not made) when
// their line cannot be written.
class JournalBatch final : public MoveRecorder {
  public:
    const std::string& id() const { return id_; }

    bool before_move(const MoveIntent& intent, std::string& error) override;
    void after_move(const MoveIntent& intent, bool moved, const std::string& message) override;
    bool before_dating(FileRole role, const std::string& path, std::string& error) override;

    // Writes the "end" line and flushes the journal to disk.
    bool finish(std::string& error);

    // Starts a batch in the journal of `directory` (created when missing):
    // nullptr, with `error`, when the journal cannot be written.
    static std::unique_ptr<JournalBatch> begin(const std::string& directory,
                                               std::string_view front_end, std::string_view undo_of,
                                               std::string& error);

  private:
    explicit JournalBatch(std::string directory, std::string id);
    bool write(const std::string& line, std::string& error);

    AppendLog log_;
    std::string id_;
    int sequence_ = 0;
    int lastMove_ = 0;  // sequence number of the move in progress
};

// A batch id: start time, process and a random part, unique across processes.
std::string new_batch_id();

// The process id a batch id names, or 0 when it names none.
long batch_process_id(std::string_view batch_id);

}  // namespace kalvento
