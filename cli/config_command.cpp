#include "cli/config_command.h"

#include "app/settings_store.h"
#include "app/side_files.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/lock_option.h"
#include "cli/settings_keys.h"
#include "naming/item_table.h"
#include "platform/codepage.h"
#include "platform/file_ops.h"
#include "platform/profile_file.h"
#include "programme/item_format.h"

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
        problem = "cannot read the settings directory " + files.directory + ": " + *unusable;
    ProfileFile profile = ProfileFile::load(files.settingsFile);
    if (problem.empty() && !profile.load_result().ok()) problem = profile.load_result().message;
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
              << (exists ? "" : "  (not there yet: the defaults)") << "\n";
    for (const ShownSetting& setting : shown) print_setting(setting);
    return kExitDone;
}

// Checks every KEY VALUE pair first; only when all are right are they
// written, in one update of the file under its lock. Every other line of the
// file stays as it was.
int set_settings(const SideFiles& files, const std::vector<std::string>& assignments,
                 const LockWait& wait) {
    if (assignments.empty() || assignments.size() % 2 != 0) {
        std::cerr << "kalvento-cli: config set takes pairs of KEY and VALUE\n";
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
        std::cerr << "kalvento-cli: nothing changed\n";
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
        std::cerr << "kalvento-cli: settings not changed: " << update.error().message << "\n";
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

// A programme to show what each item makes of it: a Monday 01:30 start, so
// that the 28-hour forms differ from the others.
ProgramInfo example_programme() {
    ProgramInfo info;
    info.eventName = cp932("夜のドラマ「港町の灯り」");
    info.title = info.eventName;
    info.eventText = cp932("第５話「嵐の前」\r灯台守の娘が嵐の夜に青年を助ける。");
    info.eventTextFlat = cp932("第５話「嵐の前」灯台守の娘が嵐の夜に青年を助ける。");
    info.eventTextLine = cp932("第５話「嵐の前」");
    info.channelName = cp932("カルヴェントテレビ");
    info.serviceName = info.channelName;
    info.startTime = 1712507400;  // 2024-04-08 01:30 in Japan
    info.endTime = info.startTime + 30 * 60;
    set_date_items(info);
    info.avText = format_av_text(0xB3, 0x03, 0);
    set_genre_items(0x3, 0x0, info);
    return info;
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

}  // namespace

CLI::App* add_config_command(CLI::App& app, ConfigOptions& options) {
    CLI::App* command = app.add_subcommand(
        "config", "Show where the side files are; show and change the settings.");
    command->require_subcommand(1);
    command
        ->add_subcommand("path",
                         "Print the settings file, macro menu, channel file, rule exchange file "
                         "and journal directory in use, and which rule chose them")
        ->callback([&options] { options.action = ConfigAction::path; });
    CLI::App* show = command->add_subcommand(
        "show",
        "Print every setting of the settings file (section KalventoDlg) in UTF-8, the name\n"
        "items by their labels, the defaults for keys the file lacks");
    show->add_flag("--json", options.json, "One JSON object (UTF-8)");
    show->callback([&options] { options.action = ConfigAction::show; });
    CLI::App* set = command->add_subcommand(
        "set",
        "Change settings, each KEY followed by its VALUE (UTF-8). Items (FilenameSet1000..1003)\n"
        "by number or label, separators (FilenameSetSp1012..1016) as text, the check boxes\n"
        "(OmbrixRename, NotRename, GopRename, WildRename, FileDate, ShowProgress, IconStart)\n"
        "as 1 or 0, ReadStartPos " +
            limits_text("ReadStartPos") + " (%), ReadSize " + limits_text("ReadSize") +
            " (MB), ScheduleBaseUrl http(s)://...\n"
            "All are checked first; the file is written once, under its lock, keeping every "
            "other line");
    set->add_option("KEY VALUE", options.assignments, "KEY VALUE pairs")->required();
    add_lock_timeout_option(*set, options.lockTimeout);
    set->callback([&options] { options.action = ConfigAction::set; });
    CLI::App* items = command->add_subcommand(
        "items", "List the 27 items of the name composition with an example value each");
    items->add_flag("--json", options.json, "One JSON object per item and line (UTF-8)");
    items->callback([&options] { options.action = ConfigAction::items; });
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
        case ConfigAction::none:
            break;
    }
    return kExitUsage;
}

}  // namespace kalvento::cli
