#include "cli/rule_output.h"

#include "app/rule_management.h"

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/translation.h"
#include "rules/numbering_entry_text.h"
#include "rules/rule_row_text.h"
#include "rules/rule_text_forms.h"
#include "rules/template_check.h"

#include <algorithm>
#include <iostream>
#include <optional>

namespace kalvento::cli {
namespace {

std::string number_of(std::size_t index) {
    return std::to_string(index + 1);
}

// The rule before `index` with the same patterns, which always matches first.
std::optional<std::size_t> shadowed_by(const RuleList& rules, std::size_t index) {
    std::optional<std::size_t> by;
    for (std::size_t i = index; i > 0 && compare_rule_order(rules[i - 1], rules[index]) == 0; --i)
        by = i - 1;
    return by;
}

// The patterns as messages quote them: "find text" / "station".
std::string quoted_patterns(const RenameRule& rule) {
    std::string text;
    if (rule.FindType != kFindStation) text = "\"" + utf8_for_output(rule.FindText) + "\"";
    if (rule.FindType != kFindProgramme)
        text += (text.empty() ? "" : " / ") + ("\"" + utf8_for_output(rule.FindTextCh) + "\"");
    return text;
}

std::string shadow_warning(const RuleList& rules, std::size_t index, std::size_t by) {
    return "can never match: rule " + number_of(by) + " has the same patterns (" +
           quoted_patterns(rules[index]) + ") and is tried first";
}

}  // namespace

std::string rule_list_line(const RuleList& rules, std::size_t index) {
    const RenameRule& rule = rules[index];
    return number_of(index) + '\t' + utf8_for_output(find_type_name(rule.FindType)) + '\t' +
           utf8_for_output(rule_search_text(rule)) + '\t' + utf8_for_output(rule.RenameText) +
           '\t' + utf8_for_output(rule.SyoboFind) + '\t' + utf8_for_output(numbering_summary(rule));
}

std::string rule_details(const RuleList& rules, std::size_t index) {
    const RenameRule& rule = rules[index];
    const auto& names = kExchangeFieldNames;
    std::string text;
    const auto line = [&text](std::string_view name, const std::string& value) {
        text.append(name).append(":");
        if (!value.empty())
            text.append(std::string(name.size() < 18 ? 18 - name.size() : 1, ' ')).append(value);
        text += "\n";
    };
    const auto on_off = [](std::int32_t flag) { return std::string(flag != 0 ? "on" : "off"); };
    line("number", number_of(index));
    line("type", utf8_for_output(find_type_name(rule.FindType)));
    line(names[0], utf8_for_output(rule.FindText));
    line(names[1], utf8_for_output(rule.FindTextCh));
    line(names[2], utf8_for_output(rule.RenameText));
    line(names[3], utf8_for_output(rule.SyoboFind));
    line(names[4], utf8_for_output(rule.SyoboFindCh));
    line(names[5], utf8_for_output(rule.SyoboFindSt));
    line(names[6], on_off(rule.SyoboTT));
    line(names[7], on_off(rule.SyoboNB));
    line(names[8], on_off(rule.SyoboSB));
    line(names[9], on_off(rule.SyoboCH));
    if (rule.Numbering.empty()) line("numbering", "");
    for (const NumberingEntry& entry : rule.Numbering)
        line("numbering", numbering_entry_text(entry));
    for (const std::string& warning : rule_warnings(rules, index)) line("warning", warning);
    return text;
}

nlohmann::ordered_json rule_json(const RuleList& rules, std::size_t index) {
    const RenameRule& rule = rules[index];
    nlohmann::ordered_json json;
    json["number"] = index + 1;
    json["FindText"] = utf8_for_output(rule.FindText);
    json["FindTextCh"] = utf8_for_output(rule.FindTextCh);
    json["FindType"] = rule.FindType;
    json["RenameText"] = utf8_for_output(rule.RenameText);
    json["SyoboFind"] = utf8_for_output(rule.SyoboFind);
    json["SyoboFindCh"] = utf8_for_output(rule.SyoboFindCh);
    json["SyoboFindSt"] = utf8_for_output(rule.SyoboFindSt);
    json["SyoboTT"] = rule.SyoboTT;
    json["SyoboNB"] = rule.SyoboNB;
    json["SyoboSB"] = rule.SyoboSB;
    json["SyoboCH"] = rule.SyoboCH;
    json["Numbering"] = nlohmann::ordered_json::array();
    for (const NumberingEntry& entry : rule.Numbering) {
        nlohmann::ordered_json shown;
        shown["StartTime"] = entry.StartTime;
        shown["StartNo"] = entry.StartNo;
        shown["WeekCheck"] = entry.WeekCheck;
        shown["entry"] = numbering_entry_text(entry);
        json["Numbering"].push_back(shown);
    }
    json["SectionIndex"] = rule.SectionIndex;
    const auto by = shadowed_by(rules, index);
    json["shadowedBy"] = by ? nlohmann::ordered_json(*by + 1) : nlohmann::ordered_json();
    json["warnings"] = rule_warnings(rules, index);
    return json;
}

std::vector<std::string> rule_warnings(const RuleList& rules, std::size_t index) {
    std::vector<std::string> warnings;
    if (const auto by = shadowed_by(rules, index))
        warnings.push_back(shadow_warning(rules, index, *by));
    for (const std::string& stray : stray_macros(rules[index].RenameText))
        warnings.push_back("template: " + utf8_for_output(stray_macro_warning(stray)));
    return warnings;
}

void warn_about_change(const RuleList& rules, const std::vector<std::size_t>& changed,
                       const std::vector<ShadowedRule>& shadowed, bool hint) {
    for (const std::size_t index : changed) {
        for (const std::string& stray : stray_macros(rules[index].RenameText)) {
            std::cerr << "kalvento-cli: " << _("warning: ")
                      << fill(_("rule %s: template: "), {number_of(index)})
                      << utf8_for_output(stray_macro_warning(stray)) << "\n";
        }
    }
    for (const ShadowedRule& pair : shadowed) {
        std::cerr << "kalvento-cli: " << _("warning: ")
                  << fill(_("rule %s can never match: rule %s has the same patterns (%s) and is "
                            "tried first"),
                          {number_of(pair.rule), number_of(pair.by),
                           quoted_patterns(rules[pair.rule])});
        if (hint && std::find(changed.begin(), changed.end(), pair.rule) != changed.end()) {
            std::cerr << fill(_("; \"rules move %s --to %s\" puts it first"),
                              {number_of(pair.rule), number_of(pair.by)});
        }
        std::cerr << "\n";
    }
}

int refused_change(const RuleChange& change, const std::string& what) {
    if (!change.refused.empty()) {
        std::cerr << "kalvento-cli: " << utf8_for_output(change.refused) << "\n";
        return kExitUsage;
    }
    std::cerr << "kalvento-cli: " << what << ": " << shown(change.update.error().message) << "\n";
    return change.update.error().code == ErrorCode::busy ? kExitTryAgain : kExitSomeFailed;
}

}  // namespace kalvento::cli
