// kalvento-cli rename: the unattended conversion for recording servers. Every
// file is analysed and composed with the settings file's items, separators and
// check boxes, then all of them are renamed, as the desktop program does after
// "-AUTO".
#pragma once

#include "app/journal.h"
#include "cli/candidate_choice.h"
#include "cli/library_options.h"
#include "platform/file_lock.h"
#include "schedule/schedule_query.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace kalvento::cli {

struct RenameOptions {
    bool dryRun = false;
    bool json = false;
    bool verbose = false;        // schedule lookups explain themselves on standard error
    bool explain = false;        // tell why each name is what it is
    bool allowFallback = false;  // name files whose schedule lookup failed from their own fields
    bool recursive = false;      // folders: their subfolders' recordings too
    std::optional<std::string> templateText;       // --template, UTF-8: names every file instead
                                                   // of the rules and items
    double lockTimeout = kDefaultLockWaitSeconds;  // seconds to wait for the journal's lock
    CandidateChoice choice;
    LibraryOptions library;                    // into a library folder instead of renaming in place
    std::vector<std::string> files;            // recordings and folders of recordings
    std::string logFile;                       // --log: one line per file appended there
    bool systemLog = false;                    // --syslog: the same line to the system log
    std::string_view frontEnd = kFrontEndCli;  // who the journal says made the batch
    // Set by a watch: its stop ends the run before any file moves, and an
    // outage of the schedule service it found earlier is remembered.
    std::stop_token stop;
    // Set by a watch for a file it tries again: a file left once more for a
    // service that cannot be reached is not put on record again.
    bool retrying = false;
    std::shared_ptr<ScheduleOutage> scheduleOutage;
};

CLI::App* add_rename_command(CLI::App& app, RenameOptions& options);

// With --json each file gives one line:
//   {"path": as given, "newPath": native path it now has / would get / was
//    composed (null when there is none), "status": "renamed" | "wouldRename" |
//    "unchanged" | "noProgrammeData" | "emptyName" | "tooLong" |
//    "unmappableName" | "noFreeName" | "moveFailed" | "unreadable" |
//    "analysisFailed" | "duplicate" | "noNameItems" | "scheduleUnreachable" |
//    "notRecorded" | "noSuchCandidate" | "crossDevice" | "badFolder",
//    "action": "rename" | "link" | "copy" | "move" (newPath is then the
//    library path; "renamed" says the action was done),
//    "message": text, "dryRun": bool,
//    "newName": composed name or null, "candidate": {eventName, channelName,
//    serviceName, serviceId, eventId, startTime, endTime} or null,
//    "candidateCount": n, "companions": [{from, to, moved, message?}],
//    "fileTimeSet": bool, "warnings": [text], "coverage": see coverage_json,
//    with --explain "decision": see decision_json}
// A path that is not valid UTF-8 also comes as hex bytes ("pathBytes", ...).
// Renames the files and prints one report per file. 0 when every file ended
// with its composed name (or, with --dry-run, would); 75 when a file was left
// for a schedule service that could not be reached, or the journal's lock
// stayed held by another process (nothing renamed then); 1 otherwise; 2 when the
// settings cannot be read, the --log file cannot be used or an argument
// cannot be used (--template).
// `statuses`, when given, receives the status word of each file. A run
// stopped through `options.stop` prints nothing and moves nothing more.
int run_rename(const RenameOptions& options, const char* argv0,
               std::vector<std::string>* statuses = nullptr);

}  // namespace kalvento::cli
