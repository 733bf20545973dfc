#include "platform/system_log.h"

#include <syslog.h>

#include <string>

namespace kalvento {
namespace {

int priority_of(SystemLogLevel level) {
    switch (level) {
        case SystemLogLevel::info:
            return LOG_INFO;
        case SystemLogLevel::warning:
            return LOG_WARNING;
        case SystemLogLevel::error:
            return LOG_ERR;
    }
    return LOG_INFO;
}

}  // namespace

void send_to_system_log(std::string_view identity, SystemLogLevel level, std::string_view line) {
    // openlog keeps the pointer: the identity must outlive every line.
    static std::string opened;
    if (opened != identity) {
        closelog();
        opened = std::string(identity);
        openlog(opened.c_str(), LOG_PID | LOG_NDELAY, LOG_USER);
    }
    const std::string text(line);
    syslog(LOG_USER | priority_of(level), "%s", text.c_str());
}

}  // namespace kalvento
