#include "platform/file_io.h"

#include "platform/file_ops.h"
#include "platform/message_mark.h"
#include "platform/process_places.h"
#include "platform/system_error_text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kalvento {
namespace {

// Attempts at finding an unused temporary name before a write gives up.
constexpr int kTempNameAttempts = 100;
constexpr std::string_view kTempSuffix = ".tmp";
// A temporary file of a dead process is removed only when it is at least this
// old, so a writer in another PID namespace sharing the folder is not robbed.
constexpr auto kStaleTempAge = std::chrono::minutes(2);

int open_nonblocking(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Makes an open descriptor of a regular file blocking again; false (errno
// set) for anything that is not a regular file.
bool require_regular(int fd, struct stat& info) {
    if (::fstat(fd, &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) {
        errno = 0;
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool process_is_gone(long pid) {
    return pid > 0 && !process_is_running(pid);
}

// "<name>.<pid>-<attempt>.tmp" -> pid, or -1 when `entry` is not such a name.
long temporary_pid(std::string_view entry, std::string_view name) {
    if (entry.size() <= name.size() + 1 + kTempSuffix.size() || !entry.starts_with(name) ||
        entry[name.size()] != '.' || !entry.ends_with(kTempSuffix)) {
        return -1;
    }
    std::string_view middle = entry.substr(name.size() + 1);
    middle.remove_suffix(kTempSuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string_view::npos) return -1;
    long pid = -1;
    int attempt = -1;
    const auto first = std::from_chars(middle.data(), middle.data() + dash, pid);
    const auto second =
        std::from_chars(middle.data() + dash + 1, middle.data() + middle.size(), attempt);
    if (first.ec != std::errc() || first.ptr != middle.data() + dash || second.ec != std::errc() ||
        second.ptr != middle.data() + middle.size()) {
        return -1;
    }
    return pid;
}

// Removes the temporary files of `target` that processes which no longer run
// left behind (a save killed between creating and renaming its file).
void remove_stale_temporaries(const std::string& directory, const std::string& target_name) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return;
    const int dir_fd = ::dirfd(dir);
    const auto now = std::chrono::system_clock::now();
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = temporary_pid(entry->d_name, target_name);
        if (pid < 0 || pid == static_cast<long>(::getpid()) || !process_is_gone(pid)) continue;
        struct stat info {};
        if (::fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        const auto modified = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
        if (now - modified < kStaleTempAge) continue;
        ::unlinkat(dir_fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

FileRead read_small_file(const std::string& path, std::size_t max_bytes, bool truncate) {
    FileRead result;
    const int fd = open_nonblocking(path);
    if (fd < 0) {
        result.status =
            errno == ENOENT || errno == ENOTDIR ? ReadStatus::missing : ReadStatus::failed;
        result.error = system_reason(errno);
        return result;
    }
    struct stat info {};
    if (!require_regular(fd, info)) {
        const int error = errno;
        ::close(fd);
        result.status = error == 0 ? ReadStatus::notRegular : ReadStatus::failed;
        result.error = error == 0 ? N_("not a regular file") : system_reason(error);
        return result;
    }
    if (!truncate && static_cast<std::uintmax_t>(info.st_size) > max_bytes) {
        ::close(fd);
        result.status = ReadStatus::tooLarge;
        result.error = fill_message(N_("larger than %s bytes"), {std::to_string(max_bytes)});
        return result;
    }
    result.status = ReadStatus::ok;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.status = ReadStatus::failed;
            result.error = system_reason(errno);
            break;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
        if (result.bytes.size() > max_bytes) {
            // The file grew while it was read.
            if (truncate) {
                result.bytes.resize(max_bytes);
            } else {
                result.status = ReadStatus::tooLarge;
                result.error =
                    fill_message(N_("larger than %s bytes"), {std::to_string(max_bytes)});
            }
            break;
        }
    }
    ::close(fd);
    if (!result.ok()) result.bytes.clear();
    return result;
}

std::string temporary_name(const std::string& path, long pid, int attempt) {
    return path + "." + std::to_string(pid) + "-" + std::to_string(attempt) +
           std::string(kTempSuffix);
}

FileWrite replace_file(const std::string& path, std::string_view bytes, unsigned new_file_mode) {
    namespace fs = std::filesystem;
    // A file reached through a symbolic link is replaced at its target, so the
    // link stays a link.
    std::string target = path;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved.string();
    }
    const fs::path target_path(target);
    std::string directory = target_path.parent_path().string();
    if (directory.empty()) directory = ".";
    remove_stale_temporaries(directory, target_path.filename().string());

    struct stat old_info {};
    const bool had_file = ::stat(target.c_str(), &old_info) == 0;

    std::string temp_path;
    int fd = -1;
    for (int attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        temp_path = temporary_name(target, static_cast<long>(::getpid()), attempt);
        fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, new_file_mode);
        if (fd < 0 && errno != EEXIST) {
            return {WriteStatus::cannotCreateTemp,
                    describe_system_error(N_("cannot create a file in %s: %s"), directory, errno)};
        }
    }
    if (fd < 0)
        return {WriteStatus::cannotCreateTemp,
                fill_message(N_("no free temporary name in %s"), {directory})};

    bool written = write_all(fd, bytes);
    int error = written ? 0 : errno;
    if (written && had_file) ::fchmod(fd, old_info.st_mode & 07777);
    if (written && ::fsync(fd) != 0) {
        written = false;
        error = errno;
    }
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temp_path.c_str());
        return {WriteStatus::cannotWrite,
                describe_system_error(N_("cannot write %s: %s"), temp_path, error)};
    }
    if (::rename(temp_path.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temp_path.c_str());
        return {WriteStatus::cannotReplace,
                describe_system_error(N_("cannot replace %s: %s"), target, error)};
    }
    // Make the rename itself durable; a failure here leaves a complete file.
    const int dir_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd >= 0) {
        ::fsync(dir_fd);
        ::close(dir_fd);
    }
    return {};
}

bool create_new_file(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = write_all(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    ::unlink(path.c_str());
    return false;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::string> ReadOnlyFile::open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = open_nonblocking(path);
    if (fd_ < 0) return system_reason(errno);
    struct stat info {};
    if (!require_regular(fd_, info)) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        return error == 0 ? std::string(N_("not a regular file")) : system_reason(error);
    }
    // The window is read front to back once: let the kernel read ahead.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::nullopt;
}

std::int64_t ReadOnlyFile::size() const {
    if (fd_ < 0) return -1;
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

bool ReadOnlyFile::seek(std::int64_t offset) {
    return fd_ >= 0 && offset >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == offset;
}

std::size_t ReadOnlyFile::read(std::uint8_t* buffer, std::size_t length) {
    if (fd_ < 0) return 0;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd_, buffer + done, length - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool stderr_is_terminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace kalvento
