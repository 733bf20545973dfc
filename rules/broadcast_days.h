// Counting the broadcast days of a weekly series between two instants.
#pragma once

#include <array>
#include <cstdint>

namespace kalvento {

// Walks t = first, first + 86,400 s, ... while t <= last (at least one step,
// `first` itself) and counts the steps whose weekday in Japan has a non-zero
// flag in `week_check` (0 = Sunday). The result equals that day-by-day walk,
// but whole weeks are counted at once, so an anchor thousands of years away
// costs no more than a near one.
std::int64_t count_flagged_days(std::int64_t first, std::int64_t last,
                                const std::array<std::int32_t, 7>& week_check);

}  // namespace kalvento
