// SIGTERM and SIGINT as something to wait for. They are blocked for the whole
// process, so neither ever cuts short work under way (a rename half done, a
// settings file half written); a long-running command looks at them between
// pieces of work and waits on their descriptor together with its other input.
#pragma once

#include <memory>
#include <string>

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

  private:
    explicit StopSignals(int fd) : fd_(fd) {}

    int fd_ = -1;
    bool requested_ = false;
};

// True when SIGTERM or SIGINT has arrived while blocked and not yet been
// taken: a wait that looks at it ends, and the signal stays for the
// StopSignals that will take it.
bool stop_signal_waiting();

}  // namespace kalvento
