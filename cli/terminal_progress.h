// A progress line on standard error, for work that takes more than a moment.
// Shown only when standard error is a terminal, so logs of recording servers
// stay clean.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kalvento::cli {

class TerminalProgress {
  public:
    TerminalProgress();

    // Starts a new item; nothing is shown until it has run for half a second.
    void begin(const std::string& label);
    // Amounts in units of 1000 bytes, as the analysis reports them.
    void update(std::int64_t done_k, std::int64_t total_k);
    // Shows `text` as the whole line at once (a wait that is not a file's);
    // the same text again is not redrawn.
    void show(const std::string& text);
    // Clears the line if one was shown.
    void end();

  private:
    bool enabled_;
    bool shown_ = false;
    std::string label_;
    std::string lastText_;  // what `show` drew last
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace kalvento::cli
