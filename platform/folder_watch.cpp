#include "platform/folder_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace kalvento {
namespace {

// No IN_MODIFY: one event per write of every recording in progress would
// overflow the queue; a file still being written is caught by its size and
// time when it falls due.
constexpr std::uint32_t kWatchedEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE |
                                         IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Room for many events at a time; one event is at most its header and a name.
constexpr std::size_t kEventBufferBytes = 64 * 1024;

std::string system_text(int error) {
    return std::error_code(error, std::generic_category()).message();
}

std::string joined(const std::string& folder, const char* name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

}  // namespace

std::unique_ptr<FolderWatch> FolderWatch::open(std::string& error) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        error = system_text(errno);
        return nullptr;
    }
    return std::unique_ptr<FolderWatch>(new FolderWatch(fd));
}

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool FolderWatch::add(const std::string& folder, std::string& error) {
    if (folder.find('\0') != std::string::npos) {
        error = "not a folder";
        return false;
    }
    const int descriptor = ::inotify_add_watch(fd_, folder.c_str(), kWatchedEvents);
    if (descriptor < 0) {
        error = system_text(errno);
        return false;
    }
    folders_.push_back(Folder{descriptor, folder});
    return true;
}

FolderWatch::Wait FolderWatch::wait(std::chrono::milliseconds timeout, int wake_fd) {
    Wait result;
    pollfd watched[2] = {{fd_, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    const int count = wake_fd >= 0 ? 2 : 1;
    const auto milliseconds =
        static_cast<int>(std::clamp<std::int64_t>(timeout.count(), 0, 1 << 30));
    const int ready = ::poll(watched, static_cast<nfds_t>(count), milliseconds);
    if (ready < 0) {
        if (errno != EINTR) result.error = system_text(errno);
        return result;
    }
    result.woken = count == 2 && (watched[1].revents & POLLIN) != 0;
    if ((watched[0].revents & POLLIN) == 0) return result;

    alignas(inotify_event) char buffer[kEventBufferBytes];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno != EAGAIN && errno != EINTR) result.error = system_text(errno);
            break;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            if (at > got) break;
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                result.events.push_back({FolderEvent::Kind::overflow, {}, 0});
                continue;
            }
            const int descriptor = event.wd;
            const auto folder =
                std::find_if(folders_.begin(), folders_.end(),
                             [descriptor](const Folder& f) { return f.descriptor == descriptor; });
            if (folder == folders_.end()) continue;
            if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                result.events.push_back({FolderEvent::Kind::folderGone, folder->path, 0});
                if ((event.mask & IN_MOVE_SELF) != 0) ::inotify_rm_watch(fd_, folder->descriptor);
                folders_.erase(folder);
                continue;
            }
            if (event.len == 0 || (event.mask & IN_ISDIR) != 0) continue;
            const std::string path = joined(folder->path, name);
            FolderEvent::Kind kind;
            if ((event.mask & IN_CLOSE_WRITE) != 0) {
                kind = FolderEvent::Kind::closedAfterWrite;
            } else if ((event.mask & IN_MOVED_TO) != 0) {
                kind = FolderEvent::Kind::movedIn;
            } else if ((event.mask & IN_MOVED_FROM) != 0) {
                kind = FolderEvent::Kind::movedOut;
            } else if ((event.mask & IN_DELETE) != 0) {
                kind = FolderEvent::Kind::deleted;
            } else {
                continue;
            }
            result.events.push_back({kind, path, event.cookie});
        }
    }
    return result;
}

}  // namespace kalvento
