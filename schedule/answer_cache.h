// The schedule service's answers kept on disk for a day, so that a batch run
// again, or the window after the command line, does not ask the service twice
// for the same page.
//
// One file per request in a private folder, named after a hash of the request
// and holding the request itself: a file for another request (a hash
// collision), a damaged file or a foreign one is simply no answer. Files are
// written to a temporary name and renamed into place, and the oldest are
// dropped whenever the folder holds more than its bounds. Nothing here is an
// error of a lookup: an answer that cannot be read is asked for again.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::chrono::seconds kAnswerKeepTime = std::chrono::hours(24);
inline constexpr std::size_t kAnswerCacheEntries = 500;
inline constexpr std::uintmax_t kAnswerCacheBytes = 32 * 1024 * 1024;

struct AnswerCache {
    std::string directory;  // empty: answers are not kept
    std::chrono::seconds keepTime = kAnswerKeepTime;
    std::size_t maxEntries = kAnswerCacheEntries;
    std::uintmax_t maxBytes = kAnswerCacheBytes;  // all answer files together
    // Seconds since 1970; the system clock when empty.
    std::function<std::int64_t()> now;
};

// The page kept for `request` (the full address asked for) while it is
// younger than the keep time; nullopt when there is none.
std::optional<std::string> cached_answer(const AnswerCache& cache, std::string_view request);

// Keeps `page` as the answer to `request`, then drops the oldest answers until
// the bounds hold again. Nullopt when it was kept; else why not, for a log.
std::optional<std::string> keep_answer(const AnswerCache& cache, std::string_view request,
                                       std::string_view page);

}  // namespace kalvento
