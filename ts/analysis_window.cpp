#include "ts/analysis_window.h"

#include <algorithm>

namespace kalvento {
namespace {
constexpr std::int64_t kBytesPerMb = 1048576;
}  // namespace

WindowRange window_range(std::int64_t file_size, const AnalysisWindow& window) {
    WindowRange range;
    if (file_size <= 0) return range;
    // The percentage applies to whole hundredths of the size, so the start is
    // a multiple of size / 100 and never past the end.
    const std::int64_t percent = std::clamp<std::int32_t>(window.startPercent, 0, 100);
    range.start = percent * (file_size / 100);
    const std::int64_t length = std::max<std::int32_t>(window.sizeMb, 0) * kBytesPerMb;
    range.end = std::min(range.start + length, file_size);
    return range;
}

}  // namespace kalvento
