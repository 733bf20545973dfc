// The composition root both front ends use: what the side files say (the
// settings, the user's channel names, the rename rules, the macro menu),
// loaded once, and the pieces built from it (the rule step with its schedule
// lookup, the naming, conversion and analysis inputs).
#pragma once

#include "app/app_settings.h"
#include "app/side_files.h"
#include "naming/compose.h"
#include "naming/rename.h"
#include "platform/notice.h"
#include "programme/channel_names.h"
#include "programme/file_analysis.h"
#include "rules/macro_menu.h"
#include "rules/rule_store.h"
#include "schedule/schedule_query.h"

#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace kalvento {

struct AppContext {
    SideFiles sideFiles;
    AppSettings settings;  // defaults when there is no settings file
    ChannelNameMap channels;
    RuleList rules;                     // the rule store, in rule order
    std::vector<MacroEntry> macroMenu;  // loaded only for the window's edit fields
    // Why the settings could not be read (the side-file directory or the
    // settings file exists but cannot be read); empty when they were read or
    // are missing (then the defaults hold). The front ends touch no file then.
    std::string settingsError;
};

struct ContextParts {
    bool macroMenu = false;  // read (and, when missing, create) the macro menu file
};

// Loads the side files of this run (see side_files.h for where they are).
AppContext load_app_context(const char* argv0, ContextParts parts = {});

// The same for the side files in one directory.
AppContext load_app_context_from(const SideFiles& side_files, ContextParts parts = {});

struct RuleStepOptions {
    // Told the schedule lookups' requests and why they found nothing; none
    // for a quiet run.
    NoticeSink notices;
    // Ends a wait for the schedule service at once (a watch told to stop).
    std::stop_token stop;
    // An outage of the service known from earlier runs (a watch's); each
    // rule step starts without one otherwise.
    std::shared_ptr<ScheduleOutage> scheduleOutage;
    // Told while a lookup waits for its turn or for the answer (a waiting line).
    std::function<void(const ScheduleWait&)> scheduleWaiting;
};

// The schedule service as the settings name it, with its answers kept in the
// state folder of `files`.
ScheduleService schedule_service_from(const AppSettings& settings, const SideFiles& files);

// The rules of the context in store order, with schedule lookups at the
// address the settings name: the first rule that matches names the entry.
RuleStep make_rule_step(const AppContext& context, RuleStepOptions options = {});

// What the composition, the conversion and the analysis take from the settings.
NamingSettings naming_settings_from(const AppSettings& settings);
ConversionOptions conversion_options_from(const AppSettings& settings);
AnalysisWindow analysis_window_from(const AppSettings& settings);

}  // namespace kalvento
