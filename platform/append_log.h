// A log that several processes append whole lines to: each line goes in
// with one write while the log's lock is held, so lines never interleave and
// a process killed at any moment leaves only whole lines behind (at worst a
// last line cut short, which the reader skips).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento {

class AppendLog {
  public:
    // `path` is the log; its lock file is `path` + ".lock" and the previous
    // log, kept when the log is rotated, `rotated_path`.
    AppendLog(std::string path, std::string rotated_path);
    ~AppendLog();
    AppendLog(const AppendLog&) = delete;
    AppendLog& operator=(const AppendLog&) = delete;

    // Appends `line` (which ends in '\n'). With `rotate_beyond` > 0 a log
    // larger than that is first renamed to the rotated path (replacing the
    // one before it), so the log stays bounded. False, with `error`, when the
    // line could not be written whole.
    bool append(std::string_view line, std::string& error, std::uint64_t rotate_beyond = 0);

    // Flushes what was appended to the disk.
    bool sync(std::string& error);

  private:
    bool open_current(std::string& error);

    std::string path_;
    std::string rotatedPath_;
    int fd_ = -1;
    int lockFd_ = -1;
};

}  // namespace kalvento
