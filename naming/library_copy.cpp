#include "naming/library_copy.h"

#include "naming/compose.h"
#include "naming/entry_paths.h"
#include "naming/item_table.h"
#include "naming/rename_plan.h"
#include "platform/codepage.h"
#include "platform/cp932_text.h"
#include "platform/file_ops.h"
#include "platform/message_mark.h"

#include <utility>

namespace kalvento {
namespace {

std::string without_trailing_slashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string cross_device_text(LibraryAction action, const std::string& from,
                              const std::string& folder) {
    if (action == LibraryAction::link)
        return fill_message(N_("%s is on another file system than %s: a hard link cannot cross "
                               "file systems; copy or move it instead (--copy-to or --move-to)"),
                            {from, folder});
    return fill_message(N_("%s is on another file system than %s: a move into the library cannot "
                           "cross file systems; copy it instead (--copy-to)"),
                        {from, folder});
}

// The folders of `path` below the library folder that are missing, outermost
// first; an error when one of them is something else than a folder.
std::optional<std::string> missing_folders(const std::string& library, const std::string& sub,
                                           std::vector<std::string>& missing) {
    std::string path = library;
    std::size_t start = 0;
    while (start < sub.size()) {
        std::size_t end = sub.find('/', start);
        if (end == std::string::npos) end = sub.size();
        path += "/" + sub.substr(start, end - start);
        start = end + 1;
        if (!missing.empty() || !path_exists(path)) {
            missing.push_back(path);
        } else if (!is_directory(path) && unusable_directory(path)) {
            return fill_message(N_("%s is not a folder"), {path});
        }
    }
    return std::nullopt;
}

// One link, copy or move, recorded before and after; an error when its record
// could not be written and it was not made.
Result<PlaceResult> place_one(LibraryAction action, FileRole role, const std::string& from,
                              const std::string& to, MoveRecorder* recorder) {
    if (action == LibraryAction::move) {
        const MoveIntent intent{role, from, to};
        if (recorder != nullptr) {
            if (Status recorded = recorder->before_move(intent); !recorded) return recorded.error();
        }
        const MoveResult move = move_no_replace(from, to);
        if (recorder != nullptr) recorder->after_move(intent, move.moved(), move.message);
        PlaceResult result;
        result.errorNumber = move.errorNumber;
        result.message = move.message;
        result.outcome = move.moved()                                ? PlaceOutcome::made
                         : move.outcome == MoveOutcome::targetExists ? PlaceOutcome::targetExists
                         : is_cross_device(move.errorNumber)         ? PlaceOutcome::crossDevice
                                                                     : PlaceOutcome::failed;
        return result;
    }
    const PlaceIntent intent{
        role, action == LibraryAction::link ? PlaceKind::link : PlaceKind::copy, from, to};
    if (recorder != nullptr) {
        if (Status recorded = recorder->before_place(intent); !recorded) return recorded.error();
    }
    PlaceResult result =
        action == LibraryAction::link ? link_no_replace(from, to) : copy_no_replace(from, to);
    if (recorder != nullptr) recorder->after_place(intent, result);
    return result;
}

bool make_folders(const std::vector<std::string>& folders, MoveRecorder* recorder,
                  std::string& error) {
    for (const std::string& folder : folders) {
        std::string why;
        if (make_folder(folder, why)) {
            if (recorder != nullptr) recorder->folder_made(folder);
        } else if (!is_directory(folder)) {
            error = fill_message(N_("cannot make the folder %s: %s"), {folder, why});
            return false;
        }
    }
    return true;
}

void date_made_files(const FileEntry& entry, ConvertResult& result, MoveRecorder* recorder) {
    const ProgramInfo* info = selected_candidate(entry);
    if (info == nullptr || info->startTime == 0) return;
    const auto date = [&](FileRole role, const std::string& path, int milliseconds) {
        if (recorder != nullptr && !recorder->before_dating(role, path)) return false;
        return set_file_times(path, info->startTime, milliseconds);
    };
    result.timesSet = date(FileRole::recording, result.toPath, 0);
    for (const CompanionMove& companion : result.companions)
        if (companion.moved) date(FileRole::companion, companion.to, kCompanionTimeMilliseconds);
}

}  // namespace

std::optional<std::string> library_subfolder(const FileEntry& entry, const LibraryTarget& target,
                                             std::string& why) {
    std::string sub;
    const std::string_view text = target.folderTemplate;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        std::size_t end = text.find('/', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view piece = text.substr(start, end - start);
        start = end + 1;
        std::string expanded = target.expand ? target.expand(entry, piece) : std::string(piece);
        cut_cp932(expanded, kComposedNameMax);
        const std::string component = replace_forbidden_characters(expanded);
        const std::string shown = cp932_to_utf8_lossy(piece);
        if (component.empty()) {
            why = fill_message(N_("the folder template's part \"%s\" gives an empty folder name"),
                               {shown});
            return std::nullopt;
        }
        if (component == "." || component == "..") {
            why = fill_message(N_("the folder template's part \"%s\" gives \"%s\", which is no "
                                  "folder of its own"),
                               {shown, component});
            return std::nullopt;
        }
        const auto native = cp932_to_utf8(component);
        if (!native || native->find('\0') != std::string::npos || !name_fits_filesystem(*native)) {
            why = fill_message(N_("the folder template's part \"%s\" gives no usable folder name"),
                               {shown});
            return std::nullopt;
        }
        sub += (sub.empty() ? "" : "/") + *native;
        if (end == text.size()) break;
    }
    return sub;
}

LibraryPlan plan_library(const FileEntry& entry, const ConversionOptions& options,
                         const LibraryTarget& target, const LibraryNameTaken& taken,
                         CompanionListings& listings, int first_number) {
    LibraryPlan plan;
    plan.from = entry.nativePath;
    plan.to = entry.nativeNewPath;
    plan.blocker = move_blocker(entry);
    // A name already right in its own folder is still to go into the library.
    if (plan.blocker == ConvertStatus::alreadyNamed) plan.blocker.reset();
    if (plan.blocker) return plan;

    const std::string library = without_trailing_slashes(target.folder);
    const auto refuse = [&](ConvertStatus status, std::string message) {
        plan.blocker = status;
        plan.message = std::move(message);
        return plan;
    };
    if (library.empty() || !path_exists(library))
        return refuse(
            ConvertStatus::moveFailed,
            fill_message(N_("the library folder %s does not exist: make it first"), {library}));
    if (auto problem = unusable_directory(library))
        return refuse(
            ConvertStatus::moveFailed,
            fill_message(N_("the library folder %s cannot be used: %s"), {library, *problem}));
    std::string why;
    const auto sub = library_subfolder(entry, target, why);
    if (!sub) return refuse(ConvertStatus::badFolder, why);
    if (auto problem = missing_folders(library, *sub, plan.foldersToMake))
        return refuse(ConvertStatus::badFolder, *problem);
    if (target.action != LibraryAction::copy && same_file_system(plan.from, library) == false)
        return refuse(ConvertStatus::crossDevice,
                      cross_device_text(target.action, plan.from, library));

    const FollowingSuffixes following = following_suffixes(plan.from, options, listings);
    const std::vector<std::string>& suffixes = following.suffixes;
    const std::string& longest_suffix = following.longest;
    const std::string wanted =
        library + (sub->empty() ? "" : "/" + *sub) + "/" + split_path(entry.nativeNewPath).name;
    std::size_t too_long = 0;
    bool already = false;
    const auto number = first_free_number(wanted, first_number, [&](const std::string& name) {
        const std::string longest = split_path(name).name + longest_suffix;
        if (!name_fits_filesystem(longest)) {
            too_long = longest.size();
            return true;
        }
        // The recording is there already: moved before, the same file linked,
        // or copied before (a sweep runs over the same recordings again).
        if (name == plan.from ||
            (target.action == LibraryAction::link && same_file(name, plan.from)) ||
            (target.action == LibraryAction::copy && taken(name) &&
             looks_like_copy(name, plan.from))) {
            already = true;
            return true;
        }
        if (taken(name)) return false;
        for (const std::string& suffix : suffixes)
            if (taken(name + suffix)) return false;
        return true;
    });
    if (too_long != 0)
        return refuse(ConvertStatus::tooLong,
                      fill_message(N_("with its companions the longest name would have %s bytes, "
                                      "more than %s"),
                                   {std::to_string(too_long), std::to_string(kMaxFileNameBytes)}));
    if (!number) return refuse(ConvertStatus::noFreeName, "");
    plan.nameNumber = *number;
    plan.to = numbered_name(wanted, *number);
    if (already) return refuse(ConvertStatus::alreadyNamed, "");
    for (const std::string& suffix : suffixes) {
        // The recording's own new name is never taken for a companion.
        if (plan.from + suffix == plan.to) continue;
        plan.companions.push_back(CompanionMove{plan.from + suffix, plan.to + suffix, false, {}});
    }
    return plan;
}

ConvertResult place_entry(FileEntry& entry, const ConversionOptions& options,
                          const LibraryTarget& target, MoveRecorder* recorder,
                          CompanionListings& listings) {
    ConvertResult result;
    result.fromPath = entry.nativePath;
    result.toPath = entry.nativeNewPath;
    LibraryPlan plan;
    for (int first_number = 0;;) {
        plan = plan_library(entry, options, target, path_exists, listings, first_number);
        if (plan.blocker) {
            result.status = *plan.blocker;
            result.message = plan.message;
            result.toPath = plan.to;
            return result;
        }
        result.toPath = plan.to;
        if (std::string error; !make_folders(plan.foldersToMake, recorder, error)) {
            result.status = ConvertStatus::moveFailed;
            result.message = error;
            return result;
        }
        const auto placed =
            place_one(target.action, FileRole::recording, plan.from, plan.to, recorder);
        if (!placed) {
            result.status = ConvertStatus::notRecorded;
            result.message = placed.error().message;
            return result;
        }
        if (placed->made()) break;
        if (placed->outcome == PlaceOutcome::targetExists) {
            first_number = plan.nameNumber + 1;
            continue;
        }
        if (placed->outcome == PlaceOutcome::crossDevice) {
            result.status = ConvertStatus::crossDevice;
            result.message = cross_device_text(target.action, plan.from,
                                               without_trailing_slashes(target.folder));
        } else {
            result.status = ConvertStatus::moveFailed;
            result.message = placed->message;
        }
        return result;
    }
    result.status = ConvertStatus::moved;
    result.nameNumber = plan.nameNumber;
    for (CompanionMove& companion : plan.companions) {
        const auto placed =
            place_one(target.action, FileRole::companion, companion.from, companion.to, recorder);
        companion.moved = placed && placed->made();
        companion.message = placed ? placed->message : placed.error().message;
        if (companion.moved && target.action == LibraryAction::move)
            listings.note_move(companion.from, companion.to);
    }
    result.companions = std::move(plan.companions);
    if (target.action == LibraryAction::move) {
        listings.note_move(plan.from, plan.to);
        std::vector<ProgramInfo> candidates = std::move(entry.candidates);
        const int selected = entry.selected;
        entry = make_file_entry(plan.to, std::move(candidates));
        entry.selected = selected;
        entry.newName = entry.currentName;
        entry.newPath = entry.sourcePath;
        entry.nativeNewPath = entry.nativePath;
    }
    entry.converted = true;
    // A link shares the original's times: dating it would date the original.
    if (options.fileDate && target.action != LibraryAction::link)
        date_made_files(entry, result, recorder);
    return result;
}

LibraryPlan LibraryDryRun::plan(const FileEntry& entry, const ConversionOptions& options,
                                const LibraryTarget& target) {
    LibraryPlan plan = plan_library(
        entry, options, target,
        [this](const std::string& path) { return planned_.count(path) != 0 || path_exists(path); },
        listings_);
    if (!plan.blocker) {
        planned_.insert(plan.to);
        for (const CompanionMove& move : plan.companions) planned_.insert(move.to);
    }
    return plan;
}

}  // namespace kalvento
