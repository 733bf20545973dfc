// SIGTERM and SIGINT as something to wait for. They are blocked for the whole
// process, so neither ever cuts short work under way (a rename half done, a
// settings file half written); a long-running command looks at them between
// pieces of work and waits on their descriptor together with its other input.
#pragma once

#include <memory>
#include <stop_token>
#include <string>
#include <thread>

namespace kalvento {

class StopSignals {
  public:
    // Blocks the two signals and opens their descriptor. Call it before any
    // thread starts, so every thread inherits the blocked set. nullptr (and
    // why) when the system refuses.
    static std::unique_ptr<StopSignals> install(std::string& error);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable when a signal is waiting.
    int descriptor() const { return fd_; }

    // True once SIGTERM or SIGINT has arrived; takes waiting signals without
    // blocking.
    bool requested();

    // Stop requested as soon as a signal arrives, for work that waits
    // elsewhere (a schedule lookup, an analysis). A small thread watches the
    // descriptor; it leaves the signal to `requested`.
    std::stop_token token();

  private:
    StopSignals(int fd, int wake_fd) : fd_(fd), wakeFd_(wake_fd) {}

    int fd_ = -1;
    int wakeFd_ = -1;  // ends the watching thread
    bool requested_ = false;
    std::stop_source source_;
    std::thread watcher_;
};

// True when SIGTERM or SIGINT has arrived while blocked and not yet been
// taken: a wait that looks at it ends, and the signal stays for the
// StopSignals that will take it.
bool stop_signal_waiting();

}  // namespace kalvento
