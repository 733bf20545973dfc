// Rule exchange files come from anywhere: a Windows machine (CP932, or UTF-16
// from Notepad), an editor on Linux (UTF-8, perhaps with a byte-order mark),
// or a broken copy. Reading one must never fail as a whole: lines that cannot
// be converted or kept whole are named, in order, and what was converted must
// be writable again.
#include "cli/rule_file_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using kalvento::cli::RuleFileEncoding;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t lines = 1;
    for (const char c : bytes) lines += c == '\n' ? 1 : 0;

    // CP932 is taken as it stands, but for the lines it refuses.
    const auto as_cp932 = kalvento::cli::decode_rule_file(bytes, RuleFileEncoding::cp932);
    if (as_cp932.encoding == RuleFileEncoding::cp932 && as_cp932.refused.empty() &&
        as_cp932.cp932 != bytes)
        std::abort();

    for (const RuleFileEncoding encoding : {RuleFileEncoding::automatic, RuleFileEncoding::utf8}) {
        const auto decoded = kalvento::cli::decode_rule_file(bytes, encoding);
        std::size_t previous = 0;
        for (const auto& refused : decoded.refused) {
            if (refused.line <= previous || refused.line > lines || refused.reason.empty())
                std::abort();
            previous = refused.line;
        }
        // Text that came from UTF-8 or UTF-16 has a UTF-8 form again.
        if (decoded.encoding != RuleFileEncoding::cp932 &&
            !kalvento::cli::encode_rule_file(decoded.cp932, RuleFileEncoding::utf8))
            std::abort();
    }
    return 0;
}
