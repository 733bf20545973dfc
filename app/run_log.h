// The trace of an unattended run (rename --log, --syslog, and watch): one
// line per file, for the recording servers that throw a command's output
// away. A line holds, tab-separated, the time in Japan (ISO 8601 with
// +09:00), the file's status word, its old path, its new path and the reason
// it was left (both empty when there is none). A tab, newline, carriage
// return or backslash inside a field is written \t, \n, \r, \\; a path that
// is not UTF-8 has its bytes from 0x80 on written \xNN, so every line is
// UTF-8 and splits on tabs alone.
#pragma once

#include "platform/append_log.h"
#include "platform/result.h"
#include "platform/system_log.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// The identity of the lines in the system log.
inline constexpr std::string_view kSystemLogIdentity = "kalvento-cli";

struct RunLogEntry {
    std::string status;   // the status word of the JSON output
    std::string oldPath;  // absolute
    std::string newPath;  // where it went, would go, or was to go; empty when none
    std::string reason;   // why it was left; empty when it was not
    bool succeeded = false;
};

// The line of `entry` at `unix_seconds`, without its '\n'.
std::string run_log_line(std::int64_t unix_seconds, const RunLogEntry& entry);

// How loud a line is: info for a file that got (or already had) its name, an
// error for a failure of the system or the journal, a warning for a file left
// for any other reason.
SystemLogLevel run_log_level(const RunLogEntry& entry);

class RunLog {
  public:
    // Opens the log file `file` (when not empty; created when missing, its
    // lock file beside it) and notes whether lines also go to the system
    // log. An error names the file and says why it cannot be used.
    static Result<std::unique_ptr<RunLog>> open(const std::string& file, bool system_log,
                                                const LockWait& wait = {});

    // Appends the entry's line; an error when the log file refused it (the
    // system log never does).
    Status record(const RunLogEntry& entry);

  private:
    explicit RunLog(bool system_log) : systemLog_(system_log) {}

    std::optional<AppendLog> file_;
    bool systemLog_ = false;
};

}  // namespace kalvento
