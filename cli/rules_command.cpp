#include "cli/rules_command.h"

#include "app/settings_store.h"
#include "app/side_files.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/lock_option.h"
#include "cli/name_template.h"
#include "cli/rule_file_text.h"
#include "cli/text_arguments.h"
#include "platform/file_io.h"
#include "platform/file_ops.h"
#include "platform/profile_file.h"
#include "rules/rule_row_text.h"
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"
#include "text/regex_helpers.h"

#include <algorithm>
#include <iostream>

namespace kalvento::cli {
namespace {

// Lines named with the reason they gave no rule; the rest are counted.
constexpr std::size_t kReasonsShown = 5;

void print_rules(const RuleList& rules) {
    // One rule per line, the columns of the rule list separated by tabs.
    for (const RenameRule& rule : rules) {
        std::cout << utf8_for_output(find_type_name(rule.FindType)) << '\t'
                  << utf8_for_output(rule_search_text(rule)) << '\t'
                  << utf8_for_output(rule.RenameText) << '\t' << utf8_for_output(rule.SyoboFind)
                  << '\t' << utf8_for_output(numbering_summary(rule)) << '\n';
    }
}

// How the command line names an exchange file in messages.
std::string shown_name(const std::string& path) {
    return path == "-" ? "standard input" : path_for_text(path);
}

// The bytes of an exchange file, or of standard input for "-".
FileRead read_exchange_file(const std::string& path) {
    if (path != "-") return read_small_file(path, kExchangeFileMaxBytes);
    FileRead read;
    char buffer[65536];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
        read.bytes.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
        if (read.bytes.size() > kExchangeFileMaxBytes) {
            read.status = ReadStatus::tooLarge;
            read.error = "more than " + std::to_string(kExchangeFileMaxBytes) + " bytes";
            return read;
        }
    }
    read.status = ReadStatus::ok;
    return read;
}

// Why lines gave no rule: the first few, then how many more.
void report_skipped_lines(const std::string& path, std::vector<RefusedLine> problems) {
    std::sort(problems.begin(), problems.end(),
              [](const RefusedLine& a, const RefusedLine& b) { return a.line < b.line; });
    const std::string name = shown_name(path);
    for (std::size_t i = 0; i < problems.size() && i < kReasonsShown; ++i) {
        std::cerr << "kalvento-cli: " << name << ": line " << problems[i].line << ": "
                  << problems[i].reason << "\n";
    }
    if (problems.size() > kReasonsShown) {
        std::cerr << "kalvento-cli: " << name << ": " << problems.size() - kReasonsShown
                  << " more lines skipped\n";
    }
}

// How the import says which encoding it read; nothing for CP932, the native one.
const char* read_as_text(RuleFileEncoding encoding) {
    switch (encoding) {
        case RuleFileEncoding::utf8:
            return " (read as UTF-8)";
        case RuleFileEncoding::utf16le:
        case RuleFileEncoding::utf16be:
            return " (read as UTF-16)";
        default:
            return "";
    }
}

// Adds the rules of an exchange file to the settings file, under its lock,
// to the rules as they are when the lock is held.
int import_file(const std::string& settings_path, const std::string& path,
                RuleFileEncoding encoding, const LockWait& wait) {
    const FileRead file = read_exchange_file(path);
    if (!file.ok()) {
        std::cerr << "kalvento-cli: cannot read the rule file " << shown_name(path) << ": "
                  << file.error << "\n";
        return kExitSomeFailed;
    }
    const DecodedRuleFile decoded = decode_rule_file(file.bytes, encoding);
    ImportResult result;
    const Status update = update_settings_file(
        settings_path,
        [&](ProfileFile& profile) -> Status {
            const RuleList current = load_rules(profile);
            RuleList working = current;
            result = import_rules(working, decoded.cp932);
            if (result.added > 0) save_rules(profile, current, working);
            return {};
        },
        wait);
    if (!update) {
        std::cerr << "kalvento-cli: rules not imported: " << update.error().message << "\n";
        return update.error().code == ErrorCode::busy ? kExitTryAgain : kExitSomeFailed;
    }
    std::vector<RefusedLine> problems = decoded.refused;
    for (const SkippedLine& skipped : result.skipped) {
        problems.push_back({skipped.line, std::to_string(skipped.fields) +
                                              (skipped.fields == 1 ? " field, " : " fields, ") +
                                              std::to_string(kExchangeLeadingFields) +
                                              " expected"});
    }
    report_skipped_lines(path, problems);
    std::cerr << result.added << (result.added == 1 ? " rule" : " rules") << " added"
              << read_as_text(decoded.encoding) << "\n";
    return result.added == 0 && !problems.empty() ? kExitSomeFailed : kExitDone;
}

// Writes the exchange file through a temporary file, never onto the settings
// file itself, or to standard output for "-".
int export_file(const RuleList& rules, const std::string& settings_path, const std::string& path,
                RuleFileEncoding encoding) {
    if (path != "-" && same_file(path, settings_path)) {
        std::cerr << "kalvento-cli: not exported: " << path
                  << " is the settings file; choose another file\n";
        return kExitSomeFailed;
    }
    std::string bytes;
    for (const RenameRule& rule : rules) {
        const auto line = encode_rule_file(format_export_line(rule), encoding);
        if (!line) {
            std::cerr << "kalvento-cli: not exported: the rule \""
                      << utf8_for_output(rule_search_text(rule))
                      << "\" holds bytes that are not CP932 text, so it has no UTF-8 form "
                         "(export with --encoding cp932)\n";
            return kExitSomeFailed;
        }
        bytes += *line;
    }
    if (path == "-") {
        std::cout << bytes;
        std::cout.flush();
    } else {
        const FileWrite written = replace_file(path, bytes);
        if (!written.ok()) {
            std::cerr << "kalvento-cli: cannot write the rule file: " << written.error << "\n";
            return kExitSomeFailed;
        }
    }
    std::cerr << rules.size() << (rules.size() == 1 ? " rule" : " rules") << " exported\n";
    return kExitDone;
}

// A pattern the matcher cannot use would match every programme: refused.
bool usable_pattern(const std::string& cp932_pattern, const char* option) {
    const CheckedExtract checked = regex_extract_checked("", cp932_pattern);
    if (!checked.failed) return true;
    std::cerr << "kalvento-cli: " << option << ": not a usable pattern ("
              << utf8_for_output(checked.text) << ")\n";
    return false;
}

// Adds one rule from the command line, as the rule edit dialog would.
int add_rule(const std::string& settings_path, const RulesOptions& options) {
    std::string error;
    const auto find = cp932_argument(options.find, "--find", error);
    const auto channel = find ? cp932_argument(options.channel, "--channel", error) : std::nullopt;
    const auto rename_text =
        channel ? template_argument(options.templateText, error) : std::nullopt;
    if (!rename_text) {
        std::cerr << "kalvento-cli: " << error << "\n";
        return kExitUsage;
    }
    if (find->empty() && channel->empty()) {
        std::cerr << "kalvento-cli: rules add needs --find, --channel or both\n";
        return kExitUsage;
    }
    if (!usable_pattern(*find, "--find") || !usable_pattern(*channel, "--channel"))
        return kExitUsage;

    RenameRule rule;
    reset_rule(rule);
    rule.FindText = *find;
    rule.FindTextCh = *channel;
    rule.RenameText = *rename_text;
    derive_find_type(rule);
    bool shadowed = false;
    const Status update = update_settings_file(
        settings_path,
        [&](ProfileFile& profile) -> Status {
            const RuleList current = load_rules(profile);
            for (const RenameRule& other : current) {
                shadowed = shadowed ||
                           (other.FindType == rule.FindType && other.FindText == rule.FindText &&
                            other.FindTextCh == rule.FindTextCh);
            }
            RuleList working = current;
            add_new_rule(working, rule);
            save_rules(profile, current, working);
            return {};
        },
        lock_wait_for(options.lockTimeout));
    if (!update) {
        std::cerr << "kalvento-cli: rule not added: " << update.error().message << "\n";
        return update.error().code == ErrorCode::busy ? kExitTryAgain : kExitSomeFailed;
    }
    std::cerr << "1 rule added\n";
    if (shadowed) {
        std::cerr << "kalvento-cli: warning: a rule with the same patterns was there before "
                     "and is tried first\n";
    }
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
            return std::string(with_auto ? "give auto, utf-8 or cp932" : "give utf-8 or cp932");
        },
        "ENCODING");
}

