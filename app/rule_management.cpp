#include "app/rule_management.h"

#include "app/numbering_edit.h"

#include <algorithm>
#include <functional>
#include <map>

namespace kalvento {
namespace {

enum class Outcome { refused, unchanged, changed };

// Where the rules of a working copy stand once saved and loaded again.
struct Saved {
    RuleList rules;                        // as the next load reads them
    std::vector<std::size_t> fromWorking;  // index in `rules` of each rule of the working copy
};

// Saves the working copy and reads the rules back as the next start will: of
// rules with the same patterns, the one in the lower section comes first.
Saved save_and_reload(ProfileFile& profile, const RuleList& current, const RuleList& working) {
    const RuleList store = save_rules(profile, current, working);
    Saved saved;
    saved.rules = load_rules(profile);
    std::map<std::int32_t, std::size_t> index_of_section;
    for (std::size_t i = 0; i < saved.rules.size(); ++i)
        index_of_section.emplace(saved.rules[i].SectionIndex, i);
    for (const RenameRule& rule : store)
        saved.fromWorking.push_back(index_of_section[rule.SectionIndex]);
    return saved;
}

std::string rule_count_text(std::size_t count) {
    return count == 1 ? "there is 1 rule" : "there are " + std::to_string(count) + " rules";
}

std::optional<std::string> patternless(const RenameRule& rule) {
    if (!rule.FindText.empty() || !rule.FindTextCh.empty()) return std::nullopt;
    return std::string("a rule needs a find text, a station or both");
}

// Runs `change` on the rules of the settings file under the lock and saves
// them when it changed them. The rules it marks Modified are `changed`.
RuleChange change_rules(const std::string& path, const LockWait& wait,
                        const std::function<Outcome(RuleList& working, RuleChange& report)>& change,
                        const std::function<void(const Saved&, RuleChange&)>& place = {}) {
    RuleChange report;
    report.update = update_settings_file(
        path,
        [&](ProfileFile& profile) -> Status {
            const RuleList current = load_rules(profile);
            RuleList working = current;
            report.rules = current;
            const Outcome outcome = change(working, report);
            if (outcome == Outcome::refused) return Error{ErrorCode::invalid, report.refused};
            if (outcome == Outcome::unchanged) return {};
            const Saved saved = save_and_reload(profile, current, working);
            report.rules = saved.rules;
            report.changed.clear();
            for (std::size_t i = 0; i < working.size(); ++i)
                if (working[i].Modified != 0) report.changed.push_back(saved.fromWorking[i]);
            std::sort(report.changed.begin(), report.changed.end());
            if (place) place(saved, report);
            return {};
        },
        wait);
    for (const ShadowedRule& pair : shadowed_rules(report.rules)) {
        const auto touched = [&](std::size_t i) {
            return std::binary_search(report.changed.begin(), report.changed.end(), i);
        };
        if (touched(pair.rule) || touched(pair.by)) report.shadowed.push_back(pair);
    }
    return report;
}

}  // namespace

std::optional<std::string> no_such_rule(const RuleList& rules, std::size_t index) {
    if (index < rules.size()) return std::nullopt;
    return "no rule " + std::to_string(index + 1) + ": " + rule_count_text(rules.size());
}

void apply_rule_fields(RenameRule& rule, const RuleFields& fields) {
    const auto set = [](auto& field, const auto& value) {
        if (value) field = *value;
    };
    set(rule.FindText, fields.FindText);
    set(rule.FindTextCh, fields.FindTextCh);
    set(rule.RenameText, fields.RenameText);
    set(rule.SyoboFind, fields.SyoboFind);
    set(rule.SyoboFindCh, fields.SyoboFindCh);
    set(rule.SyoboFindSt, fields.SyoboFindSt);
    set(rule.SyoboTT, fields.SyoboTT);
    set(rule.SyoboNB, fields.SyoboNB);
    set(rule.SyoboSB, fields.SyoboSB);
    set(rule.SyoboCH, fields.SyoboCH);
    if (fields.Numbering) {
        rule.Numbering = *fields.Numbering;
        sort_numbering_entries(rule.Numbering);
    }
    derive_find_type(rule);
}

RuleChange add_rule(const std::string& settings_path, std::optional<std::size_t> from,
                    const RuleFields& fields, const LockWait& wait) {
    return change_rules(settings_path, wait, [&](RuleList& working, RuleChange& report) {
        RenameRule rule;
        reset_rule(rule);
        if (from) {
            if (auto missing = no_such_rule(working, *from)) {
                report.refused = "--from: " + *missing;
                return Outcome::refused;
            }
            rule = working[*from];
        }
        apply_rule_fields(rule, fields);
        if (auto problem = patternless(rule)) {
            report.refused = std::move(*problem);
            return Outcome::refused;
        }
        const auto same =
            std::find_if(working.begin(), working.end(),
                         [&](const RenameRule& other) { return same_rule(other, rule); });
        if (same != working.end()) {
            report.sameAs = static_cast<std::size_t>(same - working.begin());
            return Outcome::unchanged;
        }
        add_new_rule(working, std::move(rule));
        return Outcome::changed;
    });
}

RuleChange import_rule_file(const std::string& settings_path, std::string_view cp932_bytes,
                            const LockWait& wait) {
    return change_rules(
        settings_path, wait,
        [&](RuleList& working, RuleChange& report) {
            report.imported = import_rules(working, cp932_bytes);
            return report.imported.added > 0 ? Outcome::changed : Outcome::unchanged;
        },
        [](const Saved& saved, RuleChange& report) {
            // The import counted in the working copy's order.
            ImportResult& imported = report.imported;
            imported.lastIndex = saved.fromWorking[imported.lastIndex];
            for (DuplicateLine& line : imported.duplicates)
                line.rule = saved.fromWorking[line.rule];
        });
}

RuleChange edit_rule(const std::string& settings_path, std::size_t index, const RuleFields& fields,
                     const LockWait& wait) {
    return change_rules(settings_path, wait, [&](RuleList& working, RuleChange& report) {
        if (auto missing = no_such_rule(working, index)) {
            report.refused = std::move(*missing);
            return Outcome::refused;
        }
        RenameRule rule = working[index];
        apply_rule_fields(rule, fields);
        if (auto problem = patternless(rule)) {
            report.refused = std::move(*problem);
            return Outcome::refused;
        }
        replace_rule(working, index, std::move(rule));
        return Outcome::changed;
    });
}

RuleChange remove_rules(const std::string& settings_path, std::vector<std::size_t> indices,
                        const LockWait& wait) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return change_rules(settings_path, wait, [&](RuleList& working, RuleChange& report) {
        for (const std::size_t index : indices) {
            if (auto missing = no_such_rule(working, index)) {
                report.refused = std::move(*missing);
                return Outcome::refused;
            }
        }
        for (auto at = indices.rbegin(); at != indices.rend(); ++at)
            working.erase(working.begin() + static_cast<std::ptrdiff_t>(*at));
        return Outcome::changed;
    });
}

