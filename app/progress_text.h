// The amounts line of the progress dialog.
#pragma once

#include <cstdint>
#include <string>

namespace kalvento {

// A count with a comma every three digits from the right: 1234567 -> "1,234,567".
std::string with_thousands_commas(std::int64_t value);

// "%sMB/%sMB" of the amounts read and to read, given in units of 1,000 bytes:
// whole MB of 1,000,000 bytes, rounded down, with thousands commas.
std::string progress_amount_text(std::int64_t done_k, std::int64_t total_k);

}  // namespace kalvento
