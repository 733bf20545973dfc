#include "rules/rule_text_forms.h"

#include "platform/profile_file.h"
#include "rules/line_pieces.h"
#include "rules/rule_keys.h"
#include "rules/rule_numbers.h"
#include "text/fields.h"

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <unordered_map>

namespace kalvento {
namespace {

constexpr std::size_t kLeadingFieldCount = kExchangeLeadingFields;
constexpr std::size_t kFieldsPerEntry = 2 + kWeekdayCount;
constexpr std::size_t kEntryNumberDigits = 6;

std::string_view without_line_end(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

void add_line(std::string& block, std::string_view key, std::string_view value) {
    block.append(key).append("=").append(value).append("\r\n");
}

// Six decimal digits at the start of `text`, or nullopt.
std::optional<std::size_t> entry_number(std::string_view text) {
    if (text.size() < kEntryNumberDigits) return std::nullopt;
    std::size_t number = 0;
    for (std::size_t i = 0; i < kEntryNumberDigits; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(text[i] - '0');
    }
    return number;
}

// The entry of a numbering key, created zero-filled (with all entries before it)
// when the block has not mentioned it yet; nullptr past the limit.
NumberingEntry* entry_for(RenameRule& rule, std::size_t k) {
    if (k >= kMaxNumberingEntries) return nullptr;
    if (rule.Numbering.size() <= k) rule.Numbering.resize(k + 1);
    return &rule.Numbering[k];
}

// "=" value for entry 0, or six digits of the entry number, "=" and the value.
// Returns the entry number and sets `value`; nullopt for any other shape.
std::optional<std::size_t> numbered_value(std::string_view rest, std::string_view& value) {
    if (rest.starts_with('=')) {
        value = rest.substr(1);
        return 0;
    }
    const auto k = entry_number(rest);
    if (!k || rest.size() <= kEntryNumberDigits || rest[kEntryNumberDigits] != '=')
        return std::nullopt;
    value = rest.substr(kEntryNumberDigits + 1);
    return k;
}

// "WeekCheck" lines: "d=" for entry 0, or "kkkkkk_d=".
void read_week_check(std::string_view rest, RenameRule& rule) {
    std::size_t k = 0;
    std::string_view tail = rest;
    if (!(rest.size() >= 2 && rest[1] == '=')) {
        const auto number = entry_number(rest);
        if (!number || rest.size() < kEntryNumberDigits + 3 || rest[kEntryNumberDigits] != '_')
            return;
        k = *number;
        tail = rest.substr(kEntryNumberDigits + 1);
        if (tail[1] != '=') return;
    }
    const char day = tail[0];
    if (day < '0' || day >= '0' + kWeekdayCount) return;
    if (NumberingEntry* entry = entry_for(rule, k))
        entry->WeekCheck[static_cast<std::size_t>(day - '0')] = parse_decimal_int32(tail.substr(2));
}

void read_block_line(std::string_view line, RenameRule& rule) {
    using Setter = std::function<void(RenameRule&, std::string_view)>;
    auto text_field = [](std::string RenameRule::*field) {
        return Setter([field](RenameRule& r, std::string_view v) { r.*field = std::string(v); });
    };
    auto number_field = [](std::int32_t RenameRule::*field) {
        return Setter(
            [field](RenameRule& r, std::string_view v) { r.*field = parse_decimal_int32(v); });
    };
    // Tested in this order; each prefix ends in "=", so "FindText=" never takes
    // a "FindTextCh=" line.
    static const std::array<std::pair<std::string_view, Setter>, 11> kFields = {{
        {"FindText=", text_field(&RenameRule::FindText)},
        {"FindTextCh=", text_field(&RenameRule::FindTextCh)},
        {"FindType=", number_field(&RenameRule::FindType)},
        {"RenameText=", text_field(&RenameRule::RenameText)},
        {"SyoboFind=", text_field(&RenameRule::SyoboFind)},
        {"SyoboFindCh=", text_field(&RenameRule::SyoboFindCh)},
        {"SyoboFindSt=", text_field(&RenameRule::SyoboFindSt)},
        {"SyoboTT=", number_field(&RenameRule::SyoboTT)},
        {"SyoboNB=", number_field(&RenameRule::SyoboNB)},
        {"SyoboSB=", number_field(&RenameRule::SyoboSB)},
        {"SyoboCH=", number_field(&RenameRule::SyoboCH)},
    }};
    for (const auto& [prefix, set] : kFields) {
        if (line.starts_with(prefix)) {
            set(rule, line.substr(prefix.size()));
            return;
        }
    }
    std::string_view value;
    if (line.starts_with("StartTime")) {
        if (const auto k = numbered_value(line.substr(9), value))
            if (NumberingEntry* entry = entry_for(rule, *k))
                entry->StartTime = parse_decimal_int64(value);
    } else if (line.starts_with("StartNo")) {
        if (const auto k = numbered_value(line.substr(7), value))
            if (NumberingEntry* entry = entry_for(rule, *k))
                entry->StartNo = parse_decimal_int32(value);
    } else if (line.starts_with("WeekCheck")) {
        read_week_check(line.substr(9), rule);
    }
}

}  // namespace

std::string format_export_line(const RenameRule& rule) {
    std::string line;
    for (const std::string* text : {&rule.FindText, &rule.FindTextCh, &rule.RenameText,
                                    &rule.SyoboFind, &rule.SyoboFindCh, &rule.SyoboFindSt})
        line.append(*text).append("\t");
    for (std::int32_t flag : {rule.SyoboTT, rule.SyoboNB, rule.SyoboSB, rule.SyoboCH})
        line.append(std::to_string(flag)).append("\t");
    line.append(std::to_string(rule.Numbering.size()));
    for (const NumberingEntry& entry : rule.Numbering) {
        line.append("\t").append(std::to_string(entry.StartTime));
        line.append("\t").append(std::to_string(entry.StartNo));
        for (std::int32_t day : entry.WeekCheck) line.append("\t").append(std::to_string(day));
    }
    line.append("\r\n");
    return line;
}

std::optional<RenameRule> parse_import_line(std::string_view line) {
    const std::vector<std::string> fields = split_fields(without_line_end(line), "\t", false);
    if (fields.size() < kLeadingFieldCount) return std::nullopt;

    RenameRule rule;
    reset_rule(rule);
    rule.FindText = fields[0];
    rule.FindTextCh = fields[1];
    rule.RenameText = fields[2];
    rule.SyoboFind = fields[3];
    rule.SyoboFindCh = fields[4];
    rule.SyoboFindSt = fields[5];
    rule.SyoboTT = parse_decimal_int32(fields[6]);
    rule.SyoboNB = parse_decimal_int32(fields[7]);
    rule.SyoboSB = parse_decimal_int32(fields[8]);
    rule.SyoboCH = parse_decimal_int32(fields[9]);
    derive_find_type(rule);

    const std::int32_t count = parse_decimal_int32(fields[10]);
    const std::size_t present = (fields.size() - kLeadingFieldCount) / kFieldsPerEntry;
    const std::size_t entries =
        count <= 0 ? 0 : std::min({static_cast<std::size_t>(count), present, kMaxNumberingEntries});
    for (std::size_t k = 0; k < entries; ++k) {
        const std::size_t first = kLeadingFieldCount + kFieldsPerEntry * k;
        NumberingEntry entry;
        entry.StartTime = parse_prefixed_uint64(fields[first]);
        entry.StartNo = parse_decimal_int32(fields[first + 1]);
        for (std::size_t d = 0; d < entry.WeekCheck.size(); ++d)
            entry.WeekCheck[d] = parse_decimal_int32(fields[first + 2 + d]);
        rule.Numbering.push_back(entry);
    }
    rule.Modified = 1;
    return rule;
}

std::optional<std::string> import_line_problem(std::string_view line) {
    if (line.size() > kImportLineMax)
        return "longer than " + std::to_string(kImportLineMax) + " bytes; not imported";
    line = without_line_end(line);
    if (line.find('\0') != std::string_view::npos)
        return std::string(
            "holds a NUL byte (UTF-16 text needs its byte-order mark); "
            "not imported");
    static constexpr std::array<std::string_view, 6> kTextKeys = {kKeyFindText,    kKeyFindTextCh,
                                                                  kKeyRenameText,  kKeySyoboFind,
                                                                  kKeySyoboFindCh, kKeySyoboFindSt};
    const std::vector<std::string> fields = split_fields(line, "\t", false);
    for (std::size_t i = 0; i < kTextKeys.size() && i < fields.size(); ++i) {
        if (fields[i].size() > kProfileValueMax) {
            return std::string(kTextKeys[i]) + " has " + std::to_string(fields[i].size()) +
                   " bytes, more than the " + std::to_string(kProfileValueMax) +
                   " a rule keeps; not imported";
        }
    }
    return std::nullopt;
}

ImportResult import_rules(RuleList& list, std::string_view file_bytes) {
    ImportResult result;
    // As add_new_rule does for each rule, in one pass: the lowest free
    // sections in turn, then the rule order (a stable sort keeps each new rule
    // behind the equal ones before it).
    std::set<std::int32_t> used;
    for (const RenameRule& rule : list) used.insert(rule.SectionIndex);
    std::int32_t next_free = 0;
    std::int32_t last_section = -1;
    // The rules there so far by their exchange line, to find repeats in one
    // pass however long the list; the line is checked field by field, as a
    // tab inside a text could make two rules write the same line.
    std::unordered_multimap<std::string, std::size_t> by_line;
    for (std::size_t i = 0; i < list.size(); ++i) by_line.emplace(format_export_line(list[i]), i);
    std::vector<std::pair<std::size_t, std::int32_t>> repeats;  // line, section of the rule
    // Line numbers count line ends before each piece: the pieces of an
    // over-long line share its number.
    std::size_t line_number = 1;
    const char* counted_to = file_bytes.data();
    for (std::string_view line : split_lines_in_pieces(file_bytes, kImportLineMax)) {
        line_number += static_cast<std::size_t>(std::count(counted_to, line.data(), '\n'));
        counted_to = line.data();
        std::optional<RenameRule> rule = parse_import_line(line);
        if (!rule) {
            const std::string_view text = without_line_end(line);
            if (text.find_first_not_of(" \t") != std::string_view::npos) {
                result.skipped.push_back(
                    {line_number,
                     static_cast<std::size_t>(std::count(text.begin(), text.end(), '\t')) + 1});
            }
            continue;
        }
        std::string key = format_export_line(*rule);
        const auto [from, to] = by_line.equal_range(key);
        const auto same = std::find_if(
            from, to, [&](const auto& item) { return same_rule(list[item.second], *rule); });
        if (same != to) {
            repeats.emplace_back(line_number, list[same->second].SectionIndex);
            continue;
        }
        by_line.emplace(std::move(key), list.size());
        while (used.count(next_free) != 0) ++next_free;
        rule->SectionIndex = next_free;
        rule->Modified = 1;
        used.insert(next_free);
        last_section = next_free;
        list.push_back(std::move(*rule));
        ++result.added;
    }
    if (result.added > 0) sort_rules(list);
    std::unordered_map<std::int32_t, std::size_t> index_of_section;
    for (std::size_t i = 0; i < list.size(); ++i) index_of_section.emplace(list[i].SectionIndex, i);
    if (result.added > 0) result.lastIndex = index_of_section[last_section];
    for (const auto& [line, section] : repeats)
        result.duplicates.push_back({.line = line, .rule = index_of_section[section]});
    return result;
}

std::string format_clipboard_block(const RenameRule& rule) {
    std::string block;
    add_line(block, kKeyFindText, rule.FindText);
    add_line(block, kKeyFindTextCh, rule.FindTextCh);
    add_line(block, kKeyFindType, std::to_string(rule.FindType));
    add_line(block, kKeyRenameText, rule.RenameText);
    add_line(block, kKeySyoboFind, rule.SyoboFind);
    add_line(block, kKeySyoboFindCh, rule.SyoboFindCh);
    add_line(block, kKeySyoboFindSt, rule.SyoboFindSt);
    add_line(block, kKeySyoboTT, std::to_string(rule.SyoboTT));
    add_line(block, kKeySyoboNB, std::to_string(rule.SyoboNB));
    add_line(block, kKeySyoboSB, std::to_string(rule.SyoboSB));
    add_line(block, kKeySyoboCH, std::to_string(rule.SyoboCH));
    for (std::size_t k = 0; k < rule.Numbering.size(); ++k) {
        const NumberingEntry& entry = rule.Numbering[k];
        add_line(block, start_time_key(k), std::to_string(entry.StartTime));
        add_line(block, start_no_key(k), std::to_string(entry.StartNo));
        for (int d = 0; d < kWeekdayCount; ++d)
            add_line(block, week_check_key(k, d),
                     std::to_string(entry.WeekCheck[static_cast<std::size_t>(d)]));
    }
    return block;
}

void parse_clipboard_block(std::string_view text, RenameRule& rule) {
    rule.Numbering.clear();
    // The clipboard of another platform may end its lines with LF alone.
    for (std::string_view line : split_lines_in_pieces(text, text.size()))
        read_block_line(line, rule);
}

}  // namespace kalvento
