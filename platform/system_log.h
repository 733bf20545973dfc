// The system log (syslog): where a service's lines go on a machine that
// keeps a log of its own (on systemd machines they reach the journal). A
// machine without a log daemon drops the lines quietly: sending never fails
// the run.
#pragma once

#include <string_view>

namespace kalvento {

enum class SystemLogLevel { info, warning, error };

// Sends one line to the system log, facility "user", under `identity`.
void send_to_system_log(std::string_view identity, SystemLogLevel level, std::string_view line);

}  // namespace kalvento
