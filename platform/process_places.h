// Where this process stands: its executable's directory, the account's home
// directory, and private directories for the files it saves.
#pragma once

#include <optional>
#include <string>

namespace kalvento {

// The directory of the running executable: from /proc/self/exe, else from
// argv[0] (made absolute), else the current directory.
std::string executable_directory(const char* argv0);

// The home directory of the account that runs us, from the password database
// (for a process started without HOME: a service, a cron job); empty when
// there is none.
std::string account_home();

// This process's id.
long process_id();

// Whether a process with this id runs (in this PID namespace). An id that
// was reused by another process counts as running.
bool process_is_running(long pid);

// The current directory, or "." when it cannot be told.
std::string current_directory();

// Why this process could not write files into `directory`, or create it
// where it is missing (the nearest folder that exists must take new
// entries): "cannot write to /var/lib (Read-only file system)". nullopt when
// it can.
std::optional<std::string> directory_not_writable(const std::string& directory);

// Creates `directory` and its missing parents, private to the user (0700).
// True when it exists afterwards; else `error` says why.
bool create_private_directories(const std::string& directory, std::string& error);

}  // namespace kalvento
