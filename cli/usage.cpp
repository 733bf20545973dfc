#include "cli/usage.h"

#include "cli/exit_codes.h"
#include "cli/macro_help.h"
#include "platform/ascii_case.h"

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

}  // namespace

CLI::App* add_help_command(CLI::App& app, HelpOptions& options) {
    CLI::App* command = app.add_subcommand("help", "Show the help of kalvento-cli or of a command");
    command->add_option("COMMAND", options.command,
                        "A command, such as rename or \"rules import\"");
    command
        ->add_subcommand("macros",
                         "List the @-macros of the rename templates with their meaning and an "
                         "example")
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
            std::cerr << "kalvento-cli: help: no command \"" << name << "\""
                      << (parents.empty() ? "" : " under \"" + parents + "\"")
                      << "; the commands are " << command_names(*at) << "\n";
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
              << "kalvento-cli: see \"kalvento-cli help" << (command.empty() ? "" : " " + command)
              << "\"\n";
    return kExitUsage;
}

int report_missing_command(const CLI::App& app) {
    std::cerr << "kalvento-cli: no command given\n\n" << app.help();
    return kExitUsage;
}

}  // namespace kalvento::cli
