// The code tables of the name composition, apart from the logic that reads them.
#include "naming/item_table_tables.h"

namespace kalvento::item_tables {

const std::array<std::string_view, kItemTableSize> kItemLabels = {
    "未使用",
    "番組名",
    "CH",
    "mm月dd日(w)",
    "hh時mm分",
    "mm月dd日(w)(28時間)",
    "hh時mm分(28時間)",
    "yyyy年mm月dd日(w)",
    "yyyy年mm月dd日(w)(28時間)",
    "yyyy／mm／dd",
    "yyyy／mm／dd(28時間)",
    "hh：mm",
    "hh：mm(28時間)",
    "yyyymmddhhmm",
    "yyyymmddhhmm(28時間)",
    "yyyy-mm-dd",
    "yyyy-mm-dd(28時間)",
    "mm.dd.yy",
    "mm.dd.yy(28時間)",
    "映像/音声",
    "ジャンル大",
    "ジャンル中",
    "ジャンル大(中)",
    "yyyymmdd(w)",
    "yyyymmdd(w)(28時間)",
    "番組内容(全)",
    "番組内容(1行)",
};

const std::array<std::string ProgramInfo::*, kItemTableSize> kItemFields = {
    nullptr,
    &ProgramInfo::eventName,
    &ProgramInfo::channelName,
    &ProgramInfo::dateMD,
    &ProgramInfo::timeHM,
    &ProgramInfo::dateMD28,
    &ProgramInfo::timeHM28,
    &ProgramInfo::dateYMDJ,
    &ProgramInfo::dateYMDJ28,
    &ProgramInfo::dateYMDSlash,
    &ProgramInfo::dateYMDSlash28,
    &ProgramInfo::timeColon,
    &ProgramInfo::timeColon28,
    &ProgramInfo::stamp,
    &ProgramInfo::stamp28,
    &ProgramInfo::dateISO,
    &ProgramInfo::dateISO28,
    &ProgramInfo::dateDots,
    &ProgramInfo::dateDots28,
    &ProgramInfo::avText,
    &ProgramInfo::genreMajor,
    &ProgramInfo::genreMinor,
    &ProgramInfo::genre,
    &ProgramInfo::dateCompact,
    &ProgramInfo::dateCompact28,
    &ProgramInfo::eventTextFlat,
    &ProgramInfo::eventTextLine,
};

// In the order they are applied; an empty replacement removes the character.
const std::array<ForbiddenCharacter, kForbiddenCharacterCount> kForbiddenCharacters = {{
    {':', "："},
    {'<', "＜"},
    {'>', "＞"},
    {'\\', "￥"},
    {'/', "／"},
    {'*', "＊"},
    {'?', "？"},
    {'|', "｜"},
    {'\r', ""},
    {'\n', ""},
}};

}  // namespace kalvento::item_tables
