// Feeds arbitrary bytes to the parsers of the programme layer: the channel
// file, an EIT present section, the descriptors of a SIT event, and a whole
// analysis of the bytes as a recording. The first byte picks the target.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "programme/candidates.h"
#include "programme/channel_names.h"
#include "programme/file_analysis.h"
#include "ts/memory_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvento;
    if (size == 0) return 0;
    const std::uint8_t mode = data[0] % 4;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);

    switch (mode) {
        case 0: {
            ChannelNameMap map;
            parse_channel_names(
                map, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            break;
        }
        case 1: {
            ProgramEntry entry;
            entry.presentEventSection.assign(bytes.begin(), bytes.end());
            (void)build_candidate(entry, ServiceNames{});
            break;
        }
        case 2: {
            ProgramEntry entry;
            entry.sitEvent.descriptors.assign(bytes.begin(), bytes.end());
            (void)build_candidate(entry, ServiceNames{});
            break;
        }
        default: {
            MemorySource source(bytes);
            (void)analyse_recording(source, AnalysisWindow{0, 1}, ChannelNameMap{});
            break;
        }
    }
    return 0;
}
