// Managing the rename rules of the settings file, one operation at a time:
// add (also from a copy of a rule), import, edit, remove and move. Each one
// reads the rules anew under the settings lock, changes them and saves them
// in one go, keeping the file's other sections as they are; every front end
// that changes single rules calls these.
//
// Rules are named by their index in the order they are tried (users count
// from 1). Rules with the same patterns can stand side by side, and only the
// first of them ever matches: each operation reports such pairs where the
// rules it touched are one of the two.
#pragma once

#include "app/settings_store.h"
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The fields a change sets (CP932 texts); those not given keep their values.
struct RuleFields {
    std::optional<std::string> FindText;
    std::optional<std::string> FindTextCh;
    std::optional<std::string> RenameText;
    std::optional<std::string> SyoboFind;
    std::optional<std::string> SyoboFindCh;
    std::optional<std::string> SyoboFindSt;
    std::optional<std::int32_t> SyoboTT;
    std::optional<std::int32_t> SyoboNB;
    std::optional<std::int32_t> SyoboSB;
    std::optional<std::int32_t> SyoboCH;
    std::optional<std::vector<NumberingEntry>> Numbering;
};

// Sets the given fields as the rule edit dialog would: the type follows the
// patterns, the numbering entries are put in the dialog's order.
void apply_rule_fields(RenameRule& rule, const RuleFields& fields);

// Why `index` names no rule of the list ("no rule 5: there are 3 rules"),
// or nullopt when it names one.
std::optional<std::string> no_such_rule(const RuleList& rules, std::size_t index);

// What an operation did. Indices are those of `rules`.
struct RuleChange {
    // An error: nothing was changed (see `refused`; `busy` when the lock
    // stayed held by another process).
    Status update;
    std::string refused;  // why the operation could not be done as asked; nothing was changed
    RuleList rules;       // the rules as stored afterwards, in the order they are tried
    std::vector<std::size_t> changed;    // the rules added, edited or moved
    std::optional<std::size_t> sameAs;   // add: the rule already there that it repeats
    ImportResult imported;               // import: lines added, repeated and skipped
    std::vector<ShadowedRule> shadowed;  // rules never reached, of pairs `changed` is part of
};

// Adds a rule made of `fields`, over a copy of the rule at `from` when one is
// given. A rule the same as one already there is not added (`sameAs`); one
// without a find text and a station is refused.
RuleChange add_rule(const std::string& settings_path, std::optional<std::size_t> from,
                    const RuleFields& fields, const LockWait& wait = {});

// Adds the rules of a rule exchange file (CP932 bytes), as the rule list
// dialog's import does: lines that repeat a rule are not added again.
RuleChange import_rule_file(const std::string& settings_path, std::string_view cp932_bytes,
                            const LockWait& wait = {});

// Changes the given fields of the rule at `index`; it keeps its section of
// the settings file and takes its place in the rule order anew.
RuleChange edit_rule(const std::string& settings_path, std::size_t index, const RuleFields& fields,
                     const LockWait& wait = {});

// Removes the rules at `indices` (all or none).
RuleChange remove_rules(const std::string& settings_path, std::vector<std::size_t> indices,
                        const LockWait& wait = {});

// Moves the rule at `index` to `to`. Rules are tried in the order of their
// patterns, so a rule can only move among those with the same patterns: which
// of them comes first, the one that ever matches, is the user's to choose.
RuleChange move_rule(const std::string& settings_path, std::size_t index, std::size_t to,
                     const LockWait& wait = {});

}  // namespace kalvento
