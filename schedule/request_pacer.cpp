#include "schedule/request_pacer.h"

#include <mutex>
#include <optional>

namespace kalvento {

std::chrono::steady_clock::time_point reserve_request_start(std::chrono::milliseconds gap) {
    static std::mutex mutex;
    static std::optional<std::chrono::steady_clock::time_point> previous;
    const std::lock_guard lock(mutex);
    auto start = std::chrono::steady_clock::now();
    if (previous && *previous + gap > start) start = *previous + gap;
    previous = start;
    return start;
}

}  // namespace kalvento
