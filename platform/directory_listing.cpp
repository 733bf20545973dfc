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

}  // namespace kalvento
