#include "platform/file_copy.h"

#include "platform/file_ops.h"
#include "platform/process_places.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <linux/fs.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace kalvento {
namespace {

constexpr std::size_t kCopyBufferBytes = 1u << 20;
// A copy in the making is ".kalvento-copy-<pid>-XXXXXX" in the target folder.
constexpr std::string_view kCopyTempPrefix = ".kalvento-copy-";
// One whose process is gone is removed once its last change is this old, so
// that a copy by a process in another PID namespace is not robbed.
constexpr auto kStaleCopyAge = std::chrono::minutes(10);
constexpr std::uint64_t kHashMultiplier = 0x9FB21C651E98DF25ull;

std::uint64_t rotate_left(std::uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

std::uint64_t mix_word(std::uint64_t state, std::uint64_t word) {
    return rotate_left(state ^ word, 31) * kHashMultiplier;
}

// The process id in the name of a copy in the making, or -1.
long copy_temp_pid(std::string_view name) {
    if (!name.starts_with(kCopyTempPrefix)) return -1;
    name.remove_prefix(kCopyTempPrefix.size());
    long pid = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() + name.size() || *end != '-') return -1;
    return pid;
}

// Removes the copies in the making that a process killed in the middle left
// in `folder` (a copy being written was changed moments ago).
void remove_stale_copies(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const int dir_fd = ::dirfd(dir);
    const auto now = std::chrono::system_clock::now();
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = copy_temp_pid(entry->d_name);
        if (pid <= 0 || pid == static_cast<long>(::getpid()) || process_is_running(pid)) continue;
        struct stat info {};
        if (::fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        const auto modified = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
        if (now - modified >= kStaleCopyAge) ::unlinkat(dir_fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

PlaceResult place_failure(int error) {
    PlaceResult result;
    result.outcome = error == EEXIST  ? PlaceOutcome::targetExists
                     : error == EXDEV ? PlaceOutcome::crossDevice
                                      : PlaceOutcome::failed;
    result.errorNumber = error;
    result.message = std::error_code(error, std::generic_category()).message();
    return result;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close reports a failed write.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// Reads the whole descriptor from its current offset into the hash, and,
// when `out` is open, writes every byte to it as well.
bool stream(int in, int out, ContentHash& hash) {
    std::vector<char> buffer(kCopyBufferBytes);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return true;
        const std::string_view piece(buffer.data(), static_cast<std::size_t>(got));
        hash.add(piece);
        if (out >= 0 && !write_all(out, piece)) return false;
    }
}

// Fills the open temporary file `out` from `in`: a clone where the file
// system can make one, else the bytes. The hash of the content.
std::optional<std::uint64_t> fill_copy(int in, int out) {
    ContentHash hash;
    if (::ioctl(out, FICLONE, in) == 0) {
        if (::lseek(out, 0, SEEK_SET) != 0 || !stream(out, -1, hash)) return std::nullopt;
        return hash.value();
    }
    if (::ftruncate(out, 0) != 0 || !stream(in, out, hash)) return std::nullopt;
    return hash.value();
}

}  // namespace

void ContentHash::add(std::string_view bytes) {
    length_ += bytes.size();
    while (!bytes.empty() && pendingSize_ != 0) {
        pending_[pendingSize_++] = static_cast<unsigned char>(bytes.front());
        bytes.remove_prefix(1);
        if (pendingSize_ == 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, pending_, 8);
            state_ = mix_word(state_, word);
            pendingSize_ = 0;
        }
    }
    while (bytes.size() >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data(), 8);
        state_ = mix_word(state_, word);
        bytes.remove_prefix(8);
    }
    for (const char c : bytes) pending_[pendingSize_++] = static_cast<unsigned char>(c);
}

std::uint64_t ContentHash::value() const {
    std::uint64_t word = 0;
    std::memcpy(&word, pending_, pendingSize_);
    std::uint64_t h = mix_word(mix_word(state_, word), length_);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

std::optional<std::uint64_t> file_content_hash(const std::string& path) {
    if (path_holds_nul(path)) return std::nullopt;
    Descriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0) return std::nullopt;
    ContentHash hash;
    if (!stream(in.get(), -1, hash)) return std::nullopt;
    return hash.value();
}

PlaceResult link_no_replace(const std::string& from, const std::string& to) {
    if (path_holds_nul(from) || path_holds_nul(to)) return place_failure(EINVAL);
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) return place_failure(errno);
    return {};
}

