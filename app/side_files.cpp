#include "app/side_files.h"

#include "platform/file_ops.h"
#include "platform/message_mark.h"
#include "platform/process_places.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace kalvento {
namespace {

namespace fs = std::filesystem;

std::string join(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string without_trailing_slashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string environment_value(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value != nullptr ? std::string(value) : std::string();
}

std::string absolute_path(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

// $XDG_..._HOME when it is an absolute path, else the default under the home
// directory; empty when there is no home either.
std::string xdg_directory(const std::string& variable, const SideFileInputs& inputs,
                          std::string_view default_under_home) {
    if (!variable.empty() && variable.front() == '/') return without_trailing_slashes(variable);
    if (inputs.home.empty()) return {};
    return join(without_trailing_slashes(absolute_path(inputs.home)), default_under_home);
}

bool is_file(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool is_directory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// The first of systemd's colon-separated directories, when it is absolute.
std::string first_service_directory(const std::string& variable) {
    std::string first = variable.substr(0, variable.find(':'));
    return !first.empty() && first.front() == '/' ? without_trailing_slashes(first) : std::string();
}

// Where the user's folders come from, when the home is one of their bases
// and cannot be used: why; else empty.
std::string home_problem(const SideFileInputs& inputs) {
    const bool config_absolute = !inputs.configHome.empty() && inputs.configHome.front() == '/';
    const bool state_absolute = !inputs.stateHome.empty() && inputs.stateHome.front() == '/';
    if (config_absolute && state_absolute) return {};
    if (inputs.home.empty()) return N_("this account has no home directory (HOME is not set)");
    // A home is the account's own to make; a missing one is not made here.
    if (!is_directory(absolute_path(inputs.home)))
        return fill_message(N_("the home directory %s does not exist"), {inputs.home});
    return {};
}

// The settled places of this run, once settle_side_files ran.
std::optional<SideFiles>& settled_places() {
    static std::optional<SideFiles> places;
    return places;
}

}  // namespace

SideFiles side_files_in(std::string_view directory) {
    SideFiles files;
    files.directory =
        directory.empty() ? std::string(".") : without_trailing_slashes(std::string(directory));
    const std::string base(kSideFileBaseName);
    files.settingsFile = join(files.directory, base + ".ini");
    files.macroMenuFile = join(files.directory, base + ".mnu");
    files.channelFile = join(files.directory, kChannelFileName);
    files.ruleExchangeFile = join(files.directory, kRuleExchangeFileName);
    files.journalDirectory = files.directory;
    return files;
}

SideFileInputs current_side_file_inputs(const char* argv0) {
    SideFileInputs inputs;
    inputs.namedDirectory = environment_value(kSideFileDirVariable);
    inputs.executableDirectory = executable_directory(argv0);
    inputs.configHome = environment_value("XDG_CONFIG_HOME");
    inputs.stateHome = environment_value("XDG_STATE_HOME");
    inputs.home = environment_value("HOME");
    if (inputs.home.empty()) inputs.home = account_home();
    inputs.configurationDirectory = environment_value("CONFIGURATION_DIRECTORY");
    inputs.stateDirectory = environment_value("STATE_DIRECTORY");
    return inputs;
}

SideFiles choose_side_files(const SideFileInputs& inputs) {
    if (!inputs.namedDirectory.empty()) return side_files_in(absolute_path(inputs.namedDirectory));

    if (!inputs.executableDirectory.empty() &&
        is_file(join(inputs.executableDirectory, std::string(kSideFileBaseName) + ".ini"))) {
        SideFiles files = side_files_in(inputs.executableDirectory);
        files.place = SideFilePlace::besideProgram;
        return files;
    }

    const std::string service_config = first_service_directory(inputs.configurationDirectory);
    const std::string service_state = first_service_directory(inputs.stateDirectory);
    if (!service_config.empty() || !service_state.empty()) {
        SideFiles files = side_files_in(service_config.empty() ? service_state : service_config);
        files.journalDirectory = service_state.empty() ? service_config : service_state;
        files.place = SideFilePlace::serviceDirectories;
        return files;
    }

    // Without any home the places are under the current directory, and
    // side_files_problem says that they cannot be used.
    std::string config = xdg_directory(inputs.configHome, inputs, ".config");
    std::string state = xdg_directory(inputs.stateHome, inputs, ".local/state");
    if (config.empty()) config = current_directory();
    if (state.empty()) state = current_directory();
    SideFiles files = side_files_in(join(config, kUserFolderName));
    files.journalDirectory = join(state, kUserFolderName);
    files.place = SideFilePlace::userFolders;
    return files;
}

std::string side_files_problem(const SideFiles& files, const SideFileInputs& inputs) {
    std::string why;
    if (files.place == SideFilePlace::userFolders) why = home_problem(inputs);
    if (why.empty()) {
        if (const auto unreadable = unusable_directory(files.directory))
            why = fill_message(N_("cannot read %s (%s)"), {files.directory, *unreadable});
    }
    if (why.empty()) {
        if (const auto unwritable = directory_not_writable(files.journalDirectory))
            why = fill_message(N_("the rename journal cannot be kept in %s: %s"),
                               {files.journalDirectory, *unwritable});
    }
    if (why.empty()) return {};
    return fill_message(N_("no usable place for the settings and the rename journal: %s; set "
                           "KALVENTO_DIR to a folder this account can write, or run it in a "
                           "systemd unit with StateDirectory=kalvento and "
                           "ConfigurationDirectory=kalvento"),
                        {why});
}

std::string settle_side_files(const char* argv0) {
    const SideFileInputs inputs = current_side_file_inputs(argv0);
    settled_places() = choose_side_files(inputs);
    return side_files_problem(*settled_places(), inputs);
}

SideFiles locate_side_files(const char* argv0) {
    if (settled_places()) return *settled_places();
    return choose_side_files(current_side_file_inputs(argv0));
}

std::string schedule_cache_directory(const SideFiles& files) {
    return join(files.journalDirectory, "schedule-cache");
}

bool create_directory_for_saving(const std::string& directory, std::string& error) {
    return create_private_directories(directory, error);
}

}  // namespace kalvento
