#include "cli/name_template.h"

#include "cli/json_output.h"
#include "cli/text_arguments.h"
#include "cli/translation.h"
#include "naming/entry_paths.h"
#include "rules/rule_engine.h"
#include "rules/template_check.h"

#include <iostream>

namespace kalvento::cli {

void add_template_option(CLI::App& command, std::optional<std::string>& utf8_template,
                         const std::string& what_it_does) {
    command.add_option("--template", utf8_template, what_it_does)->type_name("TEXT");
}

std::optional<std::string> template_argument(const std::string& utf8_template, std::string& error) {
    if (utf8_template.empty()) {
        error = _("--template: an empty template gives no name");
        return std::nullopt;
    }
    return cp932_argument(utf8_template, "--template", error);
}

void warn_about_template(const std::string& cp932_template) {
    for (const std::string& stray : stray_macros(cp932_template)) {
        std::cerr << "kalvento-cli: " << _("warning: ")
                  << "--template: " << utf8_for_output(stray_macro_warning(stray)) << "\n";
    }
}

RuleStep template_rule_step(std::string cp932_template) {
    return [text = std::move(cp932_template)](FileEntry& entry, ProgramInfo& candidate,
                                              std::string& result) {
        result.clear();
        RuleNotes notes;
        apply_template(entry.currentName, candidate, text, result, &notes);
        entry.ruleWarnings = std::move(notes.warnings);
        entry.decision = std::move(notes.decision);
        return true;
    };
}

NamingSettings template_naming(NamingSettings naming) {
    naming.ombrixRename = true;
    return naming;
}

std::vector<std::string> names_by_template(const std::string& native_path,
                                           const std::vector<ProgramInfo>& candidates,
                                           const std::string& cp932_template) {
    const RuleStep step = template_rule_step(cp932_template);
    const NamingSettings naming = template_naming({});
    const FileEntry entry = make_file_entry(native_path, candidates);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        // @C, @R and @MST edit the candidate they name: each name is made on a copy.
        FileEntry copy = entry;
        copy.selected = static_cast<int>(i);
        compose_entry(copy, naming, step);
        names.push_back(copy.newName);
    }
    return names;
}

}  // namespace kalvento::cli
