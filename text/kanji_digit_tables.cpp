// The kanji numeral table: common numerals first, then the formal forms used in
// documents (壱, 弐, ...), in the order they are looked up.
#include "text/numerals.h"

#include "platform/codepage.h"

#include <array>
#include <string_view>
#include <vector>

namespace kalvento {
namespace {

struct Entry {
    std::string_view utf8;
    std::uint8_t code;
};

constexpr std::array<Entry, 34> kTable = {{
    {"〇", 0},
    {"一", 1},
    {"二", 2},
    {"三", 3},
    {"四", 4},
    {"五", 5},
    {"六", 6},
    {"七", 7},
    {"八", 8},
    {"九", 9},
    {"十", kKanjiSmallUnit | 1},
    {"百", kKanjiSmallUnit | 2},
    {"千", kKanjiSmallUnit | 3},
    {"万", kKanjiLargeUnit | 4},
    {"億", kKanjiLargeUnit | 8},
    {"零", 0},
    {"壱", 1},
    {"壹", 1},
    {"弐", 2},
    {"貳", 2},
    {"参", 3},
    {"參", 3},
    {"肆", 4},
    {"伍", 5},
    {"陸", 6},
    {"捌", 8},
    {"玖", 9},
    {"拾", kKanjiSmallUnit | 1},
    {"佰", kKanjiSmallUnit | 2},
    {"陌", kKanjiSmallUnit | 2},
    {"仟", kKanjiSmallUnit | 3},
    {"阡", kKanjiSmallUnit | 3},
    {"萬", kKanjiLargeUnit | 4},
    {"質", 7},
}};

std::vector<KanjiDigit> build_table() {
    std::vector<KanjiDigit> table;
    for (const Entry& entry : kTable) {
        const std::string bytes = cp932(entry.utf8);
        KanjiDigit digit{};
        if (bytes.size() == 2) {
            digit.bytes[0] = bytes[0];
            digit.bytes[1] = bytes[1];
        }
        digit.code = entry.code;
        table.push_back(digit);
    }
    return table;
}

}  // namespace

std::span<const KanjiDigit> KanjiDigitTable() {
    static const std::vector<KanjiDigit> table = build_table();
    return table;
}

}  // namespace kalvento