RuleChange move_rule(const std::string& settings_path, std::size_t index, std::size_t to,
                     const LockWait& wait) {
    return change_rules(settings_path, wait, [&](RuleList& working, RuleChange& report) {
        for (const std::size_t wanted : {index, to}) {
            if (auto missing = no_such_rule(working, wanted)) {
                report.refused = std::move(*missing);
                return Outcome::refused;
            }
        }
        // The run of rules with the same patterns (the list is in rule order).
        std::size_t first = index;
        while (first > 0 && compare_rule_order(working[first - 1], working[index]) == 0) --first;
        std::size_t last = index;
        while (last + 1 < working.size() &&
               compare_rule_order(working[last + 1], working[index]) == 0)
            ++last;
        if (to < first || to > last) {
            const std::string number = std::to_string(index + 1);
            report.refused =
                "rules are tried in the order of their patterns (longer ones first), so rule " +
                number + " can only move among the rules with the same patterns" +
                (first == last
                     ? std::string(", and it has none")
                     : ": " + std::to_string(first + 1) + " to " + std::to_string(last + 1));
            return Outcome::refused;
        }
        if (to == index) return Outcome::unchanged;
        // Of rules with the same patterns the one in the lower section is read
        // first: the run keeps its sections, handed out in the new order.
        std::vector<std::int32_t> sections;
        for (std::size_t i = first; i <= last; ++i) sections.push_back(working[i].SectionIndex);
        std::sort(sections.begin(), sections.end());
        RenameRule moving = working[index];
        working.erase(working.begin() + static_cast<std::ptrdiff_t>(index));
        working.insert(working.begin() + static_cast<std::ptrdiff_t>(to), std::move(moving));
        for (std::size_t i = first; i <= last; ++i) {
            RenameRule& rule = working[i];
            if (rule.SectionIndex == sections[i - first]) continue;
            rule.SectionIndex = sections[i - first];
            rule.Modified = 1;
        }
        return Outcome::changed;
    });
}

}  // namespace kalvento
