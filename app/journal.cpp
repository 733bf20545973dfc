#include "app/journal.h"

#include "app/json_paths.h"
#include "app/side_files.h"
#include "platform/file_ops.h"
#include "platform/process_places.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <random>

namespace kalvento {
namespace {

using Json = nlohmann::ordered_json;

std::int64_t now_seconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

const char* role_name(FileRole role) {
    return role == FileRole::recording ? "recording" : "companion";
}

// The fields every record line of a batch begins with.
Json record_line(const std::string& batch, const char* type, int seq) {
    Json line;
    line["type"] = type;
    line["batch"] = batch;
    line["seq"] = seq;
    return line;
}

std::string line_of(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

void put_identity(Json& json, const std::optional<FileIdentity>& identity) {
    if (identity) {
        json["device"] = identity->device;
        json["inode"] = identity->inode;
        json["size"] = identity->size;
        json["modifiedNs"] = identity->modifiedNs;
        json["accessedNs"] = identity->accessedNs;
        if (identity->bornNs != 0) json["bornNs"] = identity->bornNs;
    }
}

}  // namespace

std::string journal_path(const std::string& directory) {
    return directory + "/" + std::string(kJournalFileName);
}

std::string previous_journal_path(const std::string& directory) {
    return directory + "/" + std::string(kPreviousJournalFileName);
}

// Seconds, process and a per-process sequence from a random start: batches
// begun by one process within one second never share an id (random parts
// alone met within a few hundred batches, and an "end" line of one then
// closed the other).
std::string new_batch_id() {
    static std::atomic<unsigned> sequence{std::random_device{}()};
    const std::int64_t now = now_seconds();
    char id[64];
    std::snprintf(id, sizeof id, "%lld-%ld-%04x", static_cast<long long>(now), process_id(),
                  sequence.fetch_add(1) & 0xFFFFu);
    return id;
}

long batch_process_id(std::string_view batch_id) {
    const std::size_t first = batch_id.find('-');
    if (first == std::string_view::npos) return 0;
    const std::string_view rest = batch_id.substr(first + 1);
    long pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
        *end != '-' || pid <= 0)
        return 0;
    return pid;
}

namespace {

// The lines of the previous journal file about to be dropped that belong to
// batches not ended yet by processes still running: they go on in the new
// journal. nullopt puts the rotation off: when a file cannot be read whole,
// or when the lines would fill half a journal (a very long batch at work:
// carrying it again at every batch start would cost more than the journal
// growing until it ends).
std::optional<std::string> lines_to_carry(const std::string& directory,
                                          std::uint64_t rotate_bytes) {
    std::map<std::string, std::string> open_batches;  // id -> its lines
    const auto type_and_id = [](std::string_view line) -> std::pair<std::string, std::string> {
        const Json json = Json::parse(line, nullptr, false);
        if (!json.is_object()) return {};
        const auto type = json.find("type");
        const auto id = json.find("batch");
        if (type == json.end() || id == json.end() || !type->is_string() || !id->is_string())
            return {};
        return {type->get<std::string>(), id->get<std::string>()};
    };
    const LogRead dropped = read_log_lines(previous_journal_path(directory), kJournalLineLimit,
                                           [&](std::string_view line, bool too_long) {
                                               if (too_long) return;
                                               const auto [type, id] = type_and_id(line);
                                               if (id.empty()) return;
                                               if (type == "end") {
                                                   open_batches.erase(id);
                                               } else {
                                                   open_batches[id].append(line).push_back('\n');
                                               }
                                           });
    if (dropped.status == LogReadStatus::missing) return std::string();
    if (dropped.status != LogReadStatus::read) return std::nullopt;
    // A batch may have ended in the current file.
    if (!open_batches.empty()) {
        const LogRead current = read_log_lines(journal_path(directory), kJournalLineLimit,
                                               [&](std::string_view line, bool too_long) {
                                                   if (too_long) return;
                                                   const auto [type, id] = type_and_id(line);
                                                   if (type == "end") open_batches.erase(id);
                                               });
        if (current.status == LogReadStatus::failed) return std::nullopt;
    }
    std::string carried;
    for (const auto& [id, lines] : open_batches) {
        const long pid = batch_process_id(id);
        if (pid == process_id() || process_is_running(pid)) carried += lines;
    }
    if (carried.size() > rotate_bytes / 2) return std::nullopt;
    return carried;
}

}  // namespace

JournalBatch::JournalBatch(const std::string& directory, std::string id,
                           const JournalOptions& options)
    : log_(journal_path(directory), previous_journal_path(directory), options.lockWait),
      directory_(directory),
      id_(std::move(id)),
      rotateBytes_(options.rotateBytes) {}

Result<std::unique_ptr<JournalBatch>> JournalBatch::begin(const std::string& directory,
                                                          std::string_view front_end,
                                                          std::string_view undo_of,
                                                          const JournalOptions& options) {
    std::string error;
    if (!create_directory_for_saving(directory, error)) return Error::failed(error);
    std::unique_ptr<JournalBatch> batch(new JournalBatch(directory, new_batch_id(), options));
    if (!batch->log_.open(error)) return Error::failed(error);
    Json line;
    line["type"] = "batch";
    line["batch"] = batch->id_;
    line["time"] = now_seconds();
    line["frontEnd"] = std::string(front_end);
    if (!undo_of.empty()) line["undoOf"] = std::string(undo_of);
    put_path(line, "folder", current_directory());
    batch->startLine_ = line_of(line);
    return batch;
}

Status JournalBatch::write(const std::string& line) {
    if (!busyError_.empty()) return Error{ErrorCode::busy, busyError_};
    std::string error;
    bool written = false;
    if (!started_) {
        // A batch starts a new journal when the old one has grown large, so a
        // batch is never cut in two by rotation of its own doing.
        const AppendLog::Rotation rotation{
            rotateBytes_, [this] { return lines_to_carry(directory_, rotateBytes_); }};
        written = log_.append(startLine_ + line, error, &rotation);
        started_ = written;
    } else {
        written = log_.append(line, error);
    }
    if (written) return {};
    if (!log_.gave_up_waiting()) return Error::failed(error);
    busyError_ = error;
    return Error{ErrorCode::busy, error};
}

Status JournalBatch::before_move(const MoveIntent& intent) {
    lastMove_ = ++sequence_;
    Json line = record_line(id_, "move", lastMove_);
    line["role"] = role_name(intent.role);
    // Absolute, so the batch can be taken back from any working directory.
    put_path(line, "from", absolute_normal_path(intent.from));
    put_path(line, "to", absolute_normal_path(intent.to));
    put_identity(line, file_identity(intent.from));
    return write(line_of(line));
}

void JournalBatch::after_move(const MoveIntent&, bool moved, const std::string& message) {
    Json line = record_line(id_, "moved", lastMove_);
    line["moved"] = moved;
    if (!moved) line["message"] = message;
    // The intent is on record already: should this line be lost, the undo
    // looks at the disk to tell whether the move happened.
    (void)write(line_of(line));
}

Status JournalBatch::before_dating(FileRole role, const std::string& path) {
    // Only a regular file gets new times (a symbolic link keeps its own).
    const auto identity = file_identity(path);
    if (identity && !identity->regular) return {};
    Json line = record_line(id_, "date", ++sequence_);
    line["role"] = role_name(role);
    put_path(line, "path", absolute_normal_path(path));
    put_identity(line, identity);
    return write(line_of(line));
}

Status JournalBatch::record_left(const std::string& path, std::string_view status,
                                 const std::string& reason) {
    Json line = record_line(id_, "left", ++sequence_);
    put_path(line, "path", absolute_normal_path(path));
    line["status"] = std::string(status);
    line["reason"] = reason;
    return write(line_of(line));
}

Status JournalBatch::before_place(const PlaceIntent& intent) {
    lastPlace_ = ++sequence_;
    Json line = record_line(id_, "place", lastPlace_);
    line["role"] = role_name(intent.role);
    line["kind"] = intent.kind == PlaceKind::link ? "link" : "copy";
    put_path(line, "from", absolute_normal_path(intent.from));
    put_path(line, "to", absolute_normal_path(intent.to));
    put_identity(line, file_identity(intent.from));
    return write(line_of(line));
}

void JournalBatch::after_place(const PlaceIntent& intent, const PlaceResult& result) {
    Json line = record_line(id_, "placed", lastPlace_);
    line["made"] = result.made();
    if (result.made()) {
        put_identity(line, file_identity(intent.to));
        if (result.hash) line["hash"] = hash_text(*result.hash);
    } else {
        line["message"] = result.message;
    }
    (void)write(line_of(line));
}

void JournalBatch::folder_made(const std::string& path) {
    Json line = record_line(id_, "folder", ++sequence_);
    put_path(line, "path", absolute_normal_path(path));
    (void)write(line_of(line));
}

Status JournalBatch::before_removal(FileRole role, const std::string& path) {
    Json line = record_line(id_, "remove", ++sequence_);
    line["role"] = role_name(role);
    put_path(line, "path", absolute_normal_path(path));
    put_identity(line, file_identity(path));
    return write(line_of(line));
}

std::string hash_text(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

Status JournalBatch::finish(std::size_t left_behind) {
    if (!started_) return {};
    Json line;
    line["type"] = "end";
    line["batch"] = id_;
    line["time"] = now_seconds();
    if (left_behind > 0) line["leftBehind"] = left_behind;
    if (Status written = write(line_of(line)); !written) return written;
    std::string error;
    if (!log_.sync(error)) return Error::failed(error);
    return {};
}

}  // namespace kalvento
