// The entries of one directory, for commands that take folders of recordings.
#pragma once

#include <string>
#include <vector>

namespace kalvento {

enum class EntryKind {
    file,        // a regular file
    linkToFile,  // a symbolic link that leads to a regular file
    directory,   // a directory itself (a symbolic link to one is `other`)
    other,       // other symbolic links, devices, FIFOs, sockets
};

struct DirectoryEntry {
    std::string name;  // without the directory
    EntryKind kind = EntryKind::other;
};

enum class ListingStatus {
    ok,
    notDirectory,  // the path names something else, or nothing
    failed,        // a directory that cannot be read; `error` says why
};

struct DirectoryListing {
    ListingStatus status = ListingStatus::failed;
    std::string error;                    // the system's reason when failed
    std::vector<DirectoryEntry> entries;  // sorted by the bytes of their names; no "." and ".."
};

// Lists the directory at `path` (a symbolic link to a directory is followed
// here, since the caller named it). Entries that vanish while they are read
// are left out.
DirectoryListing list_directory(const std::string& path);

}  // namespace kalvento
