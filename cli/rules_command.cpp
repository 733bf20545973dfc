#include "cli/rules_command.h"

#include "cli/cli_settings.h"
#include "cli/json_output.h"
#include "platform/profile_file.h"
#include "rules/rule_row_text.h"
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace kalvento::cli {
namespace {

// An exchange file larger than this is surely not one.
constexpr std::uintmax_t kExchangeFileMaxBytes = 64u * 1024u * 1024u;

void print_rules(const RuleList& rules) {
    // One rule per line, the columns of the rule list separated by tabs.
    for (const RenameRule& rule : rules) {
        std::cout << utf8_for_output(find_type_name(rule.FindType)) << '\t'
                  << utf8_for_output(rule_search_text(rule)) << '\t'
                  << utf8_for_output(rule.RenameText) << '\t' << utf8_for_output(rule.SyoboFind)
                  << '\t' << utf8_for_output(numbering_summary(rule)) << '\n';
    }
}

bool read_exchange_file(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.clear();
    char buffer[65536];
    while (in && bytes.size() < kExchangeFileMaxBytes) {
        in.read(buffer, sizeof buffer);
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return !in.bad() && bytes.size() < kExchangeFileMaxBytes;
}

int import_file(RuleStore& store, ProfileFile& profile, const std::string& path,
                const std::string& side_file_directory) {
    std::string bytes;
    if (!read_exchange_file(path, bytes)) {
        std::cerr << "kalvento-cli: cannot read the rule file " << path << "\n";
        return 1;
    }
    RuleList working = store.working_copy();
    const ImportResult result = import_rules(working, bytes);
    if (result.added > 0) {
        // The first save of a new user makes ~/.config/kalvento.
        std::string error;
        if (!create_directory_for_saving(side_file_directory, error)) {
            std::cerr << "kalvento-cli: " << error << "\n";
            return 1;
        }
        const ProfileResult saved = store.commit(working, profile);
        if (!saved.ok()) {
            std::cerr << "kalvento-cli: cannot save " << profile.path() << ": " << saved.message
                      << "\n";
            return 1;
        }
    }
    std::cout << result.added << (result.added == 1 ? " rule" : " rules") << " added\n";
    return 0;
}

int export_file(const RuleList& rules, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const RenameRule& rule : rules) out << format_export_line(rule);
    out.close();
    if (!out) {
        std::cerr << "kalvento-cli: cannot write the rule file " << path << "\n";
        return 1;
    }
    std::cout << rules.size() << (rules.size() == 1 ? " rule" : " rules") << " exported\n";
    return 0;
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
    const CliEnvironment environment = load_cli_environment(argv0);
    ProfileFile profile = ProfileFile::load(environment.sideFiles.settingsFile);
    if (!profile.load_result().ok()) {
        std::cerr << "kalvento-cli: cannot read " << profile.path() << ": "
                  << profile.load_result().message << "\n";
        return 1;
    }
    RuleStore store;
    store.load(profile);
    switch (options.action) {
        case RulesAction::list:
            print_rules(store.rules());
            return 0;
        case RulesAction::import:
            return import_file(store, profile, options.file, environment.sideFiles.directory);
        case RulesAction::exportRules:
            return export_file(store.rules(), options.file);
        case RulesAction::none:
            break;
    }
    return 1;
}

}  // namespace kalvento::cli
