#include "platform/process_places.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kalvento {

namespace fs = std::filesystem;

long process_id() {
    return static_cast<long>(::getpid());
}

bool process_is_running(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string current_directory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    return ec ? std::string(".") : cwd.string();
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

std::string account_home() {
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

std::optional<std::string> directory_not_writable(const std::string& directory) {
    std::error_code ec;
    fs::path at = fs::absolute(directory, ec).lexically_normal();
    if (ec) at = fs::path(directory);
    // The nearest folder that exists is the one a new entry goes into.
    while (!fs::exists(fs::symlink_status(at, ec)) && at.has_relative_path()) at = at.parent_path();
    if (!fs::is_directory(at, ec)) return at.string() + " is not a directory";
    if (::access(at.c_str(), W_OK | X_OK) != 0) {
        const int reason = errno;
        return "cannot write to " + at.string() + " (" + std::strerror(reason) + ")";
    }
    return std::nullopt;
}

bool create_private_directories(const std::string& directory, std::string& error) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(directory, ec);
    const fs::path target = (ec ? fs::path(directory) : absolute).lexically_normal();
    // Parent by parent, so that every folder made here (~/.config itself on a
    // new account) gets the private mode.
    fs::path partial;
    for (const fs::path& part : target) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            const int reason = errno;
            error = "cannot create " + partial.string() + ": " + std::strerror(reason);
            return false;
        }
    }
    if (!fs::is_directory(target, ec)) {
        error = target.string() + " is not a directory";
        return false;
    }
    return true;
}

}  // namespace kalvento
