// kalvento-cli: the headless front end for recording servers and scripts.
#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{
        "Kalvento renames recordings of Japanese digital television (ISDB transport streams)\n"
        "after the programme that was on air, from the broadcast tables in the file."};
    app.name("kalvento-cli");
    app.set_version_flag("--version", std::string("kalvento-cli ") + KALVENTO_VERSION);
    app.require_subcommand(0, 1);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    if (app.get_subcommands().empty()) {
        std::cout << app.help();
        return 0;
    }
    return 0;
}
