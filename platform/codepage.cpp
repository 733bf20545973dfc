#include "platform/codepage.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace kalvento {
namespace {

// Private code points that carry bytes iconv does not accept.
constexpr char32_t kUnassignedPairBase = 0x100000;  // + (lead << 8 | trail)
constexpr char32_t kStrayByteBase = 0x10FF00;       // + byte
constexpr char32_t kNoChar = 0xFFFFFFFF;
constexpr std::uint16_t kNoCode = 0xFFFF;

bool is_cp932_trail_byte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (ok()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of the input as iconv accepts; returns false when it
    // stopped early (then `in` points at the piece it refused).
    bool convert(const char*& in, size_t& in_len, char* out, size_t out_cap, size_t& out_len) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in_ptr = const_cast<char*>(in);
        char* out_ptr = out;
        size_t out_left = out_cap;
        const bool whole =
            iconv(cd_, &in_ptr, &in_len, &out_ptr, &out_left) != static_cast<size_t>(-1) &&
            in_len == 0;
        in = in_ptr;
        out_len = out_cap - out_left;
        return whole;
    }

  private:
    iconv_t cd_;
};

// Converts a list of pieces (characters) of `unit` input bytes each and hands
// each accepted piece's output to take(index, bytes, length). Runs of pieces go
// through one iconv call, which costs far less at start-up than a call per
// piece; `length_of` tells where one piece's output ends. A piece iconv refuses
// is skipped. When the output cannot be split back into the pieces, each piece
// of that run is converted on its own.
template <typename LengthOf, typename Take>
void convert_pieces(IconvHandle& cd, const std::vector<char>& in, size_t unit, LengthOf length_of,
                    Take take) {
    constexpr size_t kMostOutputBytes = 8;  // per piece, more than any character needs
    const size_t pieces = in.size() / unit;
    std::vector<char> out(pieces * kMostOutputBytes);
    auto one_by_one = [&](size_t first, size_t last) {
        for (size_t k = first; k < last; ++k) {
            const char* from = in.data() + k * unit;
            size_t left = unit;
            size_t length = 0;
            if (cd.convert(from, left, out.data(), kMostOutputBytes, length) && length > 0 &&
                length_of(reinterpret_cast<const unsigned char*>(out.data())) == length)
                take(k, out.data(), length);
        }
    };
    size_t k = 0;
    while (k < pieces) {
        const char* from = in.data() + k * unit;
        size_t left = (pieces - k) * unit;
        size_t length = 0;
        cd.convert(from, left, out.data(), out.size(), length);
        const auto consumed = static_cast<size_t>(from - (in.data() + k * unit));
        const size_t done = consumed / unit;
        // Split the output of the `done` whole pieces; anything odd goes one by one.
        size_t at = 0;
        size_t piece = 0;
        while (piece < done && at < length) {
            const size_t n = length_of(reinterpret_cast<const unsigned char*>(out.data() + at));
            if (n == 0 || at + n > length) break;
            ++piece;
            at += n;
        }
        if (consumed % unit != 0 || piece != done || at != length) {
            one_by_one(k, k + done + 1 < pieces ? k + done + 1 : pieces);
            k += done + 1;
            continue;
        }
        at = 0;
        for (size_t p = 0; p < done; ++p) {
            const size_t n = length_of(reinterpret_cast<const unsigned char*>(out.data() + at));
            take(k + p, out.data() + at, n);
            at += n;
        }
        k += done + 1;  // the piece iconv refused, if any, is skipped
    }
}

// Decoding and encoding tables, read off iconv once per process.
struct Cp932Tables {
    std::array<char32_t, 256> single{};
    std::vector<char32_t> pair = std::vector<char32_t>(65536, kNoChar);  // index lead << 8 | trail
    std::vector<std::uint16_t> encode = std::vector<std::uint16_t>(65536, kNoCode);

