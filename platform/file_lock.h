// An advisory lock on a lock file, so that several processes that load,
// change and save one file do so one after another.
#pragma once

#include <optional>
#include <string>

namespace kalvento {

class FileLock {
  public:
    // Waits for the exclusive lock on `lock_path`, creating the file when it
    // is missing. The lock is released when the object goes.
    static std::optional<FileLock> acquire(const std::string& lock_path, std::string& error);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

  private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace kalvento
