#include "platform/stop_signals.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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
    const int wake_fd = fd < 0 ? -1 : ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_fd < 0) {
        error = std::error_code(errno, std::generic_category()).message();
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<StopSignals>(new StopSignals(fd, wake_fd));
}

StopSignals::~StopSignals() {
    if (watcher_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
        watcher_.join();
    }
    ::close(wakeFd_);
    ::close(fd_);
}

std::stop_token StopSignals::token() {
    if (!watcher_.joinable()) {
        watcher_ = std::thread([this] {
            pollfd watched[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
            for (;;) {
                if (::poll(watched, 2, -1) < 0 && errno != EINTR) return;
                if ((watched[1].revents & POLLIN) != 0) return;
                if ((watched[0].revents & POLLIN) != 0) {
                    source_.request_stop();
                    return;
                }
            }
        });
    }
    return source_.get_token();
}

bool StopSignals::requested() {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) requested_ = true;
    if (requested_) source_.request_stop();
    return requested_;
}

bool stop_signal_waiting() {
    sigset_t pending;
    sigemptyset(&pending);
    if (::sigpending(&pending) != 0) return false;
    return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1;
}

}  // namespace kalvento
