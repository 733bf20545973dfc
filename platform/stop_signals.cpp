#include "platform/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kalvento {

std::unique_ptr<StopSignals> StopSignals::install(std::string& error) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    if (::pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) {
        error = "cannot block SIGTERM and SIGINT";
        return nullptr;
    }
    const int fd = ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category()).message();
        return nullptr;
    }
    return std::unique_ptr<StopSignals>(new StopSignals(fd));
}

StopSignals::~StopSignals() {
    if (fd_ >= 0) ::close(fd_);
}

bool StopSignals::requested() {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) requested_ = true;
    return requested_;
}

bool stop_signal_waiting() {
    sigset_t pending;
    sigemptyset(&pending);
    if (::sigpending(&pending) != 0) return false;
    return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1;
}

}  // namespace kalvento
