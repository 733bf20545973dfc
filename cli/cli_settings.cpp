#include "cli/cli_settings.h"

#include "platform/profile_file.h"

namespace kalvento::cli {

CliEnvironment load_cli_environment(const char* argv0) {
    CliEnvironment environment;
    environment.sideFiles = locate_side_files(argv0);
    const ProfileFile profile = ProfileFile::load(environment.sideFiles.settingsFile);
    environment.settings = load_app_settings(profile);
    environment.rules = load_rules(profile);
    load_channel_names(environment.channels, environment.sideFiles.channelFile);
    return environment;
}

}  // namespace kalvento::cli
