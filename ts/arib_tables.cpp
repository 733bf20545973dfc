#include "ts/arib_tables.h"

#include <initializer_list>

#include "platform/codepage.h"

namespace kalvento::arib {
namespace {

// Hiragana set, codes 0x21..0x7F; 0x74..0x76 are undefined and given as blanks.
constexpr std::string_view kHiragana =
    "ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとど"
    "なにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをん"
    "　　　ゝゞー。「」、・　";

// Katakana set, codes 0x21..0x7F.
constexpr std::string_view kKatakana =
    "ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトド"
    "ナニヌネノハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロヮワヰヱヲンヴヵヶ"
    "ヽヾー。「」、・　";

struct TextRange {
    std::uint16_t firstCode;
    std::initializer_list<const char*> texts;
};

// Additional symbols written as UTF-8; converted once on first use.
const std::initializer_list<TextRange> kTextSymbols = {
    {0x7A50, {"[HV]", "[SD]", "[Ｐ]", "[Ｗ]", "[MV]",  "[手]", "[字]",  "[双]", "[デ]", "[Ｓ]",
              "[二]", "[多]", "[解]", "[SS]", "[Ｂ]",  "[Ｎ]", "■",     "●",    "[天]", "[交]",
              "[映]", "[無]", "[料]", "_",    "[前]",  "[後]", "[再]",  "[新]", "[初]", "[終]",
              "[生]", "[販]", "[声]", "[吹]", "[PPV]", "(秘)", "<ほか>"}},
    {0x7B28, {"〒"}},
    {0x7C27, {"年", "月", "日", "円", "㎡"}},
    {0x7C2D, {"㎝"}},
    {0x7C4C, {"㈲", "㈱", "㈹"}},
    {0x7D29, {"㍾", "㍽", "㍼", "㍻", "No.", "℡"}},
    {0x7D48, {"kg"}},
    {0x7D4B, {"㎞"}},
    {0x7D6E, {"!!", "!?"}},
    {0x7E21,
     {"Ⅰ",    "Ⅱ",    "Ⅲ",    "Ⅳ",    "Ⅴ",    "Ⅵ",    "Ⅶ",    "Ⅷ",    "Ⅸ",   "Ⅹ",   "ⅩⅠ",   "ⅩⅡ",
      "(17)", "(18)", "(19)", "(20)", "(1)",  "(2)",  "(3)",  "(4)",  "(5)", "(6)", "(7)",  "(8)",
      "(9)",  "(10)", "(11)", "(12)", "(21)", "(22)", "(23)", "(24)", "(A)", "(B)", "(C)",  "(D)",
      "(E)",  "(F)",  "(G)",  "(H)",  "(I)",  "(J)",  "(K)",  "(L)",  "(M)", "(N)", "(O)",  "(P)",
      "(Q)",  "(R)",  "(S)",  "(T)",  "(U)",  "(V)",  "(W)",  "(X)",  "(Y)", "(Z)", "(25)", "(26)",
      "(27)", "(28)", "(29)", "(30)", "①",    "②",    "③",    "④",    "⑤",   "⑥",   "⑦",    "⑧",
      "⑨",    "⑩",    "⑪",    "⑫",    "⑬",    "⑭",    "⑮",    "⑯",    "<1>", "<2>", "<3>",  "<4>",
      "<5>",  "<6>",  "<7>",  "<8>",  "<9>",  "<10>", "<11>", "<12>", "(31)"}},
};

// Added kanji given directly as code page 932 bytes: most live in the extension
// rows 0xFA-0xFC and must come out exactly so (as Windows writes them), whichever
// of their duplicate codes a converter would prefer. Kanji without a CP932 form
// are left out and give the geta mark.
const std::initializer_list<TextRange> kKanjiSymbols = {
    {0x7525, {"\xFA\x71", "\xFA\x61"}},                          // 侚 俉
    {0x752B, {"\xFA\x8A"}},                                      // 匇
    {0x752E, {"\xFB\xA5", "\x8B\x67"}},                          // 詹 吉
    {0x7532, {"\xFA\x91", "\xFA\x93"}},                          // 咜 咩
    {0x753A, {"\xFA\x9C"}},                                      // 塚
    {0x753F, {"\xFA\xAA", "\xFA\xB1", "\x9B\xBD"}},              // 寬 﨑 嵜
    {0x7543, {"\xFA\xB8", "\xFA\x67", "\xFA\xBA"}},              // 弴 彅 德
    {0x7548, {"\xFA\xC5", "\xFA\xD4"}},                          // 愰 昤
    {0x754B, {"\x8F\x8C", "\xFA\xDE", "\xFA\x66", "\xFA\xE3"}},  // 曙 曺 曻 桒
    {0x7554, {"\x8B\xF9"}},                                      // 櫛
    {0x755E, {"\xFB\x43"}},                                      // 淸
    {0x7565, {"\xFB\x57", "\xFB\x59"}},                          // 煇 燁
    {0x756A, {"\xFB\x61", "\xFB\x62"}},                          // 珉 珖
    {0x756E, {"\x91\xF4", "\xFB\x67", "\xFB\x68"}},              // 琢 琦 琪
    {0x757B, {"\x8B\x5F", "\xE2\x58"}},                          // 祇 禮
    {0x7625, {"\xE2\xD7"}},                                      // 籏
    {0x7628, {"\xFB\x91"}},                                      // 羡
    {0x762D, {"\x8A\x8B", "\xFA\x60", "\x96\x48", "\xFB\x9B"}},  // 葛 蓜 蓬 蕙
    {0x7632, {"\x90\x49"}},                                      // 蝕
    {0x7635, {"\xFB\xA2", "\x8A\x70", "\xFB\xAA"}},              // 裵 角 諶
    {0x7639, {"\x92\xD2"}},                                      // 辻
    {0x763C, {"\xFB\xB9", "\x93\x41"}},                          // 鄧 鄭
    {0x7640, {"\xFA\x5F", "\xFB\xD8", "\xFA\x5E", "\xFB\xE8"}},  // 銈 錡 鍈 閒
    {0x7645, {"\xE9\x4C"}},                                      // 餃
    {0x7647, {"\xFB\xFC", "\x8E\x49", "\x89\xA8"}},              // 髙 鯖 鴎
};

// Splits CP932 text of double-byte characters into one table entry each, from code 0x21.
CharacterTable double_byte_table(std::string_view utf8) {
    CharacterTable table;
    table[0] = cp932("　");
    const std::string text = cp932(utf8);
    for (std::size_t k = 0; k + 1 < text.size() && k / 2 + 1 < kTableCodes; k += 2)
        table[k / 2 + 1] = text.substr(k, 2);
    return table;
}

std::vector<AdditionalSymbolRange> build_symbol_ranges() {
    std::vector<AdditionalSymbolRange> ranges;
    for (const auto& range : kTextSymbols) {
        AdditionalSymbolRange& out = ranges.emplace_back();
        out.firstCode = range.firstCode;
        for (const char* text : range.texts) out.texts.push_back(cp932(text));
    }
    for (const auto& range : kKanjiSymbols) {
        AdditionalSymbolRange& out = ranges.emplace_back();
        out.firstCode = range.firstCode;
        for (const char* text : range.texts) out.texts.emplace_back(text);
    }
    return ranges;
}

}  // namespace

const CharacterTable& fullwidth_alphanumeric_table() {
    static const CharacterTable table = [] {
        CharacterTable t;
        // U+FF01..U+FF5E are the full-width forms of ASCII 0x21..0x7E, all double-byte in CP932.
        std::wstring wide;
        for (wchar_t ch = 0xFF01; ch <= 0xFF5E; ++ch) wide.push_back(ch);
        const std::string text = wide_to_cp932(wide, Unmappable::space).value_or(std::string());
        for (std::size_t k = 0; k + 1 < text.size() && k / 2 + 1 < kTableCodes; k += 2)
            t[k / 2 + 1] = text.substr(k, 2);
        t[0x00] = cp932("　");
        t[0x22 - kFirstTableCode] = cp932("”");
        t[0x27 - kFirstTableCode] = cp932("’");
        t[0x5C - kFirstTableCode] = cp932("￥");
        t[0x60 - kFirstTableCode] = cp932("　");
        t[0x7E - kFirstTableCode] = cp932("￣");
        t[0x7F - kFirstTableCode] = cp932("　");
        return t;
    }();
    return table;
}

const CharacterTable& halfwidth_alphanumeric_table() {
    static const CharacterTable table = [] {
        CharacterTable t;
        // 0x7F is no character; in middle size it shows as a half-width blank.
        for (std::size_t k = 0; k < kTableCodes; ++k) {
            const std::size_t code = kFirstTableCode + k;
            t[k].assign(1, code == 0x7F ? ' ' : static_cast<char>(code));
        }
        return t;
    }();
    return table;
}

const CharacterTable& hiragana_table() {
    static const CharacterTable table = double_byte_table(kHiragana);
    return table;
}

const CharacterTable& katakana_table() {
    static const CharacterTable table = double_byte_table(kKatakana);
    return table;
}

const std::vector<AdditionalSymbolRange>& additional_symbol_ranges() {
    static const std::vector<AdditionalSymbolRange> ranges = build_symbol_ranges();
    return ranges;
}

std::string_view additional_symbol_text(std::uint16_t code14) {
    static const std::string geta = cp932("〓");
    for (const auto& range : additional_symbol_ranges()) {
        if (code14 < range.firstCode) continue;
        const std::size_t k = code14 - range.firstCode;
        if (k < range.texts.size()) return range.texts[k];
    }
    return geta;
}

}  // namespace kalvento::arib
