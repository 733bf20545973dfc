#include "cli/rules_command.h"

#include "app/settings_store.h"
#include "app/side_files.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "platform/file_io.h"
#include "platform/file_ops.h"
#include "platform/profile_file.h"
#include "rules/rule_row_text.h"
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <iostream>
#include <iterator>

namespace kalvento::cli {
namespace {

// An exchange file larger than this is surely not one.
constexpr std::size_t kExchangeFileMaxBytes = 64u * 1024u * 1024u;

void print_rules(const RuleList& rules) {
    // One rule per line, the columns of the rule list separated by tabs.
    for (const RenameRule& rule : rules) {
        std::cout << utf8_for_output(find_type_name(rule.FindType)) << '\t'
                  << utf8_for_output(rule_search_text(rule)) << '\t'
                  << utf8_for_output(rule.RenameText) << '\t' << utf8_for_output(rule.SyoboFind)
                  << '\t' << utf8_for_output(numbering_summary(rule)) << '\n';
    }
}

// Adds the rules of an exchange file to the settings file, under its lock,
// to the rules as they are when the lock is held.
int import_file(const std::string& settings_path, const std::string& path) {
    const FileRead file = read_small_file(path, kExchangeFileMaxBytes);
    if (!file.ok()) {
        std::cerr << "kalvento-cli: cannot read the rule file " << path << ": " << file.error
                  << "\n";
        return kExitSomeFailed;
    }
    ImportResult result;
    const SettingsUpdate update =
        update_settings_file(settings_path, [&](ProfileFile& profile, std::string&) {
            const RuleList current = load_rules(profile);
            RuleList working = current;
            result = import_rules(working, file.bytes);
            if (result.added > 0) save_rules(profile, current, working);
            return true;
        });
    if (!update.ok) {
        std::cerr << "kalvento-cli: rules not imported: " << update.error << "\n";
        return kExitSomeFailed;
    }
    std::cout << result.added << (result.added == 1 ? " rule" : " rules") << " added\n";
    return kExitDone;
}

// Writes the exchange file through a temporary file, never onto the settings
// file itself.
int export_file(const RuleList& rules, const std::string& settings_path, const std::string& path) {
    if (same_file(path, settings_path)) {
        std::cerr << "kalvento-cli: not exported: " << path
                  << " is the settings file; choose another file\n";
        return kExitSomeFailed;
    }
    std::string bytes;
    for (const RenameRule& rule : rules) bytes += format_export_line(rule);
    const FileWrite written = replace_file(path, bytes);
    if (!written.ok()) {
        std::cerr << "kalvento-cli: cannot write the rule file: " << written.error << "\n";
        return kExitSomeFailed;
    }
    std::cout << rules.size() << (rules.size() == 1 ? " rule" : " rules") << " exported\n";
    return kExitDone;
}

}  // namespace

CLI::App* add_rules_command(CLI::App& app, RulesOptions& options) {
    CLI::App* command = app.add_subcommand(
        "rules", "List, import or export the rename rules of the settings file (kalvento.ini).");
    command->require_subcommand(1);
    command
        ->add_subcommand("list",
                         "Print the rules in the order they are tried (type, pattern, template, "
                         "schedule search word, first numbering entry), tab-separated")
        ->callback([&options] { options.action = RulesAction::list; });
    CLI::App* import_command = command->add_subcommand(
        "import",
        "Add the rules of a rule exchange file (tab-separated lines, CP932) and save them");
    import_command->add_option("FILE", options.file, "Rule exchange file")->required();
    import_command->callback([&options] { options.action = RulesAction::import; });
    CLI::App* export_command = command->add_subcommand(
        "export", "Write every rule to a rule exchange file (CP932, CR LF)");
    export_command
        ->add_option("FILE", options.file, "Rule exchange file; an existing file is replaced")
        ->required();
    export_command->callback([&options] { options.action = RulesAction::exportRules; });
    return command;
}

int run_rules(const RulesOptions& options, const char* argv0) {
    const SideFiles side_files = locate_side_files(argv0);
    std::string problem;
    if (const auto unusable = unusable_directory(side_files.directory))
        problem = "cannot read the settings directory " + side_files.directory + ": " + *unusable;
    const ProfileFile profile = ProfileFile::load(side_files.settingsFile);
    if (problem.empty() && !profile.load_result().ok()) problem = profile.load_result().message;
    if (!problem.empty()) {
        std::cerr << "kalvento-cli: " << problem << "\n";
        return kExitUsage;
    }
    switch (options.action) {
        case RulesAction::list:
            print_rules(load_rules(profile));
            return kExitDone;
        case RulesAction::import:
            return import_file(side_files.settingsFile, options.file);
        case RulesAction::exportRules:
            return export_file(load_rules(profile), side_files.settingsFile, options.file);
        case RulesAction::none:
            break;
    }
    return kExitUsage;
}

}  // namespace kalvento::cli
