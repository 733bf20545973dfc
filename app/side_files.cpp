#include "app/side_files.h"

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

std::string current_directory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    return ec ? std::string(".") : cwd.string();
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

SideFiles locate_side_files(const char* argv0) {
    const char* configured = std::getenv(std::string(kSideFileDirVariable).c_str());
    if (configured != nullptr && *configured != '\0') {
        std::error_code ec;
        const fs::path absolute = fs::absolute(configured, ec);
        return side_files_in(ec ? std::string(configured) : absolute.lexically_normal().string());
    }
    return side_files_in(executable_directory(argv0));
}

}  // namespace kalvento
