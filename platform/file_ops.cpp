#include "platform/file_ops.h"

#include "platform/message_mark.h"

#include "platform/directory_listing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kalvento {
namespace {

// The flag value is fixed by the kernel interface; older C headers lack the name.
#ifdef RENAME_NOREPLACE
constexpr unsigned kRenameNoReplace = RENAME_NOREPLACE;
#else
constexpr unsigned kRenameNoReplace = 1u << 0;
#endif

constexpr long kNanosecondsPerMillisecond = 1'000'000;

MoveResult move_failure(int error) {
    MoveResult result;
    result.outcome = error == EEXIST ? MoveOutcome::targetExists : MoveOutcome::failed;
    result.errorNumber = error;
    result.message = std::error_code(error, std::generic_category()).message();
    return result;
}

int rename_no_replace(const char* from, const char* to) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, kRenameNoReplace);
#elif defined(SYS_renameat2)
    return static_cast<int>(
        ::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, kRenameNoReplace));
#else
    errno = ENOSYS;
    return -1;
#endif
}

// Errors with which a kernel or file system says it cannot do a no-replace
// rename at all (ENOTSUP is the same number as EOPNOTSUPP). EPERM is not among
// them: in a sticky folder the link could be made but neither name removed
// again, leaving the file with a stray second name.
bool no_replace_unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

bool same_inode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::atomic<bool> g_force_link_moves{false};

}  // namespace

void force_link_moves(bool force) {
    g_force_link_moves = force;
}

MoveResult move_no_replace(const std::string& from, const std::string& to) {
    if (path_holds_nul(from) || path_holds_nul(to)) return move_failure(EINVAL);
    if (g_force_link_moves) return move_by_link(from, to);
    if (rename_no_replace(from.c_str(), to.c_str()) == 0) return {};
    const int error = errno;
    if (no_replace_unsupported(error)) return move_by_link(from, to);
    return move_failure(error);
}

MoveResult move_by_link(const std::string& from, const std::string& to) {
    if (path_holds_nul(from) || path_holds_nul(to)) return move_failure(EINVAL);
    // Flags 0: a symlink is linked itself, never the file it points to.
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) return move_failure(errno);
    if (::unlink(from.c_str()) == 0) return {};
    const int error = errno;
    struct stat old_name {};
    struct stat new_name {};
    if (::lstat(to.c_str(), &new_name) != 0) return move_failure(error);
    if (::lstat(from.c_str(), &old_name) == 0) {
        // The file has both names: take the new one away again while both
        // still name the same file.
        if (same_inode(old_name, new_name)) ::unlink(to.c_str());
        return move_failure(error);
    }
    // The old name went meanwhile. If the file still has another name, a
    // racing process moved it there: that move stands and this link goes.
    // Otherwise the new name is the file's only one and must stay.
    if (new_name.st_nlink > 1) {
        ::unlink(to.c_str());
        return move_failure(error);
    }
    return {};
}

std::string absolute_normal_path(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

std::optional<std::string> unusable_directory(const std::string& path) {
    if (path_holds_nul(path)) return std::string(N_("invalid path"));
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::nullopt;
        return std::error_code(errno, std::generic_category()).message();
    }
    if (!S_ISDIR(info.st_mode)) return std::string(N_("not a directory"));
    if (::access(path.c_str(), R_OK | X_OK) != 0)
        return std::error_code(errno, std::generic_category()).message();
    return std::nullopt;
}

std::optional<FileIdentity> file_identity(const std::string& path) {
    if (path_holds_nul(path)) return std::nullopt;
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
                &info) != 0) {
        return std::nullopt;
    }
    auto nanoseconds = [](const struct statx_timestamp& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    FileIdentity identity;
    identity.device = (static_cast<std::uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    identity.inode = info.stx_ino;
    identity.size = static_cast<std::int64_t>(info.stx_size);
    identity.modifiedNs = nanoseconds(info.stx_mtime);
    identity.accessedNs = nanoseconds(info.stx_atime);
    if ((info.stx_mask & STATX_BTIME) != 0) identity.bornNs = nanoseconds(info.stx_btime);
    identity.links = info.stx_nlink;
    identity.regular = S_ISREG(info.stx_mode);
    return identity;
}

bool restore_file_times(const std::string& path, std::int64_t accessed_ns,
                        std::int64_t modified_ns) {
    if (path_holds_nul(path)) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    constexpr std::int64_t kNs = 1'000'000'000;
    auto split = [](std::int64_t ns) {
        struct timespec time {};
        time.tv_sec = static_cast<time_t>(ns >= 0 ? ns / kNs : (ns - kNs + 1) / kNs);
        time.tv_nsec = static_cast<long>(ns - static_cast<std::int64_t>(time.tv_sec) * kNs);
        return time;
    };
    const struct timespec times[2] = {split(accessed_ns), split(modified_ns)};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool remove_second_name(const std::string& extra, const std::string& kept) {
    if (path_holds_nul(extra) || path_holds_nul(kept)) return false;
    struct stat extra_info {};
    struct stat kept_info {};
    if (::lstat(extra.c_str(), &extra_info) != 0 || ::lstat(kept.c_str(), &kept_info) != 0 ||
        !same_inode(extra_info, kept_info)) {
        return false;
    }
    return ::unlink(extra.c_str()) == 0;
}

bool same_file(const std::string& a, const std::string& b) {
    if (path_holds_nul(a) || path_holds_nul(b)) return false;
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           same_inode(first, second);
}

bool path_exists(const std::string& path) {
    if (path_holds_nul(path)) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG;
}

bool is_directory(const std::string& path) {
    if (path_holds_nul(path)) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<CompanionEntry> list_companions(const std::string& recording_path) {
    if (path_holds_nul(recording_path)) return {};
    const std::size_t slash = recording_path.rfind('/');
    std::string directory;
    std::string recording_name;
    if (slash == std::string::npos) {
        directory = ".";
        recording_name = recording_path;
    } else {
        directory = slash == 0 ? std::string("/") : recording_path.substr(0, slash);
        recording_name = recording_path.substr(slash + 1);
    }
    if (recording_name.empty()) return {};
    const std::optional<DirectoryNames> names = DirectoryNames::read(directory);
    return names ? names->companions_of(recording_name) : std::vector<CompanionEntry>{};
}

bool set_file_times(const std::string& path, std::int64_t unix_seconds, int milliseconds) {
    if (path_holds_nul(path) || milliseconds < 0 || milliseconds > 999) return false;
    const auto seconds = static_cast<time_t>(unix_seconds);
    if (static_cast<std::int64_t>(seconds) != unix_seconds) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;  // last access
    times[1].tv_sec = seconds;      // last write
    times[1].tv_nsec = milliseconds * kNanosecondsPerMillisecond;
    // No symlink is followed here either: should the name be swapped for a link
    // after the check, only the link's own time changes.
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool path_holds_nul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

}  // namespace kalvento
