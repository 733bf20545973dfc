// Which part of a recording the analysis reads: a window that starts at a
// percentage of the file size and runs for a number of megabytes.
#pragma once

#include <cstdint>

namespace kalvento {

struct AnalysisWindow {
    static constexpr std::int32_t kDefaultStartPercent = 30;
    static constexpr std::int32_t kDefaultSizeMb = 50;

    std::int32_t startPercent = kDefaultStartPercent;  // of the file size, held to 0..100
    std::int32_t sizeMb = kDefaultSizeMb;              // MB of 2^20 bytes; below 0 counts as 0
};

// Absolute byte offsets [start, end) of the window in a file of `file_size`
// bytes. Computed in 64 bits, so a window of any size ends at the file's end
// at the latest.
struct WindowRange {
    std::int64_t start = 0;
    std::int64_t end = 0;
};
WindowRange window_range(std::int64_t file_size, const AnalysisWindow& window);

}  // namespace kalvento
