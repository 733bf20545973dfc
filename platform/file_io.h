// Reading and writing whole files, and a recording opened for reading.
//
// Files are opened without blocking and must be regular files: a FIFO or a
// device named like a recording or a settings file is refused at once instead
// of hanging the program. Writes never leave a half-written file in place of a
// good one: they go to a temporary file in the same directory, which is
// flushed and then renamed over the old file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

enum class ReadStatus {
    ok,
    missing,     // no such file (or a path through a non-directory)
    notRegular,  // a directory, FIFO, device or socket
    tooLarge,    // larger than the caller's limit
    failed,      // any other failure; `error` says why
};

struct FileRead {
    ReadStatus status = ReadStatus::failed;
    std::string bytes;
    std::string error;  // the system's reason (or "not a regular file"), empty when ok
    bool ok() const { return status == ReadStatus::ok; }
};

// Reads the whole regular file at `path`. With `truncate` a file larger than
// `max_bytes` gives its first `max_bytes` bytes; without it, tooLarge.
FileRead read_small_file(const std::string& path, std::size_t max_bytes, bool truncate = false);

enum class WriteStatus {
    ok,
    cannotCreateTemp,  // the directory does not take a new file
    cannotWrite,       // writing or flushing the temporary file failed
    cannotReplace,     // the temporary file could not be renamed over the target
};

struct FileWrite {
    WriteStatus status = WriteStatus::ok;
    std::string error;  // for the user, naming the path; empty when ok
    bool ok() const { return status == WriteStatus::ok; }
};

// Replaces the file at `path` with `bytes`, atomically: a crash leaves either
// the old or the new file. A target reached through a symbolic link is
// replaced at the link's target, so the link stays; the old file's permission
// bits are kept. Temporary files that a killed process left beside the target
// are removed first. A new file gets the permission bits `new_file_mode`
// (less the umask).
FileWrite replace_file(const std::string& path, std::string_view bytes,
                       unsigned new_file_mode = 0666);

// The temporary name `replace_file` uses for `path` in process `pid`, attempt
// `attempt`; stale ones carry the pid of a process that no longer runs.
std::string temporary_name(const std::string& path, long pid, int attempt);

// Creates a new file with `bytes`, never replacing an existing one; a
// half-written file is removed again. False when the file exists or cannot be
// written.
bool create_new_file(const std::string& path, std::string_view bytes);

// A file opened for reading with 64-bit positions.
class ReadOnlyFile {
  public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens a regular file; nullopt on success, else why not (the system's
    // reason, or "not a regular file").
    std::optional<std::string> open(const std::string& path);
    bool is_open() const { return fd_ >= 0; }

    std::int64_t size() const;  // -1 when unknown
    bool seek(std::int64_t offset);
    // Reads until `length` bytes are in or the file ends; 0 at the end or on error.
    std::size_t read(std::uint8_t* buffer, std::size_t length);

  private:
    int fd_ = -1;
};

// Whether standard error goes to a terminal.
bool stderr_is_terminal();

}  // namespace kalvento
