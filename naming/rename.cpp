#include "naming/rename.h"

#include "naming/compose.h"
#include "naming/entry_paths.h"
#include "naming/rename_plan.h"
#include "platform/file_ops.h"
#include "platform/message_mark.h"

#include <optional>
#include <string_view>
#include <utility>

namespace kalvento {
namespace {

// Moves the recording to the first free numbered form of its target, planned
// with its companions. A form taken by the time the move runs is passed over,
// never replaced.
// One move, recorded before and after when a recorder listens; an error
// when its record could not be written and it was not made.
Result<MoveResult> recorded_move(MoveRecorder* recorder, const MoveIntent& intent) {
    if (recorder != nullptr) {
        if (Status recorded = recorder->before_move(intent); !recorded) return recorded.error();
    }
    MoveResult move = move_no_replace(intent.from, intent.to);
    if (recorder != nullptr) recorder->after_move(intent, move.moved(), move.message);
    return move;
}

ConvertResult move_recording(const FileEntry& entry, const ConversionOptions& options,
                             RenamePlan& plan, MoveRecorder* recorder,
                             CompanionListings& listings) {
    ConvertResult result;
    result.fromPath = entry.nativePath;
    result.toPath = entry.nativeNewPath;
    int first_number = 0;
    for (;;) {
        plan = plan_rename(entry, options, path_exists, listings, first_number);
        if (plan.blocker) {
            result.status = *plan.blocker;
            result.message = plan.message;
            result.toPath = *plan.blocker == ConvertStatus::alreadyNamed ? entry.nativePath
                                                                         : entry.nativeNewPath;
            return result;
        }
        result.toPath = plan.to;
        const auto recorded =
            recorded_move(recorder, MoveIntent{FileRole::recording, plan.from, plan.to});
        if (!recorded) {
            result.status = ConvertStatus::notRecorded;
            result.message = recorded.error().message;
            return result;
        }
        const MoveResult& move = *recorded;
        if (move.moved()) {
            listings.note_move(plan.from, plan.to);
            result.status = ConvertStatus::moved;
            result.nameNumber = plan.nameNumber;
            return result;
        }
        if (move.outcome != MoveOutcome::targetExists) {
            result.status = ConvertStatus::moveFailed;
            result.message = move.message;
            return result;
        }
        first_number = plan.nameNumber + 1;
    }
}

// The companions planned with the recording follow it to its new name.
std::vector<CompanionMove> move_companions(std::vector<CompanionMove> planned,
                                           MoveRecorder* recorder, CompanionListings& listings) {
    for (CompanionMove& move : planned) {
        const auto outcome =
            recorded_move(recorder, MoveIntent{FileRole::companion, move.from, move.to});
        move.moved = outcome && outcome->moved();
        if (move.moved) listings.note_move(move.from, move.to);
        move.message = outcome ? outcome->message : outcome.error().message;
    }
    return planned;
}

bool date_file(MoveRecorder* recorder, FileRole role, const std::string& path, std::int64_t start,
               int milliseconds) {
    if (recorder != nullptr && !recorder->before_dating(role, path)) return false;
    return set_file_times(path, start, milliseconds);
}

// Dates the recording and the companions that belong to it: those that moved
// with it, or, when it stayed, those its options let follow it.
bool set_times(const FileEntry& entry, std::int64_t start, const ConversionOptions& options,
               const ConvertResult& result, MoveRecorder* recorder, CompanionListings& listings) {
    const bool recording_dated =
        date_file(recorder, FileRole::recording, entry.nativePath, start, 0);
    std::vector<std::string> companions;
    if (result.status == ConvertStatus::moved) {
        for (const CompanionMove& move : result.companions)
            if (move.moved) companions.push_back(move.to);
    } else if (options.gopRename || options.wildRename) {
        for (const CompanionEntry& companion : listings.companions_of(entry.nativePath))
            if (companion_follows(companion, options))
                companions.push_back(entry.nativePath + companion.suffix);
    }
    for (const std::string& path : companions)
        date_file(recorder, FileRole::companion, path, start, kCompanionTimeMilliseconds);
    return recording_dated;
}

}  // namespace

std::optional<ConvertStatus> move_blocker(const FileEntry& entry) {
    if (entry.newName.empty() || entry.newPath.empty() || entry.sourcePath.empty()) {
        const ProgramInfo* info = selected_candidate(entry);
        if (info == nullptr || info->startTime == 0) return ConvertStatus::noProgrammeData;
        return entry.nameless ? ConvertStatus::noNameItems : ConvertStatus::emptyName;
    }
    if (entry.tooLong) return ConvertStatus::tooLong;
    if (entry.nativeNewPath.empty() || entry.nativePath.empty())
        return ConvertStatus::unmappableName;
    // Compared natively: two names that differ only in characters CP932 lacks
    // look alike in the entry's texts but are different files.
    if (entry.nativePath == entry.nativeNewPath) return ConvertStatus::alreadyNamed;
    return std::nullopt;
}

bool is_numbered_form(const std::string& path, const std::string& target) {
    if (path == target) return true;
    const SplitPath parts = split_path(target);
    const std::string_view extension = extension_of(parts.name);
    const std::string stem =
        parts.directory + parts.name.substr(0, parts.name.size() - extension.size()) + "(";
    if (!path.starts_with(stem) || !path.ends_with(std::string(")") + std::string(extension)))
        return false;
    const std::string_view digits = std::string_view(path).substr(
        stem.size(), path.size() - stem.size() - extension.size() - 1);
    if (digits.empty() || digits.size() > 2 || digits.front() == '0') return false;
    for (const char c : digits)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string numbered_name(const std::string& target, int n) {
    if (n == 0) return target;
    const SplitPath parts = split_path(target);
    const std::string_view extension = extension_of(parts.name);
    const std::string_view base =
        std::string_view(parts.name).substr(0, parts.name.size() - extension.size());
    return parts.directory + std::string(base) + "(" + std::to_string(n) + ")" +
           std::string(extension);
}

ConvertResult convert_entry(FileEntry& entry, const ConversionOptions& options,
                            MoveRecorder* recorder, CompanionListings* listings) {
    CompanionListings own_listings;
    CompanionListings& names = listings != nullptr ? *listings : own_listings;
    RenamePlan plan;
    ConvertResult result = move_recording(entry, options, plan, recorder, names);
    result.fromPath = entry.nativePath;
    if (result.status == ConvertStatus::moved) {
        result.companions = move_companions(std::move(plan.companions), recorder, names);
        // The numbered form adds only ASCII, which CP932 and UTF-8 share.
        entry.sourcePath = numbered_name(entry.newPath, result.nameNumber);
        entry.currentName = split_path(entry.sourcePath).name;
        entry.newPath = entry.sourcePath;
        entry.newName = entry.currentName;
        entry.nativePath = result.toPath;
        entry.nativeNewPath = result.toPath;
        entry.converted = true;
    }

    const ProgramInfo* info = selected_candidate(entry);
    if (options.fileDate && info != nullptr && info->startTime != 0)
        result.timesSet = set_times(entry, info->startTime, options, result, recorder, names);
    return result;
}

const char* convert_status_text(ConvertStatus status) {
    switch (status) {
        case ConvertStatus::moved:
            return N_("renamed");
        case ConvertStatus::alreadyNamed:
            return N_("name already right");
        case ConvertStatus::noProgrammeData:
            return N_("no programme data");
        case ConvertStatus::emptyName:
            return N_("the rename rule gave an empty name");
        case ConvertStatus::noNameItems:
            return N_(
                "the chosen items give no text, the name would be made of separators only "
                "(choose items in the window, or with kalvento-cli config set FilenameSet1000 "
                "ITEM; "
                "kalvento-cli config items lists them)");
        case ConvertStatus::tooLong:
            return N_("new name too long");
        case ConvertStatus::unmappableName:
            return N_("new name cannot be written as a file name");
        case ConvertStatus::noFreeName:
            return N_("the name and its numbered forms (1) to (99) are all taken");
        case ConvertStatus::moveFailed:
            return N_("move failed");
        case ConvertStatus::notRecorded:
            return N_("the rename journal cannot be written");
        case ConvertStatus::wouldMove:
            return N_("would be renamed");
        case ConvertStatus::crossDevice:
            return N_("cannot cross file systems");
        case ConvertStatus::badFolder:
            return N_("no library folder");
    }
    return "";
}

}  // namespace kalvento
