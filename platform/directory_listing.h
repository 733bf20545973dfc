// The entries of one directory, for commands that take folders of recordings,
// and its names for finding companion files.
#pragma once

#include "platform/file_ops.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
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

// What changes whenever an entry of a directory is added, removed or renamed.
struct DirectoryStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const DirectoryStamp&) const = default;
};
// nullopt when nothing can be learnt of the directory.
std::optional<DirectoryStamp> directory_stamp(const std::string& path);

// The names in one directory, read once and kept in byte order, so that the
// companions of many recordings in it are found without reading it again for
// each. The holder keeps the names in step with the moves it makes and tells
// a change by others from its stamp.
class DirectoryNames {
  public:
    // nullopt when the directory cannot be read.
    static std::optional<DirectoryNames> read(const std::string& directory);

    // The directory's stamp when it was read or last restamped.
    const DirectoryStamp& stamp() const { return stamp_; }

    // The entries among the names that `list_companions` describes, looked at
    // now: a name gone meanwhile is left out.
    std::vector<CompanionEntry> companions_of(std::string_view recording_name) const;

    // A move of the holder's own: the names and the stamp follow it.
    void add(const std::string& name) { names_.insert(name); }
    void remove(const std::string& name) { names_.erase(name); }
    void restamp();

  private:
    std::string directory_;
    std::set<std::string> names_;  // std::string orders by unsigned bytes
    DirectoryStamp stamp_;
};

}  // namespace kalvento
