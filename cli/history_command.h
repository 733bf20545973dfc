// kalvento-cli history and undo: the batches of the rename journal, and
// taking one back.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace kalvento::cli {

struct HistoryOptions {
    int count = 10;
    bool json = false;
};

struct UndoOptions {
    std::string batch;  // empty with --last
    bool last = false;
    bool dryRun = false;
    bool json = false;
};

CLI::App* add_history_command(CLI::App& app, HistoryOptions& options);
CLI::App* add_undo_command(CLI::App& app, UndoOptions& options);

// With --json each batch gives one line:
//   {"batch": id, "time": seconds since 1970 (UTC), "frontEnd": "cli" |
//    "window" | "auto" | "undo", "files": number of files moved,
//    "dated": number of files whose times were set, "folder": directory of
//    its first file, "complete": false when the process stopped in the middle,
//    "undoOf": id or null, "undoneBy": id or null}
int run_history(const HistoryOptions& options, const char* argv0);

// With --json each file gives one line:
//   {"batch": id taken back, "undoBatch": id recording the undo or null,
//    "role": "recording" | "companion", "path": where the file was,
//    "target": where it goes back to, "status": "movedBack" | "wouldMoveBack" |
//    "alreadyBack" | "timesRestored" | "newNameHoldsAnother" | "oldNameTaken" |
//    "gone" | "failed" | "notRecorded", "message": text, "dryRun": bool}
// 0 when every file is back, 1 when a file was left where it is (with the
// reason) or the batch is not in the journal.
int run_undo(const UndoOptions& options, const char* argv0);

}  // namespace kalvento::cli
