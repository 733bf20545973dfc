#include "cli/config_command.h"

#include "app/example_programme.h"
#include "app/settings_presets.h"
#include "app/settings_store.h"
#include "app/side_files.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/lock_option.h"
#include "cli/settings_keys.h"
#include "cli/translation.h"
#include "naming/item_table.h"
#include "platform/file_ops.h"
#include "platform/profile_file.h"

#include <iomanip>
#include <iostream>

namespace kalvento::cli {
namespace {

const char* place_text(SideFilePlace place) {
    switch (place) {
        case SideFilePlace::named:
            return "KALVENTO_DIR";
        case SideFilePlace::besideProgram:
            return "kalvento.ini beside the program (portable use)";
        case SideFilePlace::serviceDirectories:
            return "the service's systemd directories (CONFIGURATION_DIRECTORY, STATE_DIRECTORY)";
        case SideFilePlace::userFolders:
            break;
    }
    return "the user's folders (XDG_CONFIG_HOME, XDG_STATE_HOME)";
}

// One "name: value" line per place, the values aligned; the names stay fixed
// for scripts.
int print_paths(const SideFiles& files) {
    std::cout << "settings:       " << files.settingsFile << "\n"
              << "macro menu:     " << files.macroMenuFile << "\n"
              << "channels:       " << files.channelFile << "\n"
              << "rule exchange:  " << files.ruleExchangeFile << "\n"
              << "journal:        " << files.journalDirectory << "\n"
              << "chosen by:      " << place_text(files.place) << "\n";
    return 0;
}

// The settings file as it is now; nullopt (and a message) when it exists but
// cannot be read, so that nothing is shown or written from a guess.
std::optional<ProfileFile> readable_settings(const SideFiles& files) {
    std::string problem;
    if (const auto unusable = unusable_directory(files.directory))
        problem = fill(_("cannot read the settings directory %s: %s"),
                       {files.directory, shown(*unusable)});
    ProfileFile profile = ProfileFile::load(files.settingsFile);
    if (problem.empty() && !profile.load_result().ok())
        problem = shown(profile.load_result().message);
    if (!problem.empty()) {
        std::cerr << "kalvento-cli: " << problem << "\n";
        return std::nullopt;
    }
    return profile;
}

constexpr int kKeyColumn = 19;

void print_setting(const ShownSetting& setting) {
    std::cout << std::left << std::setw(kKeyColumn) << setting.key << setting.value << "\n";
}

int show_settings(const SideFiles& files, bool json) {
    const auto profile = readable_settings(files);
    if (!profile) return kExitUsage;
    const bool exists = path_exists(files.settingsFile);
    const std::vector<ShownSetting> shown = shown_settings(load_app_settings(*profile));
    if (json) {
        nlohmann::ordered_json line;
        put_path(line, "settingsFile", files.settingsFile);
        line["exists"] = exists;
        line["settings"] = nlohmann::ordered_json::object();
        for (const ShownSetting& setting : shown) line["settings"][setting.key] = setting.json;
        std::cout << json_line(line) << "\n";
        return kExitDone;
    }
    std::cout << std::left << std::setw(kKeyColumn) << "settings file" << files.settingsFile
              << (exists ? std::string() : _("  (not there yet: the defaults)")) << "\n";
    for (const ShownSetting& setting : shown) print_setting(setting);
    return kExitDone;
}

// Checks every KEY VALUE pair first; only when all are right are they
// written, in one update of the file under its lock. Every other line of the
// file stays as it was.
int set_settings(const SideFiles& files, const std::vector<std::string>& assignments,
                 const LockWait& wait) {
    if (assignments.empty() || assignments.size() % 2 != 0) {
        std::cerr << "kalvento-cli: " << _("config set takes pairs of KEY and VALUE") << "\n";
        return kExitUsage;
    }
    std::vector<SettingChange> changes;
    bool refused = false;
    for (std::size_t i = 0; i < assignments.size(); i += 2) {
        std::string error;
        if (auto change = parse_setting(assignments[i], assignments[i + 1], error)) {
            changes.push_back(std::move(*change));
        } else {
            std::cerr << "kalvento-cli: " << error << "\n";
            refused = true;
        }
    }
    if (refused) {
        std::cerr << "kalvento-cli: " << _("nothing changed") << "\n";
        return kExitUsage;
    }
    if (!readable_settings(files)) return kExitUsage;
    AppSettings now;
    const Status update = update_settings_file(
        files.settingsFile,
        [&](ProfileFile& profile) -> Status {
            for (const SettingChange& change : changes) {
                if (!profile.write_string(kAppSettingsSection, change.key, change.stored))
                    return Error::failed("cannot write " + change.key);
            }
            now = load_app_settings(profile);
            return {};
        },
        wait);
    if (!update) {
        std::cerr << "kalvento-cli: " << _("settings not changed: ")
                  << shown(update.error().message) << "\n";
        return update.error().code == ErrorCode::busy ? kExitTryAgain : kExitSomeFailed;
    }
    for (const ShownSetting& setting : shown_settings(now)) {
        for (const SettingChange& change : changes) {
            if (change.key == setting.key) {
                print_setting(setting);
                break;
            }
        }
    }
    return kExitDone;
}

int list_items(bool json) {
    const ProgramInfo example = example_programme();
    for (int i = 0; i < kItemTableSize; ++i) {
        const std::string* text = item_text(example, i);
        const std::string value = text == nullptr ? std::string() : utf8_for_output(*text);
        if (json) {
            nlohmann::ordered_json line;
            line["index"] = i;
            line["label"] = std::string(item_label_utf8(i));
            line["example"] = value;
            std::cout << json_line(line) << "\n";
        } else {
            // Padded by the label's width on a terminal, which is its length
            // in CP932 bytes: two columns for a double-byte character.
            const std::string label(item_label_utf8(i));
            const std::size_t width = item_label(i).size();
            std::cout << std::right << std::setw(2) << i << "  " << label;
            if (!value.empty()) std::cout << std::string(width < 28 ? 28 - width : 1, ' ') << value;
            std::cout << "\n";
        }
    }
    return kExitDone;
}

int list_presets() {
    for (const SettingsPreset& preset : settings_presets())
        std::cout << std::left << std::setw(kKeyColumn) << preset.name << preset.example << "\n";
    return kExitDone;
}

// Writes the preset's items and separators. A settings file that exists is
// left alone unless `force`: then only those nine keys change in it and every
// other line, the rules included, stays.
int init_settings(const SideFiles& files, const ConfigOptions& options) {
    if (options.listPresets) return list_presets();
    const SettingsPreset* preset = find_settings_preset(options.preset);
    if (preset == nullptr) {
        std::cerr << "kalvento-cli: config init: "
                  << (options.preset.empty()
                          ? _("name a preset with --preset NAME (kalvento-cli config init --list "
                              "names them)")
                          : fill(_("no preset \"%s\" (kalvento-cli config init --list names "
                                   "them)"),
                                 {options.preset}))
                  << "\n";
        return kExitUsage;
    }
    std::vector<SettingChange> changes;
    for (const PresetSetting& setting : preset->settings) {
        std::string error;
        const auto change = parse_setting(setting.key, setting.value, error);
        if (!change) {
            std::cerr << "kalvento-cli: config init: " << fill(_("preset %s: "), {preset->name})
                      << error << "\n";
            return kExitSomeFailed;
        }
        changes.push_back(*change);
    }
    if (!readable_settings(files)) return kExitUsage;
    bool existed = false;
    const Status update = update_settings_file(
        files.settingsFile,
        [&](ProfileFile& profile) -> Status {
            // Checked under the lock, so that a file made meanwhile is not replaced.
            existed = path_exists(files.settingsFile);
            if (existed && !options.force) return Error{ErrorCode::invalid, "the file exists"};
            for (const SettingChange& change : changes) {
                if (!profile.write_string(kAppSettingsSection, change.key, change.stored))
                    return Error::failed("cannot write " + change.key);
            }
            return {};
        },
        lock_wait_for(options.lockTimeout));
    if (existed && !options.force) {
        std::cerr << "kalvento-cli: "
                  << fill(_("%s exists: nothing changed (--force writes the preset's items and "
                            "separators into it, keeping every other setting and the rules)"),
                          {files.settingsFile})
                  << "\n";
        return kExitUsage;
    }
    if (!update) {
        std::cerr << "kalvento-cli: " << _("settings not written: ")
                  << shown(update.error().message) << "\n";
        return update.error().code == ErrorCode::busy ? kExitTryAgain : kExitSomeFailed;
    }
    std::cout << files.settingsFile << ": "
              << fill(_("%s, for example %s"), {preset->name, preset->example}) << "\n";
    return kExitDone;
}

}  // namespace

CLI::App* add_config_command(CLI::App& app, ConfigOptions& options) {
    CLI::App* command = app.add_subcommand(
        "config", _("Show where the side files are; show and change the settings."));
    command->require_subcommand(1);
    command
        ->add_subcommand("path",
                         _("Print the settings file, macro menu, channel file, rule exchange file "
                           "and journal directory in use, and which rule chose them"))
        ->callback([&options] { options.action = ConfigAction::path; });
    CLI::App* show = command->add_subcommand(
        "show",
        _("Print every setting of the settings file (section KalventoDlg) in UTF-8, the name\n"
          "items by their labels, the defaults for keys the file lacks"));
    show->add_flag("--json", options.json, _("One JSON object (UTF-8)"));
    show->callback([&options] { options.action = ConfigAction::show; });
    CLI::App* set = command->add_subcommand(
        "set",
        fill(_("Change settings, each KEY followed by its VALUE (UTF-8). Items "
               "(FilenameSet1000..1003)\nby number or label, separators (FilenameSetSp1012..1016) "
               "as text, the check boxes\n(OmbrixRename, NotRename, GopRename, WildRename, "
               "FileDate, ShowProgress, IconStart)\nas 1 or 0, ReadStartPos %s (%), "
               "ReadSize %s (MB), ScheduleBaseUrl http(s)://..., ScheduleTimeout %s (s),\n"
               "LibraryAction rename, link, copy or move, LibraryFolder and LibraryTemplate as "
               "text\nAll are checked first; the file is written once, under its lock, keeping "
               "every other line"),
             {limits_text("ReadStartPos"), limits_text("ReadSize"),
              limits_text("ScheduleTimeout")}));
    set->add_option("KEY VALUE", options.assignments, _("KEY VALUE pairs"))->required();
    add_lock_timeout_option(*set, options.lockTimeout);
    set->callback([&options] { options.action = ConfigAction::set; });
    CLI::App* items = command->add_subcommand(
        "items", _("List the 27 items of the name composition with an example value each"));
    items->add_flag("--json", options.json, _("One JSON object per item and line (UTF-8)"));
    items->callback([&options] { options.action = ConfigAction::items; });
    CLI::App* init = command->add_subcommand(
        "init",
        _("Write a first settings file whose items and separators come from a preset, so that\n"
          "rename names something at once (--list names the presets with an example each).\n"
          "An existing settings file is refused unless --force: then only the items and\n"
          "separators change in it"));
    init->add_option("--preset", options.preset,
                     fill(_("The preset, for example %s"), {kFirstPreset}))
        ->type_name("NAME");
    init->add_flag("--list", options.listPresets, _("Name the presets with an example name each"));
    init->add_flag("--force", options.force, _("Write into an existing settings file"));
    add_lock_timeout_option(*init, options.lockTimeout);
    init->callback([&options] { options.action = ConfigAction::init; });
    return command;
}

int run_config(const ConfigOptions& options, const char* argv0) {
    switch (options.action) {
        case ConfigAction::path:
            return print_paths(locate_side_files(argv0));
        case ConfigAction::show:
            return show_settings(locate_side_files(argv0), options.json);
        case ConfigAction::set:
            return set_settings(locate_side_files(argv0), options.assignments,
                                lock_wait_for(options.lockTimeout));
        case ConfigAction::items:
            return list_items(options.json);
        case ConfigAction::init:
            return init_settings(locate_side_files(argv0), options);
        case ConfigAction::none:
            break;
    }
    return kExitUsage;
}

}  // namespace kalvento::cli
