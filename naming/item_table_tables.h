// The raw tables behind naming/item_table.h.
#pragma once

#include "naming/item_table.h"

#include <array>
#include <string>
#include <string_view>

namespace kalvento::item_tables {

inline constexpr std::size_t kForbiddenCharacterCount = 10;

struct ForbiddenCharacter {
    char character;
    std::string_view replacementUtf8;
};

extern const std::array<std::string_view, kItemTableSize> kItemLabels;
extern const std::array<std::string ProgramInfo::*, kItemTableSize> kItemFields;
extern const std::array<ForbiddenCharacter, kForbiddenCharacterCount> kForbiddenCharacters;

}  // namespace kalvento::item_tables
