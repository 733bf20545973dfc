#include "cli/lock_option.h"

#include "cli/json_output.h"

#include <cmath>
#include <iostream>
#include <sstream>

namespace kalvento::cli {

void add_lock_timeout_option(CLI::App& command, double& seconds) {
    command
        .add_option("--lock-timeout", seconds,
                    "Give up after this many seconds (default " +
                        std::to_string(kDefaultLockWaitSeconds) +
                        ") when another process holds the lock\n"
                        "of the settings file or the rename journal: nothing is changed, exit "
                        "code 75")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 86400.0));
}

LockWait lock_wait_for(double seconds) {
    LockWait wait;
    wait.limit = std::chrono::milliseconds(std::llround(seconds * 1000));
    wait.onWaiting = [seconds](const std::string& lock_path, long holder) {
        std::ostringstream limit;
        limit << seconds;
        std::cerr << "kalvento-cli: waiting for the lock on " << path_for_text(lock_path)
                  << (holder > 0 ? ", held by process " + std::to_string(holder)
                                 : std::string(", held by another process"))
                  << " (giving up after " << limit.str() << " s)\n";
    };
    return wait;
}

}  // namespace kalvento::cli
