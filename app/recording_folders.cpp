#include "app/recording_folders.h"

#include "platform/directory_listing.h"

namespace kalvento {
namespace {

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ends_with_ignoring_case(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (ascii_lower(tail[i]) != suffix[i]) return false;
    return true;
}

std::string join(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

void add_folder(const std::string& folder, const DirectoryListing& listing, bool recursive,
                std::vector<RecordingArgument>& found) {
    for (const DirectoryEntry& entry : listing.entries) {
        if (entry.name.starts_with('.')) continue;
        const std::string path = join(folder, entry.name);
        if (entry.kind == EntryKind::file && is_recording_name(entry.name)) {
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
    if (name.empty() || name.starts_with('.')) return false;
    for (const std::string_view extension : kRecordingExtensions)
        if (ends_with_ignoring_case(name, extension) && name.size() > extension.size()) return true;
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

}  // namespace kalvento
