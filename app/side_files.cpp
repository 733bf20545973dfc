#include "app/side_files.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

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

std::string current_directory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    return ec ? std::string(".") : cwd.string();
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

// The home directory of the account that runs us, for a process started
// without HOME (a service, a cron job).
std::string account_home() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
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

std::string executable_directory(const char* argv0) {
    std::error_code ec;
    // The link stays readable when the file was replaced (it then ends in
    // " (deleted)"); only its directory is used.
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && self.is_absolute() && self.has_parent_path()) return self.parent_path().string();

    if (argv0 != nullptr) {
        const fs::path given(argv0);
        if (given.has_parent_path()) {
            const fs::path absolute = fs::absolute(given, ec);
            if (!ec) return absolute.parent_path().lexically_normal().string();
        }
    }
    // Started through the search path without /proc: the current directory is
    // the best guess left.
    return current_directory();
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

bool create_directory_for_saving(const std::string& directory, std::string& error) {
    // Parent by parent, so that every folder made here (~/.config itself on a
    // new account) gets the private mode.
    const fs::path target = fs::path(absolute_path(directory));
    fs::path partial;
    for (const fs::path& part : target) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            const int reason = errno;
            error = "cannot create " + partial.string() + ": " + std::strerror(reason);
            return false;
        }
    }
    std::error_code ec;
    if (!fs::is_directory(target, ec)) {
        error = target.string() + " is not a directory";
        return false;
    }
    return true;
}

}  // namespace kalvento
