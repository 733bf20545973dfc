#include "naming/item_table.h"

#include "naming/item_table_tables.h"
#include "platform/codepage.h"

#include <array>

namespace kalvento {
namespace {

bool in_table(int index) {
    return index >= 0 && index < kItemTableSize;
}

constexpr int kFirstPrintable = 0x20;
constexpr int kDelete = 0x7F;

// The replacement of every byte value that starts a forbidden character, as
// CP932; converted once, since names are composed for every row of every rebuild.
struct ReplacementTable {
    std::array<bool, 256> forbidden{};
    std::array<std::string, 256> replacement;

    ReplacementTable() {
        // Every other control character is dropped as well, as the broadcast
        // text decoder drops them: a name typed with a tab or taken from a
        // template is treated like one from a broadcast.
        for (int byte = 0; byte < kFirstPrintable; ++byte) forbidden[byte] = true;
        forbidden[kDelete] = true;
        for (const auto& entry : item_tables::kForbiddenCharacters) {
            const auto byte = static_cast<unsigned char>(entry.character);
            forbidden[byte] = true;
            replacement[byte] = cp932(entry.replacementUtf8);
        }
    }
};

const ReplacementTable& replacement_table() {
    static const ReplacementTable table;
    return table;
}

}  // namespace

std::string_view item_label_utf8(int index) {
    return in_table(index) ? item_tables::kItemLabels[static_cast<std::size_t>(index)]
                           : std::string_view{};
}

std::string item_label(int index) {
    return cp932(item_label_utf8(index));
}

const std::string* item_text(const ProgramInfo& info, int index) {
    if (!in_table(index)) return nullptr;
    const auto field = item_tables::kItemFields[static_cast<std::size_t>(index)];
    return field == nullptr ? nullptr : &(info.*field);
}

// The table's entries replace single-byte characters by double-byte ones, so
// no replacement can create a new match: one pass gives the same result as
// applying the entries one after another.
std::string replace_forbidden_characters(std::string_view cp932_name) {
    const ReplacementTable& table = replacement_table();
    std::string result;
    result.reserve(cp932_name.size() + cp932_name.size() / 4);
    for (std::size_t i = 0; i < cp932_name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(cp932_name[i]);
        if (cp932_char_width(cp932_name, i) == 2) {
            result.append(cp932_name.substr(i, 2));
            ++i;
        } else if (table.forbidden[byte]) {
            result += table.replacement[byte];
        } else {
            result.push_back(cp932_name[i]);
        }
    }
    return result;
}

}  // namespace kalvento
