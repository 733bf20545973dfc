// Watching folders for recordings that are written or moved into them
// (inotify). Only the folders' own entries are watched, not subfolders.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kalvento {

struct FolderEvent {
    enum class Kind {
        closedAfterWrite,  // a file opened for writing was closed
        movedIn,           // a file was moved (renamed) into the folder
        movedOut,          // a file was moved away from this name
        deleted,           // a file was removed
        overflow,          // events were lost: look at the folders afresh
        folderGone,        // the folder itself was removed or moved; no longer watched
    };
    Kind kind = Kind::closedAfterWrite;
    std::string path;          // folder + "/" + name; the folder alone for folderGone
    std::uint32_t cookie = 0;  // pairs movedOut with movedIn of one rename
};

class FolderWatch {
  public:
    // nullptr (and why) when the system has no watch to give.
    static std::unique_ptr<FolderWatch> open(std::string& error);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches the entries of a folder; false (and why) when it is no folder or
    // cannot be watched.
    bool add(const std::string& folder, std::string& error);

    // Folders still watched.
    std::size_t folder_count() const { return folders_.size(); }

    struct Wait {
        std::vector<FolderEvent> events;
        bool woken = false;  // `wake_fd` became readable
        std::string error;   // the watch itself failed; empty otherwise
    };

    // Waits up to `timeout` for events, or until `wake_fd` (when not -1) is
    // readable, and returns what arrived.
    Wait wait(std::chrono::milliseconds timeout, int wake_fd = -1);

  private:
    explicit FolderWatch(int fd) : fd_(fd) {}

    struct Folder {
        int descriptor;
        std::string path;
    };

    int fd_ = -1;
    std::vector<Folder> folders_;
};

}  // namespace kalvento