CLI::App* add_rules_command(CLI::App& app, RulesOptions& options) {
    CLI::App* command = app.add_subcommand(
        "rules",
        "List, import, export or add the rename rules of the settings file (kalvento.ini).");
    command->require_subcommand(1);
    command
        ->add_subcommand("list",
                         "Print the rules in the order they are tried (type, pattern, template, "
                         "schedule search word, first numbering entry), tab-separated")
        ->callback([&options] { options.action = RulesAction::list; });
    CLI::App* import_command = command->add_subcommand(
        "import",
        "Add the rules of a rule exchange file (tab-separated lines) and save them. UTF-8 (with a\n"
        "byte-order mark, or valid UTF-8 with non-ASCII text) and CP932 are told apart by\n"
        "themselves, UTF-16 by its byte-order mark; lines that give no rule, or whose values\n"
        "are longer than a rule keeps, are named with the reason");
    import_command->add_option("FILE", options.file, "Rule exchange file; - for standard input")
        ->required();
    import_command
        ->add_option("--encoding", options.encoding,
                     "auto (the default), utf-8 or cp932: how the file is written")
        ->check(encoding_check(true));
    add_lock_timeout_option(*import_command, options.lockTimeout);
    import_command->callback([&options] { options.action = RulesAction::import; });
    CLI::App* export_command = command->add_subcommand(
        "export", "Write every rule to a rule exchange file (CR LF lines, CP932 unless asked)");
    export_command
        ->add_option("FILE", options.file,
                     "Rule exchange file, replaced when it exists; - for standard output")
        ->required();
    export_command
        ->add_option("--encoding", options.encoding, "cp932 (the default, as on Windows) or utf-8")
        ->check(encoding_check(false));
    export_command->callback([&options] { options.action = RulesAction::exportRules; });
    CLI::App* add_command = command->add_subcommand(
        "add",
        "Add one rule: the programmes whose name matches --find and/or whose station matches\n"
        "--channel (regular expressions) are named by --template");
    add_command->add_option("--find", options.find, "Pattern for the programme name (UTF-8)")
        ->type_name("PATTERN");
    add_command->add_option("--channel", options.channel, "Pattern for the station name (UTF-8)")
        ->type_name("PATTERN");
    add_command
        ->add_option("--template", options.templateText,
                     "The name template with the rules' @-macros (UTF-8)")
        ->type_name("TEXT")
        ->required();
    add_lock_timeout_option(*add_command, options.lockTimeout);
    add_command->callback([&options] { options.action = RulesAction::add; });
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
            return import_file(side_files.settingsFile, options.file,
                               rule_file_encoding(options.encoding.value_or("auto"))
                                   .value_or(RuleFileEncoding::automatic),
                               lock_wait_for(options.lockTimeout));
        case RulesAction::exportRules:
            return export_file(load_rules(profile), side_files.settingsFile, options.file,
                               rule_file_encoding(options.encoding.value_or("cp932"))
                                   .value_or(RuleFileEncoding::cp932));
        case RulesAction::add:
            return add_rule(side_files.settingsFile, options);
        case RulesAction::none:
            break;
    }
    return kExitUsage;
}

}  // namespace kalvento::cli