    Cp932Tables() {
        single.fill(kNoChar);
        IconvHandle decoder("WCHAR_T", "CP932");
        IconvHandle encoder("CP932", "WCHAR_T");
        if (!decoder.ok() || !encoder.ok()) return;

        // glibc's wide characters are its internal UCS-4, one conversion step
        // away from CP932 (UTF-32 would take two).
        static_assert(sizeof(wchar_t) == sizeof(char32_t));
        auto utf32_length = [](const unsigned char*) -> size_t { return sizeof(char32_t); };
        auto utf32_value = [](const char* bytes) {
            char32_t ch = 0;
            std::memcpy(&ch, bytes, sizeof ch);
            return ch;
        };

        std::vector<char> in;
        std::vector<std::uint16_t> codes;  // the CP932 code of each piece of `in`
        for (int b = 0; b < 256; ++b) {
            if (is_cp932_lead_byte(static_cast<unsigned char>(b))) continue;
            in.push_back(static_cast<char>(b));
            codes.push_back(static_cast<std::uint16_t>(b));
        }
        convert_pieces(decoder, in, 1, utf32_length, [&](size_t k, const char* out, size_t) {
            single[codes[k]] = utf32_value(out);
        });

        in.clear();
        codes.clear();
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!is_cp932_lead_byte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!is_cp932_trail_byte(static_cast<unsigned char>(trail))) continue;
                in.push_back(static_cast<char>(lead));
                in.push_back(static_cast<char>(trail));
                codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
            }
        }
        convert_pieces(decoder, in, 2, utf32_length, [&](size_t k, const char* out, size_t) {
            pair[codes[k]] = utf32_value(out);
        });

        // Every character that some code decodes to is encoded as iconv
        // prefers. A character with one code needs no asking; only those with
        // duplicate codes (NEC-selected and IBM extension rows, a few symbols)
        // go through iconv, which gives Windows' choice among them.
        std::vector<std::uint8_t> code_count(65536);
        auto count = [&](char32_t ch, std::uint16_t code) {
            if (ch == kNoChar || ch > 0xFFFF) return;
            if (code_count[ch] < 2) ++code_count[ch];
            encode[ch] = code;
        };
        for (int b = 0; b < 256; ++b) count(single[b], static_cast<std::uint16_t>(b));
        for (size_t code = 0; code < pair.size(); ++code)
            count(pair[code], static_cast<std::uint16_t>(code));
        std::vector<char32_t> characters;
        for (char32_t ch = 0; ch < code_count.size(); ++ch) {
            if (code_count[ch] < 2) continue;
            characters.push_back(ch);
            encode[ch] = kNoCode;
        }
        in.resize(characters.size() * sizeof(char32_t));
        std::memcpy(in.data(), characters.data(), in.size());
        auto cp932_length = [](const unsigned char* bytes) -> size_t {
            return is_cp932_lead_byte(bytes[0]) ? 2 : 1;
        };
        convert_pieces(encoder, in, 4, cp932_length, [&](size_t k, const char* out, size_t n) {
            const auto lead = static_cast<unsigned char>(out[0]);
            encode[characters[k]] =
                n == 1 ? lead
                       : static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(out[1]));
        });
    }
};

const Cp932Tables& tables() {
    static const Cp932Tables instance;
    return instance;
}

// Decodes one character at text[i]; returns the number of bytes it used.
size_t decode_char(const Cp932Tables& t, std::string_view text, size_t i, char32_t& out) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (is_cp932_lead_byte(byte) && i + 1 < text.size() &&
        is_cp932_trail_byte(static_cast<unsigned char>(text[i + 1]))) {
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        const char32_t ch = t.pair[byte << 8 | trail];
        out = ch != kNoChar ? ch : kUnassignedPairBase + (byte << 8 | trail);
        return 2;
    }
    const char32_t ch = is_cp932_lead_byte(byte) ? kNoChar : t.single[byte];
    out = ch != kNoChar ? ch : kStrayByteBase + byte;
    return 1;
}

