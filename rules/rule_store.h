// The ordered list of rename rules and its place in the settings file.
//
// Both the committed rule store and the working copy that the rule list dialog
// edits are a `RuleList` kept in rule order at all times: every insertion goes
// through `insert_rule_sorted`, and within one list no two rules share a
// SectionIndex (new rules take the lowest free one).
#pragma once

#include "platform/profile_file.h"
#include "rules/rename_rule.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kalvento {

using RuleList = std::vector<RenameRule>;

// The highest rule section looked at while loading. A damaged "IndexNo" of two
// billion must not keep the start busy; rules take the lowest free section, so
// a real store stays far below this.
inline constexpr std::int32_t kMaxRuleSectionIndex = 99999;

// All texts empty, FindType and the four flags 0, SectionIndex -1, Modified 0,
// no numbering entries.
void reset_rule(RenameRule& rule);

// FindType from the patterns: a station pattern with a programme pattern is
// "both", a station pattern alone "station", no station pattern "programme".
void derive_find_type(RenameRule& rule);

// The prefix-last order: byte-wise on unsigned bytes, except that the end of a
// text counts as greater than any byte, so "ABC" < "AB". Returns <0, 0 or >0.
int compare_prefix_last(std::string_view a, std::string_view b);

// The rule order: FindType ascending; within "both" and "programme" rules by
// FindText, then FindTextCh; within "station" rules by FindTextCh only. A longer
// pattern is thus tried before a shorter one that is its prefix.
int compare_rule_order(const RenameRule& a, const RenameRule& b);

// Two rules that do the same: every field equal but SectionIndex and Modified.
bool same_rule(const RenameRule& a, const RenameRule& b);

// A rule that can never match: a rule before it has the same patterns (the
// same keys of the rule order), so it takes every programme this one would.
struct ShadowedRule {
    std::size_t rule = 0;  // list index of the rule never reached
    std::size_t by = 0;    // list index of the first rule with the same patterns
};
std::vector<ShadowedRule> shadowed_rules(const RuleList& list);

// Inserts a copy of `rule` before the first rule that is greater in rule order
// (after all equal ones) and returns its index.
std::size_t insert_rule_sorted(RuleList& list, const RenameRule& rule);

// Puts the list in rule order, equal rules keeping their order: the same as
// inserting them one by one with insert_rule_sorted.
void sort_rules(RuleList& list);

// The smallest N >= 0 that no rule of the list uses as SectionIndex.
std::int32_t lowest_free_section_index(const RuleList& list);

// Working-copy edits. Adding (a new, copied or imported rule) gives the rule the
// lowest free SectionIndex; replacing the rule at `index` keeps that rule's
// SectionIndex. Both mark the rule Modified, insert it in rule order and return
// its new index.
std::size_t add_new_rule(RuleList& list, RenameRule rule);
std::size_t replace_rule(RuleList& list, std::size_t index, RenameRule rule);

// The rules of the settings file, in rule order, all unmodified. Without
// "IndexNo" loading ends at the first section without patterns; with it, empty
// sections up to IndexNo are skipped and sections above it ignored.
RuleList load_rules(const ProfileFile& profile);

// Makes `working_copy` the new store and writes it into `profile` (in memory;
// the caller saves the file): every Modified rule's section is rewritten and
// its flag cleared, "IndexNo" set, and the keys of sections that no rule uses
// any more (up to the largest SectionIndex of either list) deleted. Returns the
// new store. A rule of the working copy without a section number, or with one
// another rule already uses, is given the lowest free one, so two rules can
// never overwrite one section.
RuleList save_rules(ProfileFile& profile, const RuleList& old_store, const RuleList& working_copy);

// The rule store of the program: the committed rules, which name composition
// walks, and the way to change them through a working copy.
class RuleStore {
  public:
    RuleStore() = default;

    // Replaces the rules by those of the settings file.
    void load(const ProfileFile& profile) { rules_ = load_rules(profile); }

    const RuleList& rules() const { return rules_; }

    // A copy to edit; nothing done to it reaches the store until `commit`.
    RuleList working_copy() const { return rules_; }

    // Makes the working copy the store, writes it into `profile` and saves the
    // file. The store is replaced even when saving fails (the user's changes
    // stay in effect for this run, and `profile` still holds them for a later
    // save); the result says whether the file was written.
    ProfileResult commit(const RuleList& working_copy, ProfileFile& profile);

  private:
    RuleList rules_;
};

}  // namespace kalvento
