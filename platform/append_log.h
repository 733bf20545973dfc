// A log that several processes append whole lines to: each line goes in
// with one write while the log's lock is held, so lines never interleave and
// a process killed at any moment leaves only whole lines behind (at worst a
// last line cut short, which the reader skips). The log, its lock file and
// the rotated log are refused when another user owns them or others may
// write to them: whoever could write them could steer what is read back.
#pragma once

#include "platform/file_lock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

class AppendLog {
  public:
    // `path` is the log; its lock file is `path` + ".lock" and the previous
    // log, kept when the log is rotated, `rotated_path`. Every append waits
    // for the lock as `wait` says.
    AppendLog(std::string path, std::string rotated_path, LockWait wait = {});
    ~AppendLog();
    AppendLog(const AppendLog&) = delete;
    AppendLog& operator=(const AppendLog&) = delete;

    // Opens the lock file and the log (creating them when missing), so that
    // a file that cannot be used is known before anything is appended.
    bool open(std::string& error);

    // A log larger than `beyond` is renamed to the rotated path (replacing
    // the one before it) before the line goes in, so the log stays bounded.
    // `carried` is asked, under the lock, for the lines of the log about to
    // be dropped that must live on: the new log starts with them. nullopt
    // puts the rotation off.
    struct Rotation {
        std::uint64_t beyond = 0;
        std::function<std::optional<std::string>()> carried;
    };

    // Appends `line` (which ends in '\n'), rotating first as `rotation`
    // says. False, with `error`, when the line could not be written whole.
    bool append(std::string_view line, std::string& error, const Rotation* rotation = nullptr);

    // Flushes what was appended to the disk.
    bool sync(std::string& error);

    // The last append failed because the lock stayed held by another process
    // (or a stop signal came while waiting): trying again later may work.
    bool gave_up_waiting() const { return gaveUpWaiting_; }

  private:
    bool open_current(std::string& error);
    bool rotate(const Rotation& rotation, std::string& error);

    std::string path_;
    std::string rotatedPath_;
    LockWait wait_;
    int fd_ = -1;
    int lockFd_ = -1;
    bool gaveUpWaiting_ = false;
};

enum class LogReadStatus { read, missing, failed };

struct LogRead {
    LogReadStatus status = LogReadStatus::read;
    std::string error;  // for failed: names the file and says why
};

// Reads the log at `path` line by line, however long it is; `take` gets each
// line without its '\n' (a line longer than `line_limit` comes empty, with
// `too_long`). A log that is not this user's own is not read (failed).
LogRead read_log_lines(const std::string& path, std::size_t line_limit,
                       const std::function<void(std::string_view line, bool too_long)>& take);

}  // namespace kalvento
