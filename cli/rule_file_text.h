// The encodings of rule exchange files on the command line. The core reads
// and writes them in CP932, as on Windows; a file written on Linux is more
// likely UTF-8. Import tells them apart: a UTF-8 byte-order mark, or text that
// is valid UTF-8 and holds non-ASCII characters, means UTF-8 (CP932 text
// almost never is valid UTF-8); anything else is CP932. A UTF-16 byte-order
// mark (what Windows Notepad saves as "Unicode") means UTF-16 whatever was
// asked for: neither CP932 nor UTF-8 text can begin with those bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento::cli {

enum class RuleFileEncoding { automatic, utf8, cp932, utf16le, utf16be };

// "auto", "utf-8" (or "utf8"), "cp932" (or "shift_jis", "sjis"), any case;
// nullopt for anything else.
std::optional<RuleFileEncoding> rule_file_encoding(std::string_view name);

// Which encoding `automatic` takes for these bytes.
RuleFileEncoding detect_rule_file_encoding(std::string_view bytes);

struct RefusedLine {
    std::size_t line = 0;  // 1-based
    std::string reason;    // "the character '…' (U+…) has no CP932 form"
};

struct DecodedRuleFile {
    RuleFileEncoding encoding = RuleFileEncoding::cp932;  // what the bytes were read as
    std::string cp932;  // the file as CP932, a refused line left empty in its place
    std::vector<RefusedLine> refused;
};

// The file's bytes as the CP932 text the importer reads, line by line, so a
// line that cannot be converted is named and the others are kept. A line that
// the rules could not hold whole (see `import_line_problem`) is refused too,
// never cut.
DecodedRuleFile decode_rule_file(std::string_view bytes, RuleFileEncoding encoding);

// Exported CP932 lines in the encoding asked for (CP932 stays as it is); nullopt
// when a rule holds bytes that are not CP932 and so have no UTF-8 form.
std::optional<std::string> encode_rule_file(std::string_view cp932_bytes,
                                            RuleFileEncoding encoding);

}  // namespace kalvento::cli
