#include "app/run_log.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"
#include "platform/message_mark.h"

#include <chrono>

namespace kalvento {
namespace {

void put_field(std::string& line, const std::string& field) {
    const bool utf8 = utf8_to_wide(field).has_value();
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            line += "\\t";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\\') {
            line += "\\\\";
        } else if (!utf8 && byte >= 0x80) {
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 0x0F];
        } else {
            line += c;
        }
    }
}

std::int64_t now_seconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string run_log_line(std::int64_t unix_seconds, const RunLogEntry& entry) {
    std::string line = japan_date_time_text(unix_seconds, 'T') + "+09:00";
    for (const std::string* field :
         {&entry.status, &entry.oldPath, &entry.newPath, &entry.reason}) {
        line += '\t';
        put_field(line, *field);
    }
    return line;
}

SystemLogLevel run_log_level(const RunLogEntry& entry) {
    if (entry.succeeded) return SystemLogLevel::info;
    // A recording renamed without a companion is a move that failed.
    for (const char* failure :
         {"renamed", "moveFailed", "notRecorded", "unreadable", "analysisFailed"})
        if (entry.status == failure) return SystemLogLevel::error;
    return SystemLogLevel::warning;
}

Result<std::unique_ptr<RunLog>> RunLog::open(const std::string& file, bool system_log,
                                             const LockWait& wait) {
    std::unique_ptr<RunLog> log(new RunLog(system_log));
    if (!file.empty()) {
        // Never rotated: the file's owner keeps it in bounds (logrotate).
        log->file_.emplace(file, file + ".1", wait);
        std::string error;
        if (!log->file_->open(error))
            return Error::failed(fill_message(N_("cannot use the log file: %s"), {error}));
    }
    return log;
}

Status RunLog::record(const RunLogEntry& entry) {
    const std::string line = run_log_line(now_seconds(), entry);
    if (systemLog_) send_to_system_log(kSystemLogIdentity, run_log_level(entry), line);
    if (!file_) return {};
    std::string error;
    if (!file_->append(line + "\n", error)) return Error::failed(error);
    return {};
}

}  // namespace kalvento
