#include "app/side_files.h"

#include "platform/process_places.h"

#include <cstdlib>
#include <filesystem>
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

    // Without any home the current directory is the only writable guess.
    std::string config = xdg_directory(inputs.configHome, inputs, ".config");
    std::string state = xdg_directory(inputs.stateHome, inputs, ".local/state");
    if (config.empty()) config = current_directory();
    if (state.empty()) state = current_directory();
    SideFiles files = side_files_in(join(config, kUserFolderName));
    files.journalDirectory = join(state, kUserFolderName);
    files.place = SideFilePlace::userFolders;
    return files;
}

SideFiles locate_side_files(const char* argv0) {
    return choose_side_files(current_side_file_inputs(argv0));
}

std::string schedule_cache_directory(const SideFiles& files) {
    return join(files.journalDirectory, "schedule-cache");
}

bool create_directory_for_saving(const std::string& directory, std::string& error) {
    return create_private_directories(directory, error);
}

}  // namespace kalvento
