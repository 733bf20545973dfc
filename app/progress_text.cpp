#include "app/progress_text.h"

namespace kalvento {

std::string with_thousands_commas(std::int64_t value) {
    const bool negative = value < 0;
    // Digits of the magnitude, built from the right; INT64_MIN has no positive twin.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) reversed += ',';
        reversed += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (negative) reversed += '-';
    return {reversed.rbegin(), reversed.rend()};
}

std::string progress_amount_text(std::int64_t done_k, std::int64_t total_k) {
    return with_thousands_commas(done_k / 1000) + "MB/" + with_thousands_commas(total_k / 1000) +
           "MB";
}

}  // namespace kalvento
