// The conversion door: every front end converts through here (the window's
// 変換 and -AUTO run, kalvento-cli rename and watch). The entries named are
// converted in the order given as one batch of the rename journal: no file
// is touched without its journal line, so when the journal cannot be opened
// nothing moves and every file says so. A dry run plans each file as the
// conversion would, against the disk and the names planned before it, and
// touches nothing (no journal either).
//
// An action says what becomes of a recording: it takes its composed name in
// its own folder, or it is hard-linked, copied or moved into a library
// folder under that name (naming/library_copy.h). The target of each file is
// reported apart from where it came from, so every action reports alike.
#pragma once

#include "app/app_settings.h"
#include "app/job_list.h"
#include "app/journal.h"
#include "naming/rename.h"
#include "platform/notice.h"
#include "platform/result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

enum class ConversionAction {
    renameInPlace,  // the recording takes its composed name beside where it is
    linkInto,       // a hard link of it appears in the library folder; it stays
    copyInto,       // a copy of it appears in the library folder; it stays
    moveInto,       // it moves into the library folder
};

// A file the front end left before the conversion (it could not be read, its
// programme was not found, ...): it goes on record in the batch as left.
struct LeftFile {
    std::string path;
    std::string status;  // its status word (status_words.h)
    std::string reason;
};
// The action's word: "rename", "link", "copy" or "move".
std::string_view action_word(ConversionAction action);

struct ConversionRequest {
    ConversionAction action = ConversionAction::renameInPlace;
    ConversionOptions options;  // companions, file dates, numbered names
    std::string libraryFolder;  // native path of the library folder (not for renameInPlace)
    // CP932 @-macro template of the sub-folders below it, "/" between them;
    // empty for none.
    std::string folderTemplate;
    bool dryRun = false;
    std::string journalDirectory;
    std::string_view frontEnd = kFrontEndCli;  // who makes the batch (journal.h)
    JournalOptions journal;                    // the wait for the journal's lock
    std::vector<LeftFile> leftBefore;          // recorded with the batch
};

// What became of one file.
struct FileConversion {
    EntryId id = 0;
    ConversionAction action = ConversionAction::renameInPlace;
    // status; fromPath; toPath, the target (where it went, would go, or was
    // to go); the companions that went (or would go) with it; timesSet.
    ConvertResult result;
    std::vector<std::string> warnings;  // the rule warnings of its name (CP932)

    // The file bears its composed name (or, dry, would), its companions with it.
    bool succeeded() const;
    // The disk changed: it moved, or its times were set.
    bool changed_files() const;
    // Why it has the status it has: the status's text and the system's word.
    std::string reason() const;
};

struct ConversionReport {
    std::string batch;  // the journal batch that records it; empty when nothing was recorded
    // The journal could not be opened or was refused: no file was touched,
    // each is notRecorded with this message.
    std::optional<Error> journalError;
    // A record waited in vain for the journal's lock: from that file on
    // nothing was touched, and trying again later may work.
    bool journalBusy = false;
    std::vector<FileConversion> files;  // in the order given; ids not in the list are passed over
    std::vector<EntryId> moved;         // the entries that moved (their rows are selected again)

    bool all_succeeded() const;
    bool changed_files() const;
};

// Puts the action the settings choose (LibraryAction, with LibraryFolder and
// LibraryTemplate) into `request`; an error naming the setting to mend when
// an action into a library has no folder, or one that cannot be spelt here.
Status use_library_settings(const AppSettings& settings, ConversionRequest& request);

// Converts the entries `ids` of `jobs` (see the header comment) and composes
// the list again. Every file left as it was (status other than moved or
// alreadyNamed), and each of `request.leftBefore`, gets a "left" line in the
// batch; a batch of only such lines is written too, one of files that were
// already named is not. A batch end that could not be written is told to
// `notices`: the moves are on record, so the batch can still be taken back.
ConversionReport convert_jobs(JobList& jobs, const std::vector<EntryId>& ids,
                              const ConversionRequest& request, const NoticeSink& notices = {});

}  // namespace kalvento
