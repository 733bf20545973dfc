#include "app/app_context.h"

#include "platform/file_ops.h"
#include "platform/message_mark.h"
#include "platform/profile_file.h"
#include "rules/rule_engine.h"
#include "rules/schedule_binding.h"

#include <memory>

namespace kalvento {

AppContext load_app_context_from(const SideFiles& side_files, ContextParts parts) {
    AppContext context;
    context.sideFiles = side_files;
    if (const auto problem = unusable_directory(side_files.directory)) {
        context.settingsError = fill_message(N_("cannot read the settings directory %s: %s"),
                                             {side_files.directory, *problem});
    }
    const ProfileFile profile = ProfileFile::load(side_files.settingsFile);
    if (context.settingsError.empty() && !profile.load_result().ok())
        context.settingsError = profile.load_result().message;
    context.settings = load_app_settings(profile);
    context.rules = load_rules(profile);
    load_channel_names(context.channels, side_files.channelFile);
    if (parts.macroMenu) context.macroMenu = load_macro_menu(side_files.macroMenuFile);
    return context;
}

AppContext load_app_context(const char* argv0, ContextParts parts) {
    return load_app_context_from(locate_side_files(argv0), parts);
}

ScheduleService schedule_service_from(const AppSettings& settings, const SideFiles& files) {
    ScheduleService service;
    service.baseUrl = settings.scheduleBaseUrl;
    service.waitRounds = wait_rounds_for(std::chrono::seconds(settings.scheduleTimeout));
    service.cache.directory = schedule_cache_directory(files);
    return service;
}

RuleStep make_rule_step(const AppContext& context, RuleStepOptions options) {
    ScheduleService service = schedule_service_from(context.settings, context.sideFiles);
    service.notices = std::move(options.notices);
    service.waiting = std::move(options.scheduleWaiting);
    service.stop = options.stop;
    auto session =
        std::make_shared<ScheduleSession>(std::move(service), std::move(options.scheduleOutage));
    ScheduleLookup lookup = make_schedule_lookup(session);
    return [rules = context.rules, lookup, session](FileEntry& entry, ProgramInfo& candidate,
                                                    std::string& result) {
        const int unreachable_before = session->unreachableLookups;
        RuleNotes notes;
        const bool named =
            apply_first_rule(rules, entry.currentName, candidate, result, lookup, &notes);
        entry.scheduleUnreachable = session->unreachableLookups != unreachable_before;
        entry.ruleWarnings = std::move(notes.warnings);
        if (named) entry.decision = std::move(notes.decision);
        return named;
    };
}

NamingSettings naming_settings_from(const AppSettings& settings) {
    NamingSettings naming;
    for (std::size_t i = 0; i < kNameItemCount && i < settings.filenameSet.size(); ++i)
        naming.items[i] = settings.filenameSet[i];
    for (std::size_t i = 0; i < kNameSeparatorCount && i < settings.filenameSetSp.size(); ++i)
        naming.separators[i] = settings.filenameSetSp[i];
    naming.notRename = settings.notRename;
    naming.ombrixRename = settings.ombrixRename;
    return naming;
}

ConversionOptions conversion_options_from(const AppSettings& settings) {
    return ConversionOptions{.gopRename = settings.gopRename,
                             .wildRename = settings.wildRename,
                             .fileDate = settings.fileDate};
}

AnalysisWindow analysis_window_from(const AppSettings& settings) {
    return AnalysisWindow{.startPercent = settings.readStartPos, .sizeMb = settings.readSize};
}

}  // namespace kalvento