PlaceResult copy_no_replace(const std::string& from, const std::string& to) {
    if (path_holds_nul(from) || path_holds_nul(to)) return place_failure(EINVAL);
    if (path_exists(to)) return place_failure(EEXIST);
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0) return place_failure(errno);
    struct stat source {};
    if (::fstat(in.get(), &source) != 0) return place_failure(errno);
    if (!S_ISREG(source.st_mode)) return place_failure(EINVAL);

    const std::string folder = folder_of(to);
    remove_stale_copies(folder);
    std::string temporary =
        folder + "/" + std::string(kCopyTempPrefix) + std::to_string(::getpid()) + "-XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0) return place_failure(errno);
    // From here every failure takes the temporary file away again.
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return place_failure(error);
    };
    const std::optional<std::uint64_t> hash = fill_copy(in.get(), out.get());
    if (!hash) return fail(errno != 0 ? errno : EIO);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::fchmod(out.get(), source.st_mode & 0777) != 0 || ::futimens(out.get(), times) != 0 ||
        ::fsync(out.get()) != 0)
        return fail(errno);
    if (!out.close()) return fail(errno);
    const MoveResult put = move_no_replace(temporary, to);
    if (!put.moved()) return fail(put.errorNumber != 0 ? put.errorNumber : EIO);
    // The new name is on disk only once its folder is.
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    PlaceResult result;
    result.hash = hash;
    return result;
}

bool looks_like_copy(const std::string& copy, const std::string& original) {
    if (path_holds_nul(copy) || path_holds_nul(original)) return false;
    Descriptor a(::open(copy.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    Descriptor b(::open(original.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat first {};
    struct stat second {};
    if (a.get() < 0 || b.get() < 0 || ::fstat(a.get(), &first) != 0 ||
        ::fstat(b.get(), &second) != 0 || !S_ISREG(first.st_mode) || !S_ISREG(second.st_mode) ||
        first.st_size != second.st_size)
        return false;
    const auto size = static_cast<std::uint64_t>(first.st_size);
    const std::uint64_t sample = std::min<std::uint64_t>(size, 1u << 20);
    std::vector<char> left(sample);
    std::vector<char> right(sample);
    for (const std::uint64_t offset : {std::uint64_t{0}, (size - sample) / 2, size - sample}) {
        const auto at = static_cast<off_t>(offset);
        if (::pread(a.get(), left.data(), sample, at) != static_cast<ssize_t>(sample) ||
            ::pread(b.get(), right.data(), sample, at) != static_cast<ssize_t>(sample) ||
            left != right)
            return false;
    }
    return true;
}

std::optional<bool> same_file_system(const std::string& a, const std::string& b) {
    if (path_holds_nul(a) || path_holds_nul(b)) return std::nullopt;
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return std::nullopt;
    return first.st_dev == second.st_dev;
}

bool is_cross_device(int error_number) {
    return error_number == EXDEV;
}

bool make_folder(const std::string& path, std::string& error) {
    if (path_holds_nul(path)) {
        error = "invalid path";
        return false;
    }
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    error = std::error_code(errno, std::generic_category()).message();
    return false;
}

bool remove_empty_folder(const std::string& path) {
    return !path_holds_nul(path) && ::rmdir(path.c_str()) == 0;
}

bool remove_file_if_same(const std::string& path, std::uint64_t device, std::uint64_t inode) {
    const std::optional<FileIdentity> found = file_identity(path);
    if (!found || !found->regular || found->device != device || found->inode != inode) return false;
    return ::unlink(path.c_str()) == 0;
}

}  // namespace kalvento
