// File-system operations that renaming recordings needs.
//
// Every path is the exact native byte string of the file (UTF-8 on Linux); it is
// passed to the system unchanged, so a recording is always moved and dated
// through the name it really has. A path holding a NUL byte cannot be spelt to
// the system at all and is refused instead of being cut short onto another name.
//
// Nothing here ever replaces an existing file: a move onto a name that exists,
// or that appears while the move runs, fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The longest single file name (one path component) Linux file systems accept,
// in bytes of its native (UTF-8) form.
constexpr std::size_t kMaxFileNameBytes = 255;

enum class MoveOutcome {
    moved,
    targetExists,  // the target name is taken (file, directory or symlink); nothing changed
    failed,        // any other failure; nothing changed
};

struct MoveResult {
    MoveOutcome outcome = MoveOutcome::moved;
    int errorNumber = 0;  // errno of the call that failed, 0 when moved
    std::string message;  // the system's text for errorNumber, empty when moved

    bool moved() const { return outcome == MoveOutcome::moved; }
};

// Moves `from` to `to` unless `to` exists. Uses renameat2 with RENAME_NOREPLACE,
// which decides atomically; where the file system or kernel refuses that flag it
// falls back to move_by_link. A directory can be moved where renameat2 works,
// otherwise the move fails cleanly.
MoveResult move_no_replace(const std::string& from, const std::string& to);

// The fallback of move_no_replace: link(from, to), which refuses an existing
// target, then unlink(from). When the old name cannot be removed the new link
// is taken away again, so the file keeps exactly one name: its old one, or,
// when another process moved it away meanwhile, the name that process gave it.
// Directories cannot be hard-linked and always fail. Public so it can be
// exercised on file systems that do support renameat2.
MoveResult move_by_link(const std::string& from, const std::string& to);

// Makes move_no_replace always take the link fallback, as on file systems
// without RENAME_NOREPLACE (tests only).
void force_link_moves(bool force);

// The path made absolute (against the current directory) and lexically
// normalised ("a/./b/../c" -> "a/c"); symbolic links are not resolved.
std::string absolute_normal_path(const std::string& path);

// Why an existing directory cannot be used to read files from: not a
// directory, or no permission to list and enter it; nullopt when it can, and
// when nothing bears the name.
std::optional<std::string> unusable_directory(const std::string& path);

// What identifies a file and what undoing a rename must restore: read
// without following a symbolic link.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // last write, nanoseconds since 1970
    std::int64_t accessedNs = 0;  // last access
    // Creation, where the file system keeps it (0 where not): it tells a new
    // file from an old one that happened to get the same inode number.
    std::int64_t bornNs = 0;
    std::uint64_t links = 0;
    bool regular = false;  // a regular file (not a link, folder, ...)
};
std::optional<FileIdentity> file_identity(const std::string& path);

// Sets both times of a regular file back to recorded values (no symlink is
// followed); false when that fails.
bool restore_file_times(const std::string& path, std::int64_t accessed_ns,
                        std::int64_t modified_ns);

// Removes `extra`, a second name of the file that `kept` names, only while
// both still name the same file: what an interrupted link move leaves.
bool remove_second_name(const std::string& extra, const std::string& kept);

// True when both names are one file (same device and inode); false when
// either cannot be examined.
bool same_file(const std::string& a, const std::string& b);

// A path with a NUL byte would be cut short by every system call: refused.
bool path_holds_nul(const std::string& path);

// True when anything bears the name: file, directory, or a symlink, even a
// dangling one (so it is never chosen as a free name and overwritten). Also true
// when the name cannot be examined for a reason other than its absence (for
// example no permission), because such a name is not free either.
bool path_exists(const std::string& path);

// True for a directory itself; a symlink to a directory is not a directory
// (moving the symlink moves only the link).
bool is_directory(const std::string& path);

// A directory entry whose name is the recording's full file name followed by a
// suffix that starts with a dot ("abc.ts" -> "abc.ts.txt", "abc.ts.log").
struct CompanionEntry {
    std::string name;          // the entry's file name, without its directory
    std::string suffix;        // name without the recording's name: ".txt", ".log", "."
    bool isDirectory = false;  // the entry itself is a directory (symlinks are not)
};

// Every entry of the recording's directory named as the recording plus "." plus
// anything, sorted by the bytes of the name. The names are compared byte for
// byte (case matters, '*' and '?' are ordinary characters, '\' is no separator),
// and the recording itself is never listed: a wildcard search on Windows can
// match it with an empty suffix, which Linux names do not need. An unreadable
// directory gives an empty list; entries that vanish while they are read are
// left out.
std::vector<CompanionEntry> list_companions(const std::string& recording_path);

// Sets the last-write time of an existing regular file to unix_seconds plus
// milliseconds (0..999); the last-access time stays as it is. A symlink is not
// followed and a directory, a device or a missing file fails. Linux offers no
// way to set a file's creation (birth) time, so only the last-write time is set.
bool set_file_times(const std::string& path, std::int64_t unix_seconds, int milliseconds);

// Writes all of `bytes` to the descriptor, going on after interruptions; false
// on any failure.
bool write_all(int fd, std::string_view bytes);

// True when a file name (one path component, UTF-8) is short enough for Linux.
constexpr bool name_fits_filesystem(std::string_view utf8_name) {
    return utf8_name.size() <= kMaxFileNameBytes;
}

}  // namespace kalvento
