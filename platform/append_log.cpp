#include "platform/append_log.h"

#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kalvento {
namespace {

std::string describe(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::error_code(error, std::generic_category()).message();
}

// Holds the log's lock for one append.
class LockScope {
  public:
    explicit LockScope(int fd) : fd_(fd) {
        int result = 0;
        do {
            result = ::flock(fd_, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        locked_ = result == 0;
    }
    ~LockScope() {
        if (locked_) ::flock(fd_, LOCK_UN);
    }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;
    bool locked() const { return locked_; }

  private:
    int fd_;
    bool locked_ = false;
};

}  // namespace

AppendLog::AppendLog(std::string path, std::string rotated_path)
    : path_(std::move(path)), rotatedPath_(std::move(rotated_path)) {}

AppendLog::~AppendLog() {
    if (fd_ >= 0) ::close(fd_);
    if (lockFd_ >= 0) ::close(lockFd_);
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
    do {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        error = describe("cannot open", path_, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot write " + path_ + ": not a regular file";
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool AppendLog::append(std::string_view line, std::string& error, std::uint64_t rotate_beyond) {
    if (lockFd_ < 0) {
        const std::string lock_path = path_ + ".lock";
        lockFd_ = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFd_ < 0) {
            error = describe("cannot open", lock_path, errno);
            return false;
        }
    }
    const LockScope lock(lockFd_);
    if (!lock.locked()) {
        error = describe("cannot lock", path_, errno);
        return false;
    }
    if (!open_current(error)) return false;
    struct stat info {};
    if (rotate_beyond > 0 && ::fstat(fd_, &info) == 0 &&
        static_cast<std::uint64_t>(info.st_size) > rotate_beyond) {
        if (::rename(path_.c_str(), rotatedPath_.c_str()) != 0) {
            error = describe("cannot rotate", path_, errno);
            return false;
        }
        if (!open_current(error)) return false;
    }
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    if (write_all(fd_, line)) return true;
    const int reason = errno;
    // A line cut short (a full disk) is taken back, so the log ends whole;
    // should that fail too, the reader skips the damaged last line.
    const bool taken_back = before >= 0 && ::ftruncate(fd_, before) == 0;
    static_cast<void>(taken_back);
    error = describe("cannot write", path_, reason);
    return false;
}

bool AppendLog::sync(std::string& error) {
    if (fd_ < 0) return true;
    if (::fsync(fd_) == 0) return true;
    error = describe("cannot flush", path_, errno);
    return false;
}

}  // namespace kalvento
