// Advisory locks on lock files, so that several processes that load, change
// and save one file (or append to one log) do so one after another.
//
// A lock is never waited for without end: the wait gives up after a limit,
// or at once when SIGTERM or SIGINT waits to be taken (a process that blocks
// them, such as a watch, then stops), and tells its caller once, after a
// moment, who holds the lock. A lock file that another user owns is refused
// (its owner could let anyone hold it); one of the user's own is kept
// private to the user.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace kalvento {

inline constexpr int kDefaultLockWaitSeconds = 60;

// How long to wait for a lock that another process holds.
struct LockWait {
    std::chrono::milliseconds limit{std::chrono::seconds(kDefaultLockWaitSeconds)};
    std::chrono::milliseconds tellAfter{std::chrono::seconds(1)};
    // Called once when the lock is still held after `tellAfter`, with the
    // lock file and the holder's process id (0 when it cannot be told).
    std::function<void(const std::string& lock_path, long holder)> onWaiting;
};

enum class LockOutcome {
    locked,
    busy,    // still held by another when the limit ran out, or a stop signal came
    failed,  // the file cannot be opened or is refused, or the system refused the lock
};

// Opens (creating it, private to the user, when missing) the lock file at
// `lock_path` for locking, making it private when others may write to it:
// -1, with `error`, when that fails or the file belongs to another user.
int open_lock_file(const std::string& lock_path, std::string& error);

// Takes the exclusive lock on `fd`, the open lock file `lock_path`, waiting
// as `wait` says; anything but `locked` comes with `error` naming the file.
LockOutcome lock_exclusively(int fd, const std::string& lock_path, const LockWait& wait,
                             std::string& error);

// Why the open file `fd` (named `path`) cannot be trusted as this user's own
// state: it belongs to another user, or users other than its owner may write
// to it; nullopt when it can.
std::optional<std::string> foreign_file_problem(int fd, const std::string& path);

// The process that holds a lock on the open file `fd`, from the system's
// table of locks; 0 when none is found there.
long lock_holder(int fd);

class FileLock {
  public:
    // Waits, as `wait` says, for the exclusive lock on `lock_path`, creating
    // the file when it is missing. The lock is released when the object goes.
    // nullopt, with `error` and the `outcome`, when the lock is not taken.
    static std::optional<FileLock> acquire(const std::string& lock_path, std::string& error,
                                           const LockWait& wait = {},
                                           LockOutcome* outcome = nullptr);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

  private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace kalvento
