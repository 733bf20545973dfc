#include "app/recording_folders.h"

#include "platform/ascii_case.h"
#include "platform/directory_listing.h"

namespace kalvento {
namespace {

std::string join(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

void add_folder(const std::string& folder, const DirectoryListing& listing, bool recursive,
                std::vector<RecordingArgument>& found) {
    for (const DirectoryEntry& entry : listing.entries) {
        if (entry.name.starts_with('.')) continue;
        const std::string path = join(folder, entry.name);
        const bool file = entry.kind == EntryKind::file || entry.kind == EntryKind::linkToFile;
        if (file && is_recording_name(entry.name)) {
            found.push_back(RecordingArgument{.path = path, .error = {}});
        } else if (entry.kind == EntryKind::directory && recursive) {
            const DirectoryListing inner = list_directory(path);
            if (inner.status == ListingStatus::ok) {
                add_folder(path, inner, recursive, found);
            } else if (inner.status == ListingStatus::failed) {
                found.push_back(RecordingArgument{.path = path, .error = inner.error});
            }
        }
    }
}

}  // namespace

bool is_recording_name(std::string_view name) {
    if (name.starts_with('.')) return false;
    for (const std::string_view extension : kRecordingExtensions)
        if (name.size() > extension.size() && ends_with_ignoring_ascii_case(name, extension))
            return true;
    return false;
}

std::vector<RecordingArgument> expand_recording_arguments(const std::vector<std::string>& arguments,
                                                          bool recursive) {
    std::vector<RecordingArgument> expanded;
    for (const std::string& argument : arguments) {
        const DirectoryListing listing = list_directory(argument);
        switch (listing.status) {
            case ListingStatus::ok:
                add_folder(argument, listing, recursive, expanded);
                break;
            case ListingStatus::failed:
                expanded.push_back(RecordingArgument{.path = argument, .error = listing.error});
                break;
            case ListingStatus::notDirectory:
                expanded.push_back(RecordingArgument{.path = argument, .error = {}});
                break;
        }
    }
    return expanded;
}

std::vector<std::string> expand_dropped_paths(const std::vector<std::string>& dropped) {
    std::vector<std::string> paths;
    for (RecordingArgument& found : expand_recording_arguments(dropped, false))
        if (found.error.empty()) paths.push_back(std::move(found.path));
    return paths;
}

}  // namespace kalvento
