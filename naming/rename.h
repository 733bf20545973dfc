// Converting one job-list entry: moving the recording to its composed name (or
// the first free numbered form of it), taking its companion files along,
// updating the entry, and dating the files to the broadcast start.
//
// Nothing is ever overwritten: every move refuses an existing target, and a
// target that appears between the free-name search and the move sends the
// recording on to the next free name.
#pragma once

#include "naming/companion_listing.h"
#include "naming/file_entry.h"
#include "naming/move_recorder.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvento {

// The numbered forms "(1)" .. "(99)" tried after the composed name itself.
inline constexpr int kMaxNameNumber = 99;
// Companions are dated 10 ms after the recording's start time.
inline constexpr int kCompanionTimeMilliseconds = 10;

// The conversion flags, refreshed from the check boxes before each conversion.
struct ConversionOptions {
    bool gopRename = false;   // the companion "<recording>.txt" follows the recording
    bool wildRename = false;  // every companion "<recording>.<anything>" follows it
    bool fileDate = false;    // set the last-write times to the broadcast start
    // A recording that bears a numbered form "(n)" of its composed name
    // already counts as named, so running again changes nothing (the command
    // line); the window moves it on as it always has.
    bool keepNumberedName = false;
};

enum class ConvertStatus {
    moved,            // the recording now bears its composed name or a numbered form of it (in the
                      // library: is linked, copied or moved there)
    alreadyNamed,     // the recording already bore its composed name
    noProgrammeData,  // the selected candidate has no start time, so there is no name
    emptyName,        // a rule gave an empty name
    noNameItems,      // the chosen items give no text: the name would be separators only
    tooLong,          // the new path or name is too long
    unmappableName,   // the name cannot be written as a file name here
    noFreeName,       // the name and all its numbered forms are taken
    moveFailed,       // the system refused the move (message says why)
    notRecorded,      // the rename journal could not be written, so nothing was moved
    wouldMove,        // a dry run: the recording would be moved to `toPath`
    crossDevice,      // a link or move into the library would cross file systems
    badFolder,        // the library's folder template gives no usable sub-folder
};

struct CompanionMove {
    std::string from;  // native paths
    std::string to;
    bool moved = false;
    std::string message;  // the system's reason when not moved
};

struct ConvertResult {
    ConvertStatus status = ConvertStatus::moveFailed;
    std::string fromPath;  // native path before the conversion
    std::string toPath;    // native path now (moved), else the target composed or last tried
    std::string message;   // why the move failed
    int nameNumber = 0;    // n of the "(n)" form the recording got, 0 for the name itself
    std::vector<CompanionMove> companions;
    bool timesSet = false;  // FileDate set the recording's time

    bool ended_with_composed_name() const {
        return status == ConvertStatus::moved || status == ConvertStatus::alreadyNamed;
    }
    // Every companion that was to follow the recording did.
    bool companions_moved() const {
        for (const CompanionMove& move : companions)
            if (!move.moved) return false;
        return true;
    }
};

// Why the entry's file is not to be moved, or nullopt when a move is due.
std::optional<ConvertStatus> move_blocker(const FileEntry& entry);

// `target` with "(n)" before its extension; n = 0 gives the target itself.
std::string numbered_name(const std::string& target, int n);

// True when `path` is `target` or one of its numbered forms (1) to (99).
bool is_numbered_form(const std::string& path, const std::string& target);

// Converts the entry (see the header comment). On a move the entry's
// sourcePath, currentName, nativePath and converted (= true) change; otherwise
// the entry stays as it was. A recorder, when given, hears of every move and
// every dating first and can refuse it. The companions are found through
// `listings` when given (one for every entry of a run), else by reading the
// folder for this entry alone.
ConvertResult convert_entry(FileEntry& entry, const ConversionOptions& options,
                            MoveRecorder* recorder = nullptr,
                            CompanionListings* listings = nullptr);

// Short English description of a status, for the command line (marked for
// its translation, which the command line looks up).
const char* convert_status_text(ConvertStatus status);

}  // namespace kalvento
