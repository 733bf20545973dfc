// Requests to the schedule service keep their distance: within one process the
// next request starts at least a gap after the start of the one before,
// whichever session sends it, so a batch of lookups does not reach the
// service milliseconds apart.
#pragma once

#include <chrono>

namespace kalvento {

inline constexpr std::chrono::milliseconds kRequestGap{1000};

// Reserves the start of the next request: now, or `gap` after the start
// reserved before when that is later. The caller waits until then.
std::chrono::steady_clock::time_point reserve_request_start(std::chrono::milliseconds gap);

}  // namespace kalvento
