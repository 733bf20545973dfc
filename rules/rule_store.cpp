#include "rules/rule_store.h"

#include "rules/rule_keys.h"
#include "rules/rule_numbers.h"

#include <algorithm>
#include <array>
#include <set>
#include <string>

namespace kalvento {
namespace {

// Entries whose keys are removed from a section that no rule uses any more.
constexpr std::size_t kClearedEntriesOfUnusedSection = 10;

// The keys of a rule section other than the numbering ones.
constexpr std::array<std::string_view, 11> kRuleKeys = {
    kKeyFindText,    kKeyFindTextCh, kKeyFindType, kKeyRenameText, kKeySyoboFind, kKeySyoboFindCh,
    kKeySyoboFindSt, kKeySyoboTT,    kKeySyoboNB,  kKeySyoboSB,    kKeySyoboCH,
};

NumberingEntry read_entry(const ProfileFile& profile, const std::string& section, std::size_t k,
                          std::int64_t start_time) {
    NumberingEntry entry;
    entry.StartTime = start_time;
    for (int d = 0; d < kWeekdayCount; ++d)
        entry.WeekCheck[static_cast<std::size_t>(d)] =
            profile.read_int(section, week_check_key(k, d), 0);
    entry.StartNo = profile.read_int(section, start_no_key(k), 1);
    return entry;
}

std::int64_t read_start_time(const ProfileFile& profile, const std::string& section,
                             std::size_t k) {
    return parse_decimal_int64(profile.read_string(section, start_time_key(k), "0"));
}

RenameRule read_rule(const ProfileFile& profile, const std::string& section, std::int32_t index,
                     std::string find_text, std::string find_text_ch) {
    RenameRule rule;
    reset_rule(rule);
    rule.FindText = std::move(find_text);
    rule.FindTextCh = std::move(find_text_ch);
    rule.FindType = profile.read_int(section, kKeyFindType, 0);
    rule.RenameText = profile.read_string(section, kKeyRenameText, "");
    rule.SyoboFind = profile.read_string(section, kKeySyoboFind, "");
    rule.SyoboFindCh = profile.read_string(section, kKeySyoboFindCh, "");
    rule.SyoboFindSt = profile.read_string(section, kKeySyoboFindSt, "");
    rule.SyoboTT = profile.read_int(section, kKeySyoboTT, 0);
    rule.SyoboNB = profile.read_int(section, kKeySyoboNB, 0);
    rule.SyoboSB = profile.read_int(section, kKeySyoboSB, 0);
    rule.SyoboCH = profile.read_int(section, kKeySyoboCH, 0);
    rule.SectionIndex = index;
    rule.Modified = 0;

    // Entry 0 with an unset start time is dropped, but the later entries are
    // still read; an unset start time of a later entry ends the list.
    const std::int64_t first_start = read_start_time(profile, section, 0);
    const NumberingEntry first = read_entry(profile, section, 0, first_start);
    if (first_start != 0) rule.Numbering.push_back(first);
    for (std::size_t k = 1; rule.Numbering.size() < kMaxNumberingEntries; ++k) {
        const std::int64_t start = read_start_time(profile, section, k);
        if (start == 0) break;
        rule.Numbering.push_back(read_entry(profile, section, k, start));
    }
    return rule;
}

void write_int(ProfileFile& profile, const std::string& section, std::string_view key,
               std::int64_t value) {
    profile.write_string(section, key, std::to_string(value));
}

// Removes the nine keys of numbering entry k; true when any of them was there.
bool delete_entry_keys(ProfileFile& profile, const std::string& section, std::size_t k) {
    bool any = profile.delete_key(section, start_time_key(k));
    any = profile.delete_key(section, start_no_key(k)) || any;
    for (int d = 0; d < kWeekdayCount; ++d)
        any = profile.delete_key(section, week_check_key(k, d)) || any;
    return any;
}

void write_rule(ProfileFile& profile, const RenameRule& rule) {
    const std::string section = rule_section_name(rule.SectionIndex);
    profile.write_string(section, kKeyFindText, rule.FindText);
    profile.write_string(section, kKeyFindTextCh, rule.FindTextCh);
    write_int(profile, section, kKeyFindType, rule.FindType);
    profile.write_string(section, kKeyRenameText, rule.RenameText);
    profile.write_string(section, kKeySyoboFind, rule.SyoboFind);
    profile.write_string(section, kKeySyoboFindCh, rule.SyoboFindCh);
    profile.write_string(section, kKeySyoboFindSt, rule.SyoboFindSt);
    write_int(profile, section, kKeySyoboTT, rule.SyoboTT);
    write_int(profile, section, kKeySyoboNB, rule.SyoboNB);
    write_int(profile, section, kKeySyoboSB, rule.SyoboSB);
    write_int(profile, section, kKeySyoboCH, rule.SyoboCH);
    for (std::size_t k = 0; k < rule.Numbering.size(); ++k) {
        const NumberingEntry& entry = rule.Numbering[k];
        write_int(profile, section, start_time_key(k), entry.StartTime);
        write_int(profile, section, start_no_key(k), entry.StartNo);
        for (int d = 0; d < kWeekdayCount; ++d)
            write_int(profile, section, week_check_key(k, d),
                      entry.WeekCheck[static_cast<std::size_t>(d)]);
    }
    // Entries that an earlier save wrote beyond the current count would be read
    // back at the next load and undo a deletion, so their keys go: at least as
    // far as an unused section is cleared, then for as long as entries are found.
    for (std::size_t k = rule.Numbering.size();; ++k) {
        const bool found = delete_entry_keys(profile, section, k);
        if (!found && k + 1 >= kClearedEntriesOfUnusedSection) break;
    }
}

void clear_section(ProfileFile& profile, std::int32_t index) {
    const std::string section = rule_section_name(index);
    for (std::string_view key : kRuleKeys) profile.delete_key(section, key);
    for (std::size_t k = 0; k < kClearedEntriesOfUnusedSection; ++k)
        delete_entry_keys(profile, section, k);
}

std::int32_t largest_section_index(const RuleList& list) {
    std::int32_t largest = 0;
    for (const RenameRule& rule : list) largest = std::max(largest, rule.SectionIndex);
    return largest;
}

}  // namespace

void reset_rule(RenameRule& rule) {
    rule = RenameRule{};
}

void derive_find_type(RenameRule& rule) {
    if (rule.FindTextCh.empty())
        rule.FindType = kFindProgramme;
    else
        rule.FindType = rule.FindText.empty() ? kFindStation : kFindBoth;
}

int compare_prefix_last(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    // The shorter text ended first, and its end sorts after every byte.
    return a.size() < b.size() ? 1 : -1;
}

int compare_rule_order(const RenameRule& a, const RenameRule& b) {
    if (a.FindType != b.FindType) return a.FindType < b.FindType ? -1 : 1;
    if (a.FindType != kFindStation) {
        if (const int by_title = compare_prefix_last(a.FindText, b.FindText); by_title != 0)
            return by_title;
    }
    return compare_prefix_last(a.FindTextCh, b.FindTextCh);
}

bool same_rule(const RenameRule& a, const RenameRule& b) {
    return a.FindText == b.FindText && a.FindTextCh == b.FindTextCh && a.FindType == b.FindType &&
           a.RenameText == b.RenameText && a.SyoboFind == b.SyoboFind &&
           a.SyoboFindCh == b.SyoboFindCh && a.SyoboFindSt == b.SyoboFindSt &&
           a.SyoboTT == b.SyoboTT && a.SyoboNB == b.SyoboNB && a.SyoboSB == b.SyoboSB &&
           a.SyoboCH == b.SyoboCH && a.Numbering == b.Numbering;
}

std::vector<ShadowedRule> shadowed_rules(const RuleList& list) {
    // The list is in rule order, so rules with the same keys stand together.
    std::vector<ShadowedRule> shadowed;
    std::size_t first = 0;
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (compare_rule_order(list[first], list[i]) != 0)
            first = i;
        else
            shadowed.push_back({.rule = i, .by = first});
    }
    return shadowed;
}

