#include "tests/support/arib_encoder.h"

#include <array>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace kalvento::test {
namespace {

constexpr std::uint8_t kLs0 = 0x0F;  // GL = G0
constexpr std::uint8_t kLs1 = 0x0E;  // GL = G1
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kLs3Final = 0x6F;  // ESC o: GL = G3
constexpr std::uint8_t kSs3 = 0x1D;
constexpr std::uint8_t kMsz = 0x89;
constexpr std::uint8_t kNsz = 0x8A;
constexpr std::uint8_t kLineBreak = 0x0D;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kHighBit = 0x80;
constexpr std::uint8_t kKatakanaFinal = 0x31;
constexpr std::uint8_t kSymbolFinal = 0x3B;
constexpr std::uint16_t kGetaMark = 0x222E;  // 〓 in the Kanji set

enum class GlSet { kanji, alphanumeric, katakana };

// The marks of the additional-symbol set from code 0x7A50 on ([HV] [SD] [Ｐ] ...
// [PPV] (秘) <ほか>), by the characters that stand for them.
constexpr std::u32string_view kMarks = U"🅊🅌🄿🅆🅋🈐🈑🈒🈓🅂🈔🈕🈖🅍🄱🄽⬛⬤🈗🈘🈙🈚🈛⚿🈜🈝🈞🈟🈠🈡🈢🈣🈤🈥🅎㊙🈀";
constexpr std::uint16_t kFirstMark = 0x7A50;

// Extension-row kanji (by their CP932 bytes) that broadcasts send as additional symbols.
struct SymbolKanji {
    std::uint16_t cp932;
    std::uint16_t code14;
};
constexpr std::array<SymbolKanji, 7> kSymbolKanji{{
    {0xFA9C, 0x753A},  // 塚
    {0xFAAA, 0x753F},  // 寬
    {0xFAB1, 0x7540},  // 﨑
    {0xFA67, 0x7544},  // 彅
    {0xFABA, 0x7545},  // 德
    {0xFA5E, 0x7642},  // 鍈
    {0xFBFC, 0x7647},  // 髙
}};

std::uint8_t hiragana_code(char32_t ch) {
    if (ch >= U'ぁ' && ch <= U'ん') return static_cast<std::uint8_t>(0x21 + (ch - U'ぁ'));
    constexpr std::u32string_view tail = U"ゝゞー。「」、・";  // codes 0x77..0x7E
    const auto at = tail.find(ch);
    return at == std::u32string_view::npos ? 0 : static_cast<std::uint8_t>(0x77 + at);
}

std::uint8_t katakana_code(char32_t ch) {
    if (ch >= U'ァ' && ch <= U'ヶ') return static_cast<std::uint8_t>(0x21 + (ch - U'ァ'));
    if (ch == U'ヽ') return 0x77;
    if (ch == U'ヾ') return 0x78;
    return 0;
}

// Full-width characters that the alphanumeric set gives in normal size.
std::uint8_t fullwidth_alphanumeric_code(char32_t ch) {
    switch (ch) {
        case U'”':
            return 0x22;
        case U'’':
            return 0x27;
        case U'￥':
            return 0x5C;
        case U'￣':
            return 0x7E;
        case U'＂':
        case U'＇':
        case U'＼':
        case U'｀':
        case U'～':
            return 0;  // the set has no code that decodes to these
        default:
            break;
    }
    if (ch >= U'！' && ch <= U'～') return static_cast<std::uint8_t>(ch - U'！' + 0x21);
    return 0;
}

// Shift-JIS double-byte code to its JIS X 0208 row and cell (0x21..0x7E each), or
// nullopt for rows the Kanji set cannot reach (0xF0 and above).
std::optional<std::uint16_t> sjis_to_jis(std::uint8_t lead, std::uint8_t trail) {
    if (lead >= 0xF0) return std::nullopt;
    const int row_pair = lead <= 0x9F ? lead - 0x70 : lead - 0xB0;
    int first = row_pair * 2;
    int second = 0;
    if (trail >= 0x9F) {
        second = trail - 0x7E;
    } else {
        first -= 1;
        second = trail - (trail >= 0x80 ? 0x20 : 0x1F);
    }
    if (first < 0x21 || first > 0x7E || second < 0x21 || second > 0x7E) return std::nullopt;
    return static_cast<std::uint16_t>(first << 8 | second);
}

class Encoder {
  public:
    void add(char32_t ch) {
        if (ch == U'\r') return put(kLineBreak);
        if (ch == U'\n') return put(kLineFeed);
        if (ch == U' ') return space(true);
        if (ch == U'　') return space(false);
        if (ch > 0x20 && ch < 0x7F) return alphanumeric(static_cast<std::uint8_t>(ch), true);
        if (auto code = fullwidth_alphanumeric_code(ch)) return alphanumeric(code, false);
        if (auto code = hiragana_code(ch)) return put(code | kHighBit);
        if (auto code = katakana_code(ch)) {
            invoke(GlSet::katakana);
            return put(code);
        }
        if (const auto at = kMarks.find(ch); at != std::u32string_view::npos)
            return kanji(static_cast<std::uint16_t>(kFirstMark + at));
        kanji_or_symbol(ch);
    }

