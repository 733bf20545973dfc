#include "ts/file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace kalvento {

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileSource::open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return false;
    struct stat info {};
    // A directory opens for reading on Linux but is no recording.
    if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    // The window is read front to back once: let the kernel read ahead.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

std::int64_t FileSource::size() {
    if (fd_ < 0) return -1;
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0 || ::lseek(fd_, 0, SEEK_SET) < 0) return -1;
    return end;
}

bool FileSource::seek(std::int64_t offset) {
    return fd_ >= 0 && offset >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == offset;
}

std::size_t FileSource::read(std::uint8_t* buffer, std::size_t length) {
    if (fd_ < 0) return 0;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd_, buffer + done, length - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace kalvento