std::size_t insert_rule_sorted(RuleList& list, const RenameRule& rule) {
    const auto at = std::upper_bound(
        list.begin(), list.end(), rule,
        [](const RenameRule& a, const RenameRule& b) { return compare_rule_order(a, b) < 0; });
    const auto index = static_cast<std::size_t>(at - list.begin());
    list.insert(at, rule);
    return index;
}

void sort_rules(RuleList& list) {
    std::stable_sort(list.begin(), list.end(), [](const RenameRule& a, const RenameRule& b) {
        return compare_rule_order(a, b) < 0;
    });
}

std::int32_t lowest_free_section_index(const RuleList& list) {
    std::vector<std::int32_t> used;
    used.reserve(list.size());
    for (const RenameRule& rule : list)
        if (rule.SectionIndex >= 0) used.push_back(rule.SectionIndex);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    std::int32_t candidate = 0;
    for (std::int32_t index : used) {
        if (index != candidate) break;
        ++candidate;
    }
    return candidate;
}

std::size_t add_new_rule(RuleList& list, RenameRule rule) {
    rule.SectionIndex = lowest_free_section_index(list);
    rule.Modified = 1;
    return insert_rule_sorted(list, rule);
}

std::size_t replace_rule(RuleList& list, std::size_t index, RenameRule rule) {
    if (index < list.size()) {
        rule.SectionIndex = list[index].SectionIndex;
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    }
    rule.Modified = 1;
    return insert_rule_sorted(list, rule);
}

