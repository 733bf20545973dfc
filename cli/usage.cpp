#include "cli/usage.h"

#include "cli/exit_codes.h"
#include "cli/macro_help.h"
#include "cli/translation.h"
#include "platform/ascii_case.h"
#include "platform/message_mark.h"

#include <iostream>

namespace kalvento::cli {
namespace {

// The subcommands chosen so far, as "rules import" (empty for none).
std::string chosen_command(const CLI::App& app) {
    std::string path;
    const CLI::App* at = &app;
    for (;;) {
        const std::vector<CLI::App*> chosen = at->get_subcommands();
        if (chosen.empty()) break;
        at = chosen.front();
        path += (path.empty() ? "" : " ") + at->get_name();
    }
    return path;
}

// CLI11 begins its messages with a capital ("The following argument ...");
// after "kalvento-cli:" a sentence goes on in lower case. Names such as
// "FILE" stay as they are.
std::string as_continuation(std::string text) {
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && !(text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = ascii_lower(text[0]);
    return text;
}

std::string command_names(const CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands({})) {
        if (!names.empty()) names += ", ";
        names += command->get_name();
    }
    return names;
}

// The option group and subcommand group CLI11 gives everything by default.
void translate_groups(CLI::App& command) {
    for (CLI::Option* option : command.get_options())
        if (option->get_group() == "Options") option->group(_("Options"));
    for (CLI::App* sub : command.get_subcommands({})) {
        if (sub->get_group() == "Subcommands") sub->group(_("Subcommands"));
        translate_groups(*sub);
    }
}

}  // namespace

void translate_help_words(CLI::App& app) {
    const auto formatter = app.get_formatter();
    for (const char* label :
         {N_("Usage"), N_("OPTIONS"), N_("SUBCOMMAND"), N_("SUBCOMMANDS"), N_("Positionals"),
          N_("REQUIRED"), N_("Env"), N_("Needs"), N_("Excludes")})
        formatter->label(label, _(label));
    translate_groups(app);
}

CLI::App* add_help_command(CLI::App& app, HelpOptions& options) {
    CLI::App* command =
        app.add_subcommand("help", _("Show the help of kalvento-cli or of a command"));
    command->add_option("COMMAND", options.command,
                        _("A command, such as rename or \"rules import\""));
    command
        ->add_subcommand("macros",
                         _("List the @-macros of the rename templates with their meaning and an "
                           "example"))
        ->callback([&options] { options.macros = true; });
    return command;
}

int run_help(const CLI::App& app, const HelpOptions& options) {
    if (options.macros) {
        std::cout << macro_help_text();
        return kExitDone;
    }
    const CLI::App* at = &app;
    std::string parents;
    for (const std::string& name : options.command) {
        const CLI::App* next = nullptr;
        for (const CLI::App* command : at->get_subcommands({})) {
            if (command->check_name(name)) next = command;
        }
        if (next == nullptr) {
            std::cerr << "kalvento-cli: help: "
                      << (parents.empty()
                              ? fill(_("no command \"%s\"; the commands are %s"),
                                     {name, command_names(*at)})
                              : fill(_("no command \"%s\" under \"%s\"; the commands are %s"),
                                     {name, parents, command_names(*at)}))
                      << "\n";
            return kExitUsage;
        }
        parents += (parents.empty() ? "" : " ") + name;
        at = next;
    }
    if (at == &app) {
        // app.help() would describe the command chosen now: "help" itself.
        std::cout << app.get_formatter()->make_help(&app, app.get_name(),
                                                    CLI::AppFormatMode::Normal);
        return kExitDone;
    }
    // CLI11 names a command after the path given before it.
    const std::string prefix = app.get_name() + " " + parents;
    std::cout << at->help(prefix.substr(0, prefix.rfind(' ')));
    return kExitDone;
}

int report_parse_error(const CLI::App& app, const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(error);
    const std::string command = chosen_command(app);
    std::cerr << "kalvento-cli: " << as_continuation(error.what()) << "\n"
              << "kalvento-cli: "
              << fill(_("see \"%s\""),
                      {"kalvento-cli help" + (command.empty() ? "" : " " + command)})
              << "\n";
    return kExitUsage;
}

int report_missing_command(const CLI::App& app) {
    std::cerr << "kalvento-cli: " << _("no command given") << "\n\n" << app.help();
    return kExitUsage;
}

}  // namespace kalvento::cli
