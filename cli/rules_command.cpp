#include "cli/rules_command.h"

#include "app/rule_management.h"
#include "app/side_files.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/lock_option.h"
#include "cli/rule_exchange.h"
#include "cli/rule_file_text.h"
#include "cli/rule_output.h"
#include "cli/translation.h"
#include "platform/file_ops.h"
#include "platform/profile_file.h"
#include "rules/rule_store.h"

#include <algorithm>
#include <charconv>
#include <iostream>

namespace kalvento::cli {
namespace {

// Adds one rule from the command line, as the rule edit dialog would, over a
// copy of rule --from when one is named.
int add_one(const std::string& settings_path, const RulesOptions& options) {
    if (!options.from && !options.fields.templateText) {
        std::cerr << "kalvento-cli: "
                  << _("rules add needs --template (or --from N to start from rule N)") << "\n";
        return kExitUsage;
    }
    std::string error;
    const auto fields = rule_fields_from(options.fields, error);
    if (!fields) {
        std::cerr << "kalvento-cli: " << error << "\n";
        return kExitUsage;
    }
    std::optional<std::size_t> from;
    if (options.from) from = *options.from - 1;
    const RuleChange change =
        add_rule(settings_path, from, *fields, lock_wait_for(options.lockTimeout));
    if (!change.update) return refused_change(change, _("rule not added"));
    if (change.sameAs) {
        std::cerr << fill(_("rule not added: rule %s is the same rule"),
                          {std::to_string(*change.sameAs + 1)})
                  << "\n";
        return kExitDone;
    }
    std::cerr << fill(_("rule %s added"), {std::to_string(change.changed.front() + 1)}) << "\n";
    warn_about_change(change.rules, change.changed, change.shadowed);
    return kExitDone;
}

int edit_one(const std::string& settings_path, const RulesOptions& options) {
    if (!any_rule_field(options.fields)) {
        std::cerr << "kalvento-cli: rules edit: "
                  << _("name a field to change, such as --template (\"kalvento-cli help rules "
                       "edit\")")
                  << "\n";
        return kExitUsage;
    }
    std::string error;
    const auto fields = rule_fields_from(options.fields, error);
    if (!fields) {
        std::cerr << "kalvento-cli: " << error << "\n";
        return kExitUsage;
    }
    const std::size_t number = options.numbers.front();
    const RuleChange change =
        edit_rule(settings_path, number - 1, *fields, lock_wait_for(options.lockTimeout));
    if (!change.update) return refused_change(change, _("rule not changed"));
    const std::size_t now = change.changed.front() + 1;
    std::cerr << (now != number ? fill(_("rule %s changed, now rule %s"),
                                       {std::to_string(number), std::to_string(now)})
                                : fill(_("rule %s changed"), {std::to_string(number)}))
              << "\n";
    warn_about_change(change.rules, change.changed, change.shadowed);
    return kExitDone;
}

int remove_some(const std::string& settings_path, const RulesOptions& options) {
    std::vector<std::size_t> indices;
    for (const std::size_t number : options.numbers) indices.push_back(number - 1);
    const RuleChange change =
        remove_rules(settings_path, indices, lock_wait_for(options.lockTimeout));
    if (!change.update) return refused_change(change, _("rules not removed"));
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::cerr << fill(indices.size() == 1 ? _("%s rule removed") : _("%s rules removed"),
                      {std::to_string(indices.size())})
              << "\n";
    return kExitDone;
}

int move_one(const std::string& settings_path, const RulesOptions& options) {
    const std::size_t number = options.numbers.front();
    const RuleChange change =
        move_rule(settings_path, number - 1, options.to - 1, lock_wait_for(options.lockTimeout));
    if (!change.update) return refused_change(change, _("rule not moved"));
    std::cerr << fill(_("rule %s is now rule %s"),
                      {std::to_string(number), std::to_string(options.to)})
              << "\n";
    warn_about_change(change.rules, {}, change.shadowed, false);
    return kExitDone;
}

int list_rules(const RuleList& rules, bool json) {
    for (std::size_t i = 0; i < rules.size(); ++i)
        std::cout << (json ? json_line(rule_json(rules, i)) : rule_list_line(rules, i)) << "\n";
    return kExitDone;
}

int show_rule(const RuleList& rules, std::size_t number, bool json) {
    if (const auto missing = no_such_rule(rules, number - 1)) {
        std::cerr << "kalvento-cli: " << *missing << "\n";
        return kExitUsage;
    }
    std::cout << (json ? json_line(rule_json(rules, number - 1)) + "\n"
                       : rule_details(rules, number - 1));
    return kExitDone;
}

}  // namespace

// CLI11 check of --encoding; `with_auto` allows detection (import only).
CLI::Validator encoding_check(bool with_auto) {
    return CLI::Validator(
        [with_auto](const std::string& value) {
            const auto encoding = rule_file_encoding(value);
            if (encoding && (with_auto || *encoding != RuleFileEncoding::automatic))
                return std::string();
            return with_auto ? _("give auto, utf-8 or cp932") : _("give utf-8 or cp932");
        },
        "ENCODING");
}

// CLI11 check of a rule number: rules count from 1.
CLI::Validator rule_number_check() {
    return CLI::Validator(
        [](const std::string& value) {
            std::size_t number = 0;
            const auto [end, problem] =
                std::from_chars(value.data(), value.data() + value.size(), number);
            if (problem == std::errc() && end == value.data() + value.size() && number >= 1)
                return std::string();
            return fill(_("\"%s\" is no rule number (rules list numbers them from 1)"), {value});
        },
        "");
}

CLI::App* add_rules_command(CLI::App& app, RulesOptions& options) {
    CLI::App* command = app.add_subcommand(
        "rules",
        _("List, show, add, edit, remove, move, import or export the rename rules of the settings\n"
          "file (kalvento.ini). Rules are numbered from 1 in the order they are tried."));
    command->require_subcommand(1);
    const auto set_action = [&options](CLI::App* sub, RulesAction action) {
        sub->callback([&options, action] { options.action = action; });
    };
    const auto add_number = [&options](CLI::App* sub, const std::string& what) {
        sub->add_option("NUMBER", options.numbers, what)
            ->required()
            ->expected(1)
            ->check(rule_number_check());
    };

    CLI::App* list = command->add_subcommand(
        "list", _("Print the rules in the order they are tried: number, type, pattern, template,\n"
                  "schedule title, first numbering entry, tab-separated"));
    list->add_flag("--json", options.json,
                   _("One JSON object per rule and line (UTF-8), every field"));
    set_action(list, RulesAction::list);

    CLI::App* show = command->add_subcommand("show", _("Print every field of rule NUMBER"));
    add_number(show, _("The number of the rule, as rules list shows it"));
    show->add_flag("--json", options.json, _("One JSON object (UTF-8)"));
    set_action(show, RulesAction::show);

    CLI::App* add = command->add_subcommand(
        "add",
        _("Add one rule: the programmes whose name matches --find and/or whose station matches\n"
          "--channel (regular expressions) are named by --template. A rule the same as one\n"
          "already there is not added again"));
    add->add_option("--from", options.from,
                    _("Start from a copy of rule NUMBER; the options given change the copy"))
        ->type_name("NUMBER")
        ->check(rule_number_check());
    add_rule_field_options(*add, options.fields);
    add_lock_timeout_option(*add, options.lockTimeout);
    set_action(add, RulesAction::add);

    CLI::App* edit = command->add_subcommand(
        "edit", _("Change the fields of rule NUMBER that the options name; the others stay"));
    add_number(edit, _("The number of the rule, as rules list shows it"));
    add_rule_field_options(*edit, options.fields);
    add_lock_timeout_option(*edit, options.lockTimeout);
    set_action(edit, RulesAction::edit);

    CLI::App* remove = command->add_subcommand("remove", _("Remove the rules with these numbers"));
    remove
        ->add_option("NUMBER", options.numbers,
                     _("The numbers of the rules, as rules list shows them"))
        ->required()
        ->check(rule_number_check());
    add_lock_timeout_option(*remove, options.lockTimeout);
    set_action(remove, RulesAction::remove);

    CLI::App* move = command->add_subcommand(
        "move",
        _("Move rule NUMBER to place --to among the rules with the same patterns, to choose which\n"
          "of them matches (the others never do); rules are otherwise tried in the order of their\n"
          "patterns, longer ones first"));
    add_number(move, _("The number of the rule, as rules list shows it"));
    move->add_option("--to", options.to, _("Its new number"))
        ->type_name("NUMBER")
        ->required()
        ->check(rule_number_check());
    add_lock_timeout_option(*move, options.lockTimeout);
    set_action(move, RulesAction::move);

    CLI::App* import_command = command->add_subcommand(
        "import",
        _("Add the rules of a rule exchange file (tab-separated lines) and save them. UTF-8 (with "
          "a\n"
          "byte-order mark, or valid UTF-8 with non-ASCII text) and CP932 are told apart by\n"
          "themselves, UTF-16 by its byte-order mark; lines that give no rule, or whose values\n"
          "are longer than a rule keeps, are named with the reason, and so are lines whose rule\n"
          "is there already (not added again)"));
    import_command->add_option("FILE", options.file, _("Rule exchange file; - for standard input"))
        ->required();
    import_command
        ->add_option("--encoding", options.encoding,
                     _("auto (the default), utf-8 or cp932: how the file is written"))
        ->check(encoding_check(true));
    add_lock_timeout_option(*import_command, options.lockTimeout);
    set_action(import_command, RulesAction::import);

    CLI::App* export_command = command->add_subcommand(
        "export", _("Write every rule to a rule exchange file (CR LF lines, CP932 unless asked)"));
    export_command
        ->add_option("FILE", options.file,
                     _("Rule exchange file, replaced when it exists; - for standard output"))
        ->required();
    export_command
        ->add_option("--encoding", options.encoding,
                     _("cp932 (the default, as on Windows) or utf-8"))
        ->check(encoding_check(false));
    set_action(export_command, RulesAction::exportRules);
    return command;
}

int run_rules(const RulesOptions& options, const char* argv0) {
    const SideFiles side_files = locate_side_files(argv0);
    std::string problem;
    if (const auto unusable = unusable_directory(side_files.directory))
        problem = fill(_("cannot read the settings directory %s: %s"),
                       {side_files.directory, shown(*unusable)});
    const ProfileFile profile = ProfileFile::load(side_files.settingsFile);
    if (problem.empty() && !profile.load_result().ok())
        problem = shown(profile.load_result().message);
    if (!problem.empty()) {
        std::cerr << "kalvento-cli: " << problem << "\n";
        return kExitUsage;
    }
    const std::string& settings = side_files.settingsFile;
    switch (options.action) {
        case RulesAction::list:
            return list_rules(load_rules(profile), options.json);
        case RulesAction::show:
            return show_rule(load_rules(profile), options.numbers.front(), options.json);
        case RulesAction::import:
            return import_file(settings, options.file,
                               rule_file_encoding(options.encoding.value_or("auto"))
                                   .value_or(RuleFileEncoding::automatic),
                               lock_wait_for(options.lockTimeout));
        case RulesAction::exportRules:
            return export_file(load_rules(profile), settings, options.file,
                               rule_file_encoding(options.encoding.value_or("cp932"))
                                   .value_or(RuleFileEncoding::cp932));
        case RulesAction::add:
            return add_one(settings, options);
        case RulesAction::edit:
            return edit_one(settings, options);
        case RulesAction::remove:
            return remove_some(settings, options);
        case RulesAction::move:
            return move_one(settings, options);
        case RulesAction::none:
            break;
    }
    return kExitUsage;
}

}  // namespace kalvento::cli
