// The command line is written by whatever program starts us.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kalvento::CommandLine line = kalvento::parse_command_line(text);
    std::size_t total = 0;
    for (const auto& file : line.files) total += file.size();
    if (total > text.size()) std::abort();
    return 0;
}