    // Back to the initial state, so that pieces can be concatenated.
    std::vector<std::uint8_t> finish() {
        invoke(GlSet::kanji);
        set_middle(false);
        return std::move(out_);
    }

  private:
    void put(std::uint8_t byte) { out_.push_back(byte); }

    void set_middle(bool middle) {
        if (middle == middle_) return;
        middle_ = middle;
        put(middle ? kMsz : kNsz);
    }

    void invoke(GlSet set) {
        if (set == gl_) return;
        gl_ = set;
        switch (set) {
            case GlSet::kanji:
                return put(kLs0);
            case GlSet::alphanumeric:
                return put(kLs1);
            case GlSet::katakana:
                put(kEsc);
                return put(kLs3Final);
        }
    }

    void space(bool middle) {
        set_middle(middle);
        put(kSpace);
    }

    void alphanumeric(std::uint8_t code, bool middle) {
        set_middle(middle);
        invoke(GlSet::alphanumeric);
        put(code);
    }

    void kanji(std::uint16_t jis) {
        invoke(GlSet::kanji);
        put(static_cast<std::uint8_t>(jis >> 8));
        put(static_cast<std::uint8_t>(jis & 0xFF));
    }

    void kanji_or_symbol(char32_t ch) {
        const std::wstring wide(1, static_cast<wchar_t>(ch));
        const auto bytes = wide_to_cp932(wide);
        if (!bytes || bytes->size() != 2) return kanji(kGetaMark);
        const auto lead = static_cast<std::uint8_t>((*bytes)[0]);
        const auto trail = static_cast<std::uint8_t>((*bytes)[1]);
        const std::uint16_t sjis = static_cast<std::uint16_t>(lead << 8 | trail);
        for (const auto& entry : kSymbolKanji)
            if (entry.cp932 == sjis) return kanji(entry.code14);
        kanji(sjis_to_jis(lead, trail).value_or(kGetaMark));
    }

    std::vector<std::uint8_t> out_;
    GlSet gl_ = GlSet::kanji;
    bool middle_ = false;
};

}  // namespace

std::vector<std::uint8_t> arib_encode(std::string_view utf8) {
    const auto wide = utf8_to_wide(utf8);
    if (!wide) return {};
    Encoder encoder;
    for (const wchar_t ch : *wide) encoder.add(static_cast<char32_t>(ch));
    return encoder.finish();
}

std::vector<std::uint8_t> arib_symbol(std::uint16_t code14) {
    return {kEsc,
            '$',
            '+',
            kSymbolFinal,
            kSs3,
            static_cast<std::uint8_t>((code14 >> 8) & 0x7F),
            static_cast<std::uint8_t>(code14 & 0x7F),
            kEsc,
            '+',
            kKatakanaFinal};
}

std::vector<std::uint8_t> arib_kanji_set_symbol(std::uint16_t code14) {
    return {static_cast<std::uint8_t>((code14 >> 8) & 0x7F),
            static_cast<std::uint8_t>(code14 & 0x7F)};
}

}  // namespace kalvento::test
