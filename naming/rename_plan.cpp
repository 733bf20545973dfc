#include "naming/rename_plan.h"

#include "naming/entry_paths.h"
#include "platform/file_ops.h"

#include <string_view>

namespace kalvento {
namespace {
constexpr std::string_view kTextSuffix = ".txt";
}  // namespace

std::optional<int> first_free_number(
    const std::string& target, int first_number,
    const std::function<bool(const std::string& candidate)>& free) {
    for (int n = first_number; n <= kMaxNameNumber; ++n) {
        if (free(numbered_name(target, n))) return n;
    }
    return std::nullopt;
}

bool companion_follows(const CompanionEntry& companion, const ConversionOptions& options) {
    if (companion.isDirectory) return false;
    if (options.wildRename) return true;
    return options.gopRename && companion.suffix == kTextSuffix;
}

FollowingSuffixes following_suffixes(const std::string& recording, const ConversionOptions& options,
                                     CompanionListings& listings) {
    FollowingSuffixes following;
    if (!options.gopRename && !options.wildRename) return following;
    for (const CompanionEntry& companion : listings.companions_of(recording)) {
        if (!companion_follows(companion, options)) continue;
        following.suffixes.push_back(companion.suffix);
        if (companion.suffix.size() > following.longest.size())
            following.longest = companion.suffix;
    }
    return following;
}

RenamePlan plan_rename(const FileEntry& entry, const ConversionOptions& options,
                       const NameTaken& taken, CompanionListings& listings, int first_number) {
    RenamePlan plan;
    plan.from = entry.nativePath;
    plan.to = entry.nativeNewPath;
    plan.blocker = move_blocker(entry);
    if (!plan.blocker && options.keepNumberedName &&
        is_numbered_form(entry.nativePath, entry.nativeNewPath)) {
        plan.blocker = ConvertStatus::alreadyNamed;
    }
    if (plan.blocker) return plan;

    const FollowingSuffixes following = following_suffixes(plan.from, options, listings);
    const std::vector<std::string>& suffixes = following.suffixes;
    const std::string& longest_suffix = following.longest;
    // A longer number never makes a name shorter: the search ends at the
    // first form whose longest name does not fit.
    std::size_t too_long = 0;  // bytes of the longest name that does not fit
    const auto number =
        first_free_number(entry.nativeNewPath, first_number, [&](const std::string& target) {
            const std::string longest = split_path(target).name + longest_suffix;
            if (!name_fits_filesystem(longest)) {
                too_long = longest.size();
                return true;
            }
            if (taken(target)) return false;
            for (const std::string& suffix : suffixes) {
                // A companion name the recording itself leaves is free for it.
                const std::string companion_target = target + suffix;
                if (companion_target != plan.from && taken(companion_target)) return false;
            }
            return true;
        });
    if (too_long != 0) {
        plan.blocker = ConvertStatus::tooLong;
        plan.message =
            (longest_suffix.empty() ? "its name would have "
                                    : "with its companions the longest name would have ") +
            std::to_string(too_long) + " bytes, more than " + std::to_string(kMaxFileNameBytes);
        return plan;
    }
    if (!number) {
        plan.blocker = ConvertStatus::noFreeName;
        return plan;
    }
    plan.nameNumber = *number;
    plan.to = numbered_name(entry.nativeNewPath, *number);
    for (const std::string& suffix : suffixes) {
        CompanionMove move;
        move.from = plan.from + suffix;
        move.to = plan.to + suffix;
        // The recording's own new name is never taken for a companion, even
        // when it happens to look like one.
        if (move.from == plan.to) continue;
        plan.companions.push_back(std::move(move));
    }
    return plan;
}

bool DryRunPlanner::taken(const std::string& path) const {
    return planned_.count(path) != 0 || (path_exists(path) && vacated_.count(path) == 0);
}

RenamePlan DryRunPlanner::plan(const FileEntry& entry, const ConversionOptions& options) {
    RenamePlan plan = plan_rename(
        entry, options, [this](const std::string& path) { return taken(path); }, listings_);
    if (!plan.blocker) {
        planned_.insert(plan.to);
        vacated_.insert(plan.from);
        for (const CompanionMove& move : plan.companions) {
            planned_.insert(move.to);
            vacated_.insert(move.from);
        }
    }
    return plan;
}

}  // namespace kalvento