void append_utf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | ch >> 6);
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | ch >> 12);
        out += static_cast<char>(0x80 | (ch >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | ch >> 18);
        out += static_cast<char>(0x80 | (ch >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (ch >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

bool is_private_carrier(char32_t ch) {
    return ch >= kUnassignedPairBase && ch <= 0x10FFFF;
}

}  // namespace

std::wstring cp932_to_wide(std::string_view cp932) {
    const Cp932Tables& t = tables();
    std::wstring out;
    out.reserve(cp932.size());
    for (size_t i = 0; i < cp932.size();) {
        char32_t ch;
        i += decode_char(t, cp932, i, ch);
        out += static_cast<wchar_t>(ch);
    }
    return out;
}

DecodedText decode_cp932(std::string_view cp932) {
    const Cp932Tables& t = tables();
    DecodedText out;
    out.wide.reserve(cp932.size());
    out.offsets.reserve(cp932.size() + 1);
    for (size_t i = 0; i < cp932.size();) {
        char32_t ch;
        out.offsets.push_back(static_cast<std::uint32_t>(i));
        i += decode_char(t, cp932, i, ch);
        out.wide += static_cast<wchar_t>(ch);
    }
    out.offsets.push_back(static_cast<std::uint32_t>(cp932.size()));
    return out;
}

std::optional<std::string> wide_to_cp932(std::wstring_view wide, Unmappable policy) {
    const Cp932Tables& t = tables();
    std::string out;
    out.reserve(wide.size() * 2);
    for (wchar_t wch : wide) {
        const auto ch = static_cast<char32_t>(wch);
        if (is_private_carrier(ch)) {
            const char32_t value =
                ch >= kStrayByteBase ? ch - kStrayByteBase : ch - kUnassignedPairBase;
            if (ch < kStrayByteBase) out += static_cast<char>(value >> 8);
            out += static_cast<char>(value & 0xFF);
            continue;
        }
        const std::uint16_t code = ch <= 0xFFFF ? t.encode[ch] : kNoCode;
        if (code == kNoCode) {
            if (policy == Unmappable::fail) return std::nullopt;
            out += ' ';
        } else if (code > 0xFF) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else {
            out += static_cast<char>(code);
        }
    }
    return out;
}

std::optional<std::wstring> utf8_to_wide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t len;
        char32_t ch;
        if (lead < 0x80) {
            len = 1, ch = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            len = 2, ch = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            len = 3, ch = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            len = 4, ch = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + len > utf8.size()) return std::nullopt;
        for (size_t k = 1; k < len; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80) return std::nullopt;
            ch = ch << 6 | (cont & 0x3F);
        }
        const bool overlong = (len == 3 && ch < 0x800) || (len == 4 && ch < 0x10000);
        if (overlong || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return std::nullopt;
        out += static_cast<wchar_t>(ch);
        i += len;
    }
    return out;
}

std::optional<std::string> wide_to_utf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 3);
    for (wchar_t wch : wide) {
        const auto ch = static_cast<char32_t>(wch);
        if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return std::nullopt;
        append_utf8(out, ch);
    }
    return out;
}

std::optional<std::string> cp932_to_utf8(std::string_view cp932) {
    const Cp932Tables& t = tables();
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    for (size_t i = 0; i < cp932.size();) {
        char32_t ch;
        i += decode_char(t, cp932, i, ch);
        if (is_private_carrier(ch)) return std::nullopt;
        append_utf8(out, ch);
    }
    return out;
}

std::string cp932_to_utf8_lossy(std::string_view cp932) {
    const Cp932Tables& t = tables();
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    for (size_t i = 0; i < cp932.size();) {
        char32_t ch;
        i += decode_char(t, cp932, i, ch);
        append_utf8(out, is_private_carrier(ch) ? 0xFFFD : ch);
    }
    return out;
}

std::optional<std::string> utf8_to_cp932(std::string_view utf8, Unmappable policy) {
    const auto wide = utf8_to_wide(utf8);
    if (!wide) return std::nullopt;
    for (wchar_t ch : *wide)  // UTF-8 input never carries raw CP932 bytes
        if (is_private_carrier(static_cast<char32_t>(ch)) && policy == Unmappable::fail)
            return std::nullopt;
    std::wstring cleaned = *wide;
    for (wchar_t& ch : cleaned)
        if (is_private_carrier(static_cast<char32_t>(ch))) ch = 0xFFFD;
    return wide_to_cp932(cleaned, policy);
}

std::string cp932(std::string_view utf8_literal) {
    return utf8_to_cp932(utf8_literal, Unmappable::space).value_or(std::string());
}

}  // namespace kalvento
