#include "naming/rename.h"

#include "naming/compose.h"
#include "naming/entry_paths.h"
#include "platform/file_ops.h"

#include <string_view>
#include <utility>

namespace kalvento {
namespace {

constexpr std::string_view kTextSuffix = ".txt";

bool companion_handled(const CompanionEntry& companion, const ConversionOptions& options) {
    if (companion.isDirectory) return false;
    if (options.wildRename) return true;
    return options.gopRename && companion.suffix == kTextSuffix;
}

// Moves the recording to the first free numbered form of its target. A form
// that is taken by the time the move runs is passed over, never replaced.
ConvertResult move_recording(const FileEntry& entry) {
    ConvertResult result;
    result.fromPath = entry.nativePath;
    result.toPath = entry.nativeNewPath;
    for (int n = 0; n <= kMaxNameNumber; ++n) {
        const std::string candidate = numbered_name(entry.nativeNewPath, n);
        if (path_exists(candidate)) continue;
        result.toPath = candidate;
        const MoveResult move = move_no_replace(entry.nativePath, candidate);
        if (move.moved()) {
            result.status = ConvertStatus::moved;
            result.nameNumber = n;
            return result;
        }
        if (move.outcome == MoveOutcome::targetExists) continue;
        result.status = ConvertStatus::moveFailed;
        result.message = move.message;
        return result;
    }
    result.status = ConvertStatus::noFreeName;
    result.toPath = entry.nativeNewPath;
    return result;
}

// Companions of the old recording path move to the same suffix behind the new
// one. The list is taken once, before any companion moves; the recording's own
// new name is never taken for a companion, even when it happens to look like one.
std::vector<CompanionMove> move_companions(const std::string& old_path, const std::string& new_path,
                                           const ConversionOptions& options) {
    std::vector<CompanionMove> moves;
    for (const CompanionEntry& companion : list_companions(old_path)) {
        if (!companion_handled(companion, options)) continue;
        CompanionMove move;
        move.from = old_path + companion.suffix;
        move.to = new_path + companion.suffix;
        if (move.from == new_path) continue;
        const MoveResult outcome = move_no_replace(move.from, move.to);
        move.moved = outcome.moved();
        move.message = outcome.message;
        moves.push_back(std::move(move));
    }
    return moves;
}

bool set_times(const FileEntry& entry, std::int64_t start, const ConversionOptions& options) {
    const bool recording_dated = set_file_times(entry.nativePath, start, 0);
    if (options.gopRename || options.wildRename) {
        for (const CompanionEntry& companion : list_companions(entry.nativePath)) {
            if (companion_handled(companion, options))
                set_file_times(entry.nativePath + companion.suffix, start,
                               kCompanionTimeMilliseconds);
        }
    }
    return recording_dated;
}

}  // namespace

std::optional<ConvertStatus> move_blocker(const FileEntry& entry) {
    if (entry.newName.empty() || entry.newPath.empty() || entry.sourcePath.empty()) {
        const ProgramInfo* info = selected_candidate(entry);
        return info == nullptr || info->startTime == 0 ? ConvertStatus::noProgrammeData
                                                       : ConvertStatus::emptyName;
    }
    if (entry.tooLong != 0) return ConvertStatus::tooLong;
    if (entry.nativeNewPath.empty() || entry.nativePath.empty())
        return ConvertStatus::unmappableName;
    // Compared natively: two names that differ only in characters CP932 lacks
    // look alike in the entry's texts but are different files.
    if (entry.nativePath == entry.nativeNewPath) return ConvertStatus::alreadyNamed;
    return std::nullopt;
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

std::optional<std::string> find_free_name(const std::string& target,
                                          const std::function<bool(const std::string&)>& taken) {
    for (int n = 0; n <= kMaxNameNumber; ++n) {
        std::string candidate = numbered_name(target, n);
        if (!taken(candidate)) return candidate;
    }
    return std::nullopt;
}

ConvertResult convert_entry(FileEntry& entry, const ConversionOptions& options) {
    ConvertResult result;
    if (const auto blocker = move_blocker(entry)) {
        result.status = *blocker;
        result.fromPath = entry.nativePath;
        result.toPath =
            *blocker == ConvertStatus::alreadyNamed ? entry.nativePath : entry.nativeNewPath;
    } else {
        result = move_recording(entry);
        if (result.status == ConvertStatus::moved) {
            if (options.gopRename || options.wildRename)
                result.companions = move_companions(result.fromPath, result.toPath, options);
            // The numbered form adds only ASCII, which CP932 and UTF-8 share.
            entry.sourcePath = numbered_name(entry.newPath, result.nameNumber);
            entry.currentName = split_path(entry.sourcePath).name;
            entry.newPath = entry.sourcePath;
            entry.newName = entry.currentName;
            entry.nativePath = result.toPath;
            entry.nativeNewPath = result.toPath;
            entry.converted = 1;
        }
    }

    const ProgramInfo* info = selected_candidate(entry);
    if (options.fileDate && info != nullptr && info->startTime != 0)
        result.timesSet = set_times(entry, info->startTime, options);
    return result;
}

const char* convert_status_text(ConvertStatus status) {
    switch (status) {
        case ConvertStatus::moved:
            return "renamed";
        case ConvertStatus::alreadyNamed:
            return "name already right";
        case ConvertStatus::noProgrammeData:
            return "no programme data";
        case ConvertStatus::emptyName:
            return "the rename rule gave an empty name";
        case ConvertStatus::tooLong:
            return "new name too long";
        case ConvertStatus::unmappableName:
            return "new name cannot be written as a file name";
        case ConvertStatus::noFreeName:
            return "the name and its numbered forms (1) to (99) are all taken";
        case ConvertStatus::moveFailed:
            return "move failed";
    }
    return "";
}

}  // namespace kalvento
