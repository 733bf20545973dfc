// --lock-timeout of the commands that change the settings file or the rename
// journal: how long to wait for a lock that another process holds before
// giving up (exit code 75, nothing changed), and the line that says who
// holds it once the wait has lasted a moment.
#pragma once

#include "platform/file_lock.h"

#include <CLI/CLI.hpp>

namespace kalvento::cli {

void add_lock_timeout_option(CLI::App& command, double& seconds);

// The wait for `seconds`, telling on standard error who holds the lock.
LockWait lock_wait_for(double seconds);

}  // namespace kalvento::cli
