#include "platform/append_log.h"

#include "platform/file_ops.h"
#include "platform/message_mark.h"
#include "platform/system_error_text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace kalvento {
namespace {

// Holds the log's lock for one append.
class LockScope {
  public:
    LockScope(int fd, const std::string& path, const LockWait& wait, std::string& error)
        : fd_(fd), outcome_(lock_exclusively(fd, path, wait, error)) {}
    ~LockScope() {
        if (outcome_ == LockOutcome::locked) ::flock(fd_, LOCK_UN);
    }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;
    LockOutcome outcome() const { return outcome_; }

  private:
    int fd_;
    LockOutcome outcome_;
};

// Opens `path` for appending (created private when missing), refusing what
// is not a regular file of this user's own: -1 with `error` then.
int open_for_append(const std::string& path, int flags, std::string& error) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | flags, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = describe_system_error(N_("cannot open %s: %s"), path, errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = fill_message(N_("cannot write %s: not a regular file"), {path});
    } else if (const auto problem = foreign_file_problem(fd, path)) {
        error = *problem;
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace

AppendLog::AppendLog(std::string path, std::string rotated_path, LockWait wait)
    : path_(std::move(path)), rotatedPath_(std::move(rotated_path)), wait_(std::move(wait)) {}

AppendLog::~AppendLog() {
    if (fd_ >= 0) ::close(fd_);
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool AppendLog::open(std::string& error) {
    if (lockFd_ < 0) lockFd_ = open_lock_file(path_ + ".lock", error);
    return lockFd_ >= 0 && open_current(error);
}

bool AppendLog::open_current(std::string& error) {
    // Another process may have rotated the log since it was opened: lines
    // always go to the file that now bears the name.
    struct stat named {};
    struct stat held {};
    if (fd_ >= 0 && ::stat(path_.c_str(), &named) == 0 && ::fstat(fd_, &held) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
        return true;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = open_for_append(path_, O_APPEND, error);
    return fd_ >= 0;
}

bool AppendLog::rotate(const Rotation& rotation, std::string& error) {
    const std::optional<std::string> carried =
        rotation.carried ? rotation.carried() : std::optional<std::string>(std::string());
    if (!carried) return true;
    // The lines that live on go to a new file first, which then takes the
    // log's name, so no moment passes with them in neither file.
    const std::string fresh = path_ + ".new";
    bool fresh_ready = false;
    if (!carried->empty()) {
        std::string ignored;
        const int fd = open_for_append(fresh, O_TRUNC, ignored);
        if (fd < 0) return true;  // put off: nothing was changed
        fresh_ready = write_all(fd, *carried) && ::fsync(fd) == 0;
        ::close(fd);
        if (!fresh_ready) {
            ::unlink(fresh.c_str());
            return true;
        }
    }
    if (::rename(path_.c_str(), rotatedPath_.c_str()) != 0) {
        error = describe_system_error(N_("cannot rotate %s: %s"), path_, errno);
        return false;
    }
    if (fresh_ready && ::rename(fresh.c_str(), path_.c_str()) != 0) {
        // Should the new file not take the name, its lines are written anew.
        ::unlink(fresh.c_str());
        if (!open_current(error)) return false;
        if (!write_all(fd_, *carried)) {
            error = describe_system_error(N_("cannot write %s: %s"), path_, errno);
            return false;
        }
    }
    return open_current(error);
}

bool AppendLog::append(std::string_view line, std::string& error, const Rotation* rotation) {
    gaveUpWaiting_ = false;
    if (lockFd_ < 0 && !open(error)) return false;
    const LockScope lock(lockFd_, path_ + ".lock", wait_, error);
    if (lock.outcome() != LockOutcome::locked) {
        gaveUpWaiting_ = lock.outcome() == LockOutcome::busy;
        return false;
    }
    if (!open_current(error)) return false;
    struct stat info {};
    if (rotation != nullptr && rotation->beyond > 0 && ::fstat(fd_, &info) == 0 &&
        static_cast<std::uint64_t>(info.st_size) > rotation->beyond && !rotate(*rotation, error))
        return false;
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    if (write_all(fd_, line)) return true;
    const int reason = errno;
    // A line cut short (a full disk) is taken back, so the log ends whole;
    // should that fail too, the reader skips the damaged last line.
    const bool taken_back = before >= 0 && ::ftruncate(fd_, before) == 0;
    static_cast<void>(taken_back);
    error = describe_system_error(N_("cannot write %s: %s"), path_, reason);
    return false;
}

bool AppendLog::sync(std::string& error) {
    if (fd_ < 0) return true;
    if (::fsync(fd_) == 0) return true;
    error = describe_system_error(N_("cannot flush %s: %s"), path_, errno);
    return false;
}

LogRead read_log_lines(const std::string& path, std::size_t line_limit,
                       const std::function<void(std::string_view line, bool too_long)>& take) {
    LogRead result;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        result.status = errno == ENOENT ? LogReadStatus::missing : LogReadStatus::failed;
        result.error = describe_system_error(N_("cannot read %s: %s"), path, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = fill_message(N_("cannot read %s: not a regular file"), {path});
    } else if (const auto problem = foreign_file_problem(fd, path)) {
        result.error = *problem;
    }
    if (!result.error.empty()) {
        ::close(fd);
        result.status = LogReadStatus::failed;
        return result;
    }
    std::vector<char> buffer(1u << 20);
    std::string line;  // the line read so far
    bool too_long = false;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.status = LogReadStatus::failed;
            result.error = describe_system_error(N_("cannot read %s: %s"), path, errno);
            break;
        }
        if (got == 0) {
            if (!line.empty() || too_long) take(line, too_long);
            break;
        }
        std::string_view piece(buffer.data(), static_cast<std::size_t>(got));
        while (!piece.empty()) {
            const std::size_t end = piece.find('\n');
            const std::string_view part = piece.substr(0, end);
            if (!too_long) {
                if (line.size() + part.size() > line_limit) {
                    too_long = true;
                    line.clear();
                } else {
                    line.append(part);
                }
            }
            if (end == std::string_view::npos) break;
            take(too_long ? std::string_view() : std::string_view(line), too_long);
            line.clear();
            too_long = false;
            piece.remove_prefix(end + 1);
        }
    }
    ::close(fd);
    return result;
}

}  // namespace kalvento
