// Settings files come from users and from Windows installations: any bytes must
// parse, edit and serialise without a fault, and serialising must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile_file.h"

using kalvento::ProfileFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first line names a section and a key to probe; the rest is the file.
    const std::size_t newline = bytes.find('\n');
    const std::string_view probe = bytes.substr(0, newline == bytes.npos ? 0 : newline);
    const std::string_view section = probe.substr(0, probe.find('\t'));
    const std::string_view key =
        probe.find('\t') == probe.npos ? std::string_view("k") : probe.substr(probe.find('\t') + 1);

    ProfileFile profile = ProfileFile::from_bytes("", bytes);
    (void)profile.read_string(section, key, "d", 7);
    (void)profile.read_int(section, key, 3);

    const std::string once = profile.serialized();
    if (ProfileFile::from_bytes("", once).serialized() != once) std::abort();

    if (profile.write_string(section, key, "value1")) {
        if (profile.read_string(section, key, "") != "value1") std::abort();
        profile.write_string(section, "other", "value2");
        profile.write_string("added", key, "value3");
        profile.delete_key(section, key);
        if (profile.find_value(section, key)) std::abort();
    }
    // The edited profile reads like the same bytes freshly parsed.
    const std::string edited = profile.serialized();
    const ProfileFile reparsed = ProfileFile::from_bytes("", edited);
    if (reparsed.serialized() != edited) std::abort();
    for (const std::string_view name : {key, std::string_view("other")}) {
        if (reparsed.find_value(section, name) != profile.find_value(section, name)) std::abort();
        if (reparsed.find_value("added", name) != profile.find_value("added", name)) std::abort();
    }
    return 0;
}
