#include "platform/file_lock.h"

#include "platform/message_mark.h"
#include "platform/stop_signals.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

namespace kalvento {
namespace {

std::string system_message(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// "60", "1.5", "0.25".
std::string seconds_text(std::chrono::milliseconds time) {
    std::string text = std::to_string(time.count() / 1000);
    if (const long ms = static_cast<long>(time.count() % 1000); ms != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03ld", ms);
        text += fraction;
        while (text.back() == '0') text.pop_back();
    }
    return text;
}

}  // namespace

std::optional<std::string> foreign_file_problem(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fill_message(N_("cannot examine %s: %s"), {path, system_message(errno)});
    if (info.st_uid != ::geteuid())
        return fill_message(N_("%s belongs to another user (uid %s): refused, it may have been "
                               "made to mislead"),
                            {path, std::to_string(info.st_uid)});
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return fill_message(N_("other users can write to %s: refused, it may have been made to "
                               "mislead (chmod go-w makes it private)"),
                            {path});
    return std::nullopt;
}

int open_lock_file(const std::string& lock_path, std::string& error) {
    int fd = -1;
    do {
        fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = fill_message(N_("cannot open %s: %s"), {lock_path, system_message(errno)});
        return -1;
    }
    // A lock file holds nothing to trust, only others must not open it (and
    // hold the lock): one of the user's own that others may write to, as
    // earlier versions made it under a umask of 002, is made private.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() &&
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        ::fchmod(fd, 0600);
    if (const auto problem = foreign_file_problem(fd, lock_path)) {
        error = *problem;
        ::close(fd);
        return -1;
    }
    return fd;
}

long lock_holder(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return 0;
    // Lines such as "3: FLOCK  ADVISORY  WRITE 4711 fd:01:1234 0 EOF"; those
    // of waiters have "->" after the number.
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (!(fields >> number >> kind) || kind == "->") continue;
        if (!(fields >> mode >> access >> pid >> file)) continue;
        unsigned major_number = 0, minor_number = 0;
        unsigned long long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &major_number, &minor_number, &inode) != 3)
            continue;
        if (major_number == major(info.st_dev) && minor_number == minor(info.st_dev) &&
            inode == info.st_ino && pid > 0)
            return pid;
    }
    return 0;
}

LockOutcome lock_exclusively(int fd, const std::string& lock_path, const LockWait& wait,
                             std::string& error) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto pause = std::chrono::milliseconds(1);
    bool told = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockOutcome::locked;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error = fill_message(N_("cannot lock %s: %s"), {lock_path, system_message(errno)});
            return LockOutcome::failed;
        }
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        if (!told && waited >= wait.tellAfter && wait.onWaiting) {
            told = true;
            wait.onWaiting(lock_path, lock_holder(fd));
        }
        if (stop_signal_waiting()) {
            error = fill_message(N_("stopped while waiting for the lock on %s"), {lock_path});
            return LockOutcome::busy;
        }
        if (waited >= wait.limit) {
            const long holder = lock_holder(fd);
            error = holder > 0 ? fill_message(
                                     N_("gave up after %s s waiting for the lock on %s, held by "
                                        "process %s"),
                                     {seconds_text(wait.limit), lock_path, std::to_string(holder)})
                               : fill_message(N_("gave up after %s s waiting for the lock on %s"),
                                              {seconds_text(wait.limit), lock_path});
            return LockOutcome::busy;
        }
        std::this_thread::sleep_for(std::min(pause, wait.limit - waited));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

std::optional<FileLock> FileLock::acquire(const std::string& lock_path, std::string& error,
                                          const LockWait& wait, LockOutcome* outcome) {
    LockOutcome result = LockOutcome::failed;
    const int fd = open_lock_file(lock_path, error);
    if (fd >= 0) {
        result = lock_exclusively(fd, lock_path, wait, error);
        if (result != LockOutcome::locked) ::close(fd);
    }
    if (outcome != nullptr) *outcome = result;
    if (result != LockOutcome::locked) return std::nullopt;
    return FileLock(fd);
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace kalvento
