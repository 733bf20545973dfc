#include "platform/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace kalvento {

DirectoryListing list_directory(const std::string& path) {
    DirectoryListing listing;
    if (path.find('\0') != std::string::npos) {
        listing.status = ListingStatus::notDirectory;
        return listing;
    }
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        const int error = errno;
        if (error == ENOTDIR || error == ENOENT) {
            listing.status = ListingStatus::notDirectory;
        } else {
            listing.error = std::error_code(error, std::generic_category()).message();
        }
        return listing;
    }
    const int dir_fd = ::dirfd(dir);
    int read_error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            read_error = errno;
            break;
        }
        const std::string name(entry->d_name);
        if (name == "." || name == "..") continue;
        struct stat info {};
        if (::fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        DirectoryEntry found;
        found.name = name;
        if (S_ISREG(info.st_mode)) {
            found.kind = EntryKind::file;
        } else if (S_ISDIR(info.st_mode)) {
            found.kind = EntryKind::directory;
        } else if (S_ISLNK(info.st_mode) && ::fstatat(dir_fd, entry->d_name, &info, 0) == 0 &&
                   S_ISREG(info.st_mode)) {
            found.kind = EntryKind::linkToFile;
        }
        listing.entries.push_back(std::move(found));
    }
    ::closedir(dir);
    if (read_error != 0) {
        listing.entries.clear();
        listing.error = std::error_code(read_error, std::generic_category()).message();
        return listing;
    }
    // std::string compares its characters as unsigned bytes.
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    listing.status = ListingStatus::ok;
    return listing;
}

std::optional<DirectoryStamp> directory_stamp(const std::string& path) {
    struct stat info {};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    constexpr std::int64_t kNs = 1'000'000'000;
    return DirectoryStamp{.device = static_cast<std::uint64_t>(info.st_dev),
                          .inode = static_cast<std::uint64_t>(info.st_ino),
                          .modifiedNs = info.st_mtim.tv_sec * kNs + info.st_mtim.tv_nsec,
                          .changedNs = info.st_ctim.tv_sec * kNs + info.st_ctim.tv_nsec};
}

std::optional<DirectoryNames> DirectoryNames::read(const std::string& directory) {
    // Stamped before the reading: a change while it runs shows at the next look.
    const std::optional<DirectoryStamp> stamp = directory_stamp(directory);
    if (!stamp) return std::nullopt;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return std::nullopt;
    DirectoryNames names;
    names.directory_ = directory;
    names.stamp_ = *stamp;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        names.names_.emplace_hint(names.names_.end(), entry->d_name);
    }
    const int read_error = errno;
    ::closedir(dir);
    if (read_error != 0) return std::nullopt;
    return names;
}

std::vector<CompanionEntry> DirectoryNames::companions_of(std::string_view recording_name) const {
    std::vector<CompanionEntry> found;
    if (recording_name.empty()) return found;
    const std::string prefix = std::string(recording_name) + ".";
    const std::string folder = directory_.ends_with('/') ? directory_ : directory_ + "/";
    for (auto name = names_.lower_bound(prefix); name != names_.end() && name->starts_with(prefix);
         ++name) {
        struct stat info {};
        if (::lstat((folder + *name).c_str(), &info) != 0) continue;
        found.push_back(CompanionEntry{.name = *name,
                                       .suffix = name->substr(recording_name.size()),
                                       .isDirectory = S_ISDIR(info.st_mode)});
    }
    return found;
}

void DirectoryNames::restamp() {
    if (const std::optional<DirectoryStamp> stamp = directory_stamp(directory_)) stamp_ = *stamp;
}

}  // namespace kalvento
