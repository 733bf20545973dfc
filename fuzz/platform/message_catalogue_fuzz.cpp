// The catalogue is read from a file beside the program: any bytes must parse
// without a fault, and a lookup never reads outside what was parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/message_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kalvento::MessageCatalogue catalogue = kalvento::parse_message_catalogue(bytes);
    for (const auto& [english, translation] : catalogue.messages) {
        if (english.empty()) std::abort();  // the header is no message
        if (english.size() + translation.size() > size) std::abort();
        if (kalvento::translated(catalogue, english).data() == english.data()) {
            if (!translation.empty()) std::abort();
        }
    }
    (void)kalvento::translated(catalogue, "no programme data");
    return 0;
}
