// kalvento-cli history and undo: the batches of the rename journal, and
// taking one back.
#pragma once

#include "platform/file_lock.h"

#include <CLI/CLI.hpp>

#include <string>

namespace kalvento::cli {

struct HistoryOptions {
    int count = 10;
    bool json = false;
};

struct UndoOptions {
    std::string batch;  // an id, or its start; empty with --last or --since
    bool last = false;
    std::string since;   // --since: Japan time "YYYY-MM-DD HH:MM[:SS]" (or with T)
    std::string folder;  // --folder: only batches whose files are there
    bool dryRun = false;
    bool json = false;
    double lockTimeout = kDefaultLockWaitSeconds;  // seconds to wait for the journal's lock
};

CLI::App* add_history_command(CLI::App& app, HistoryOptions& options);
CLI::App* add_undo_command(CLI::App& app, UndoOptions& options);

// Times are shown in Japan time, whatever the machine's zone. With --json
// each batch gives one line:
//   {"batch": id, "time": seconds since 1970 (UTC), "frontEnd": "cli" |
//    "watch" (one batch per file a watch handled) | "window" | "auto" |
//    "undo", "files": number of files moved, "dated": number of files whose
//    times were set, "left": number of files left as they were, "folder": directory of
//    its first file, "complete": false when the process stopped in the middle,
//    "undoOf": id or null, "undoneBy": id of its last undo or null,
//    "partlyUndone": true when that undo was cut short or left files behind}
// 1 when a journal file cannot be read or is refused.
int run_history(const HistoryOptions& options, const char* argv0);

// With --json each file gives one line:
//   {"batch": id taken back, "undoBatch": id recording the undo or null,
//    "role": "recording" | "companion", "path": where the file was,
//    "target": where it goes back to, "status": "movedBack" | "wouldMoveBack" |
//    "alreadyBack" | "timesRestored" | "newNameHoldsAnother" | "oldNameTaken" |
//    "gone" | "renamedLater" | "recordingLeft" | "failed" | "notRecorded",
//    "message": text, "laterBatch": id of the batch that renamed the file
//    again, or null, "dryRun": bool}
// With --since each batch taken back gives its own lines (and undo batch).
// 0 when every file is back, 1 when a file was left where it is (with the
// reason), the batch is not in the journal, a batch since the time is still
// running, or the journal cannot be read or is refused; 2 when the start of
// an id names several batches or an argument cannot be used; 75 when the
// journal's lock stayed held by another process.
int run_undo(const UndoOptions& options, const char* argv0);

}  // namespace kalvento::cli
