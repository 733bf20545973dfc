// What the command-line tool takes from the side files shared with the desktop
// program: the analysis window, the user's channel names and the rename rules.
#pragma once

#include "app/app_settings.h"
#include "app/side_files.h"
#include "programme/channel_names.h"
#include "rules/rule_store.h"

namespace kalvento::cli {

struct CliEnvironment {
    SideFiles sideFiles;
    AppSettings settings;  // defaults when there is no settings file
    ChannelNameMap channels;
    RuleList rules;  // the rule store, in rule order
};

CliEnvironment load_cli_environment(const char* argv0);

}  // namespace kalvento::cli
