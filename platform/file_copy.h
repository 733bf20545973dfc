// Putting a second copy of a file under a new name: a hard link, or a copy
// that is complete and on disk before its name appears. Like the moves of
// file_ops.h, nothing here ever replaces an existing file: a new name that
// is taken, or that appears meanwhile, fails with `targetExists`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

enum class PlaceOutcome {
    made,
    targetExists,  // the new name is taken; nothing changed
    crossDevice,   // a hard link or a move cannot reach the other file system; nothing changed
    failed,        // any other failure; nothing changed (a partial copy is removed)
};

struct PlaceResult {
    PlaceOutcome outcome = PlaceOutcome::made;
    int errorNumber = 0;  // errno of the call that failed
    std::string message;  // the system's text for errorNumber
    // A copy: the content hash of what was written (content_hash).
    std::optional<std::uint64_t> hash;

    bool made() const { return outcome == PlaceOutcome::made; }
};

// A fast 64-bit hash of a byte stream, fed in pieces of any size: the same
// bytes give the same value however they are cut.
class ContentHash {
  public:
    void add(std::string_view bytes);
    std::uint64_t value() const;

  private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    unsigned pendingSize_ = 0;
};

// The content hash of the file's bytes; nullopt when it cannot be read.
std::optional<std::uint64_t> file_content_hash(const std::string& path);

// A hard link `to` of the regular file `from` (a symbolic link is linked
// itself). crossDevice when the two names lie on different file systems.
PlaceResult link_no_replace(const std::string& from, const std::string& to);

// A copy of the regular file `from` under `to`, with its permission bits
// and times. The file system clones it where it can (sharing the blocks);
// otherwise the bytes are copied. Either way the copy is made under a hidden
// temporary name in the target folder, flushed to disk, only then given its
// name (never replacing one), and the folder is flushed too. A failed copy
// leaves nothing behind. The result holds the hash of the copied bytes.
PlaceResult copy_no_replace(const std::string& from, const std::string& to);

// Whether `copy` looks like a copy of `original`: two regular files of the
// same size whose first, middle and last MiB are alike. Cheap enough to ask
// of every name a library copy might take, so a second run does not copy a
// recording again.
bool looks_like_copy(const std::string& copy, const std::string& original);

// Whether the two paths (symbolic links followed) lie on one file system;
// nullopt when either cannot be examined.
std::optional<bool> same_file_system(const std::string& a, const std::string& b);

// Whether a system error number says that a link or move cannot cross file systems.
bool is_cross_device(int error_number);

// Makes one folder (private bits as the umask allows); true when it was
// made, false with `error` when it exists already or cannot be made.
bool make_folder(const std::string& path, std::string& error);

// Removes a folder that is empty; false when it is not, or cannot be removed.
bool remove_empty_folder(const std::string& path);

// Removes the file `path` only while it is still the file with this device
// and inode; false when it is another one, gone, or cannot be removed.
bool remove_file_if_same(const std::string& path, std::uint64_t device, std::uint64_t inode);

}  // namespace kalvento
