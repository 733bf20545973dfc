#include "cli/lock_option.h"

#include "cli/json_output.h"
#include "cli/translation.h"

#include <cmath>
#include <iostream>
#include <sstream>

namespace kalvento::cli {

void add_lock_timeout_option(CLI::App& command, double& seconds) {
    command
        .add_option("--lock-timeout", seconds,
                    fill(_("Give up after this many seconds (default %s) when another process "
                           "holds the lock\nof the settings file or the rename journal: nothing "
                           "is changed, exit code 75"),
                         {std::to_string(kDefaultLockWaitSeconds)}))
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 86400.0));
}

LockWait lock_wait_for(double seconds) {
    LockWait wait;
    wait.limit = std::chrono::milliseconds(std::llround(seconds * 1000));
    wait.onWaiting = [seconds](const std::string& lock_path, long holder) {
        std::ostringstream limit;
        limit << seconds;
        std::cerr << "kalvento-cli: "
                  << (holder > 0
                          ? fill(_("waiting for the lock on %s, held by process %s "
                                   "(giving up after %s s)"),
                                 {path_for_text(lock_path), std::to_string(holder), limit.str()})
                          : fill(_("waiting for the lock on %s, held by another process "
                                   "(giving up after %s s)"),
                                 {path_for_text(lock_path), limit.str()}))
                  << "\n";
    };
    return wait;
}

}  // namespace kalvento::cli
