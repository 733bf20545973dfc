#include "naming/companion_listing.h"

#include "naming/entry_paths.h"

namespace kalvento {
namespace {

std::string folder_of(const SplitPath& parts) {
    return parts.directory.empty() ? std::string(".") : parts.directory;
}

}  // namespace

std::vector<CompanionEntry> CompanionListings::companions_of(const std::string& recording_path) {
    if (recording_path.find('\0') != std::string::npos) return {};
    const SplitPath parts = split_path(recording_path);
    const std::string folder = folder_of(parts);
    auto known = folders_.find(folder);
    if (known != folders_.end() && directory_stamp(folder) != known->second.stamp()) {
        folders_.erase(known);
        known = folders_.end();
    }
    if (known == folders_.end()) {
        std::optional<DirectoryNames> names = DirectoryNames::read(folder);
        if (!names) return {};
        known = folders_.emplace(folder, std::move(*names)).first;
    }
    return known->second.companions_of(parts.name);
}

void CompanionListings::note_move(const std::string& from, const std::string& to) {
    const SplitPath old_parts = split_path(from);
    const SplitPath new_parts = split_path(to);
    if (const auto known = folders_.find(folder_of(old_parts)); known != folders_.end()) {
        known->second.remove(old_parts.name);
        known->second.restamp();
    }
    if (const auto known = folders_.find(folder_of(new_parts)); known != folders_.end()) {
        known->second.add(new_parts.name);
        known->second.restamp();
    }
}

}  // namespace kalvento
