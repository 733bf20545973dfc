#include "schedule/answer_cache.h"

#include "platform/file_io.h"
#include "platform/file_ops.h"
#include "platform/process_places.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kalvento {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "KalventoScheduleAnswer 1\n";
constexpr std::string_view kAnswerSuffix = ".page";
// The lines before the page: the magic, the time, the request and the page size.
constexpr std::size_t kHeaderLimit = 8192;
// Only the user reads what was searched for.
constexpr unsigned kPrivateFile = 0600;

std::int64_t now_seconds(const AnswerCache& cache) {
    if (cache.now) return cache.now();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// FNV-1a: stable between builds, which a file name must be.
std::string answer_path(const AnswerCache& cache, std::string_view request) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : request) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        name[static_cast<std::size_t>(i)] = kDigits[hash & 15];
    return cache.directory + "/" + name + std::string(kAnswerSuffix);
}

// The next line of `text` from `at` on, without its "\n"; nullopt when there is none.
std::optional<std::string_view> next_line(std::string_view text, std::size_t& at) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    return line;
}

std::optional<std::int64_t> whole_number(std::optional<std::string_view> text) {
    if (!text || text->empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < 0)
        return std::nullopt;
    return value;
}

struct AnswerFile {
    fs::path path;
    fs::file_time_type written;
    std::uintmax_t size = 0;
};

// Drops the oldest answer files (never `kept`, the one just written) until the
// bounds hold.
void prune(const AnswerCache& cache, const std::string& kept) {
    std::error_code ec;
    std::vector<AnswerFile> files;
    std::uintmax_t total = 0;
    for (fs::directory_iterator it(cache.directory, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.extension() != kAnswerSuffix || !it->is_regular_file(ec)) continue;
        AnswerFile file{path, it->last_write_time(ec), it->file_size(ec)};
        if (ec) continue;
        total += file.size;
        if (path != fs::path(kept)) files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end(),
              [](const AnswerFile& a, const AnswerFile& b) { return a.written < b.written; });
    std::size_t count = files.size() + 1;
    for (const AnswerFile& file : files) {
        if (count <= cache.maxEntries && total <= cache.maxBytes) break;
        if (fs::remove(file.path, ec)) {
            --count;
            total -= file.size;
        }
    }
}

}  // namespace

std::optional<std::string> cached_answer(const AnswerCache& cache, std::string_view request) {
    if (cache.directory.empty()) return std::nullopt;
    const FileRead read =
        read_small_file(answer_path(cache, request), kHeaderLimit + cache.maxBytes);
    if (!read.ok()) return std::nullopt;
    const std::string_view text = read.bytes;
    if (!text.starts_with(kMagic)) return std::nullopt;
    std::size_t at = kMagic.size();
    const auto stored = whole_number(next_line(text, at));
    if (!stored || next_line(text, at) != request) return std::nullopt;
    const auto size = whole_number(next_line(text, at));
    if (!size || static_cast<std::uint64_t>(*size) != text.size() - at) return std::nullopt;
    const std::int64_t age = now_seconds(cache) - *stored;
    if (age < 0 || age >= cache.keepTime.count()) return std::nullopt;
    return std::string(text.substr(at));
}

std::optional<std::string> keep_answer(const AnswerCache& cache, std::string_view request,
                                       std::string_view page) {
    if (cache.directory.empty()) return "no folder for answers";
    if (request.find('\n') != std::string_view::npos || request.size() > kHeaderLimit / 2)
        return "the request cannot be kept";
    if (page.size() > cache.maxBytes) return "the answer is larger than the cache";
    std::string error;
    if (!create_private_directories(cache.directory, error)) return error;
    std::string bytes(kMagic);
    const std::int64_t stored = now_seconds(cache);
    bytes += std::to_string(stored) + "\n";
    bytes += request;
    bytes += "\n" + std::to_string(page.size()) + "\n";
    bytes += page;
    const std::string path = answer_path(cache, request);
    const FileWrite written = replace_file(path, bytes, kPrivateFile);
    if (!written.ok()) return written.error;
    // The oldest go first: the file's time is the time in it.
    const std::int64_t written_ns = stored * 1'000'000'000;
    restore_file_times(path, written_ns, written_ns);
    prune(cache, path);
    return std::nullopt;
}

}  // namespace kalvento