RuleList load_rules(const ProfileFile& profile) {
    RuleList rules;
    std::int32_t last = profile.read_int(kRuleStoreSection, kRuleIndexKey, -1);
    if (last < 0) last = -1;
    const std::int32_t final_index =
        last < 0 ? kMaxRuleSectionIndex : std::min(last, kMaxRuleSectionIndex);
    for (std::int32_t n = 0; n <= final_index; ++n) {
        const std::string section = rule_section_name(n);
        std::string find_text = profile.read_string(section, kKeyFindText, "");
        std::string find_text_ch = profile.read_string(section, kKeyFindTextCh, "");
        if (find_text.empty() && find_text_ch.empty()) {
            if (last < 0) break;
            continue;
        }
        rules.push_back(
            read_rule(profile, section, n, std::move(find_text), std::move(find_text_ch)));
    }
    // Inserting each rule after the equal ones before it is a stable sort.
    sort_rules(rules);
    return rules;
}

RuleList save_rules(ProfileFile& profile, const RuleList& old_store, const RuleList& working_copy) {
    const std::int32_t largest_before =
        std::min(std::max(largest_section_index(old_store), largest_section_index(working_copy)),
                 kMaxRuleSectionIndex);

    RuleList store = working_copy;
    // A rule without a section of its own (none, one past the loadable range,
    // or one an earlier rule of the list holds) would be lost or overwrite
    // another rule's section; give it a free one first.
    std::set<std::int32_t> in_use;
    for (const RenameRule& rule : store)
        if (rule.SectionIndex >= 0) in_use.insert(rule.SectionIndex);
    std::set<std::int32_t> claimed;
    for (RenameRule& rule : store) {
        if (rule.SectionIndex >= 0 && rule.SectionIndex <= kMaxRuleSectionIndex &&
            claimed.insert(rule.SectionIndex).second)
            continue;
        std::int32_t free_index = 0;
        while (in_use.count(free_index) != 0) ++free_index;
        rule.SectionIndex = free_index;
        rule.Modified = 1;
        in_use.insert(free_index);
        claimed.insert(free_index);
    }

    std::vector<bool> used(static_cast<std::size_t>(largest_before) + 1, false);
    for (RenameRule& rule : store) {
        if (static_cast<std::size_t>(rule.SectionIndex) < used.size())
            used[static_cast<std::size_t>(rule.SectionIndex)] = true;
        if (rule.Modified == 0) continue;
        rule.Modified = 0;
        write_rule(profile, rule);
    }
    write_int(profile, std::string(kRuleStoreSection), kRuleIndexKey, largest_section_index(store));
    for (std::size_t n = 0; n < used.size(); ++n)
        if (!used[n]) clear_section(profile, static_cast<std::int32_t>(n));
    return store;
}

ProfileResult RuleStore::commit(const RuleList& working_copy, ProfileFile& profile) {
    rules_ = save_rules(profile, rules_, working_copy);
    return profile.save();
}

}  // namespace kalvento
