// How a caller waits for one page: start the transfer, then wait in rounds,
// letting the caller's own work run at the start of every round, and give up
// after the last round.
#pragma once

#include "schedule/http_client.h"

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr int kDefaultWaitRounds = 200;
inline constexpr std::chrono::milliseconds kDefaultRoundLength{100};
// How long a page is waited for unless the user says otherwise: the rounds above.
inline constexpr std::chrono::seconds kDefaultWaitTime =
    std::chrono::duration_cast<std::chrono::seconds>(kDefaultWaitRounds * kDefaultRoundLength);

// The rounds of the default length that make up `wait` (at least one).
constexpr int wait_rounds_for(std::chrono::seconds wait) {
    const auto rounds = wait / kDefaultRoundLength;
    return rounds < 1 ? 1 : static_cast<int>(rounds);
}

struct WaitPlan {
    int rounds = kDefaultWaitRounds;
    std::chrono::milliseconds roundLength = kDefaultRoundLength;
    // Called once per round before waiting (a window passes one that handles
    // its pending events; a command line passes none).
    std::function<void()> pump;
    // Ends the wait at the next round (a watch told to stop); the transfer is aborted.
    std::stop_token stop{};
};

// Fetches one page: the body in code page 932 with CR LF line ends, or
// nullopt when the transfer could not start, failed, or was still open after
// the last round or when the stop came (it is then aborted). A start refused because another
// transfer is waiting leaves that transfer alone.
std::optional<std::string> fetch_page(HttpClient& client, std::string_view url,
                                      const WaitPlan& plan);

}  // namespace kalvento
