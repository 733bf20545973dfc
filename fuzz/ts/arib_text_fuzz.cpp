// Arbitrary bytes through the ARIB text decoder with destinations of several
// sizes. Each destination is an exactly sized heap block, so any write past it
// is caught by the sanitizer; the checks below add the NUL and size guarantees.
#include "ts/arib_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Decodes into `size` bytes and returns the text; checks termination and the bound.
std::string decode_into(const std::uint8_t* data, std::size_t length, std::size_t size) {
    if (size == 0) {
        char untouched = 'x';
        kalvento::arib_to_sjis(data, length, &untouched, 0);
        check(untouched == 'x');
        return {};
    }
    const auto buffer = std::make_unique<char[]>(size);
    std::memset(buffer.get(), 'x', size);
    kalvento::arib_to_sjis(data, length, buffer.get(), size);
    const void* nul = std::memchr(buffer.get(), '\0', size);
    check(nul != nullptr);
    const std::size_t text_length =
        static_cast<std::size_t>(static_cast<const char*>(nul) - buffer.get());
    // The last byte is never text: at most size - 2 bytes, then the NUL.
    check(size < 2 ? text_length == 0 : text_length <= size - 2);
    return std::string(buffer.get(), text_length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kEventExtra = 80;
    // Each source byte yields at most six bytes (an additional symbol takes two).
    constexpr std::size_t kMostBytesPerSourceByte = 3;

    for (std::size_t destination : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3},
                                    std::size_t{7}, std::size_t{size % 32}})
        decode_into(data, size, destination);

    const std::string full = decode_into(data, size, 2 * size + kEventExtra);
    check(kalvento::arib_to_sjis(data, size, kEventExtra) == full);
    // Nothing is lost once the destination is larger than any possible text.
    const std::string unbounded = decode_into(data, size, kMostBytesPerSourceByte * size + 2);
    check(unbounded.size() <= kMostBytesPerSourceByte * size);
    check(full.size() <= unbounded.size());
    if (2 * size + kEventExtra >= kMostBytesPerSourceByte * size + 2) check(full == unbounded);
    return 0;
}
