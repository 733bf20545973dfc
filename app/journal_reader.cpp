#include "app/journal_reader.h"

#include "app/journal.h"
#include "app/json_paths.h"
#include "platform/file_io.h"

#include <nlohmann/json.hpp>

#include <unordered_map>

namespace kalvento {
namespace {

using Json = nlohmann::json;

// A larger journal than this is not one of ours; a longer line neither.
constexpr std::size_t kJournalReadLimit = 64u << 20;
constexpr std::size_t kLineLimit = 1u << 20;

template <typename T>
std::optional<T> number(const Json& json, const char* key) {
    const auto it = json.find(key);
    if (it == json.end()) return std::nullopt;
    if constexpr (std::is_unsigned_v<T>) {
        if (!it->is_number_unsigned()) return std::nullopt;
    } else {
        if (!it->is_number_integer()) return std::nullopt;
    }
    return it->get<T>();
}

std::optional<std::string> text(const Json& json, const char* key) {
    const auto it = json.find(key);
    if (it == json.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<FileRole> role(const Json& json) {
    const auto name = text(json, "role");
    if (name == "recording") return FileRole::recording;
    if (name == "companion") return FileRole::companion;
    return std::nullopt;
}

std::optional<RecordedFile> recorded_file(const Json& json) {
    const auto device = number<std::uint64_t>(json, "device");
    const auto inode = number<std::uint64_t>(json, "inode");
    if (!device || !inode) return std::nullopt;
    RecordedFile file;
    file.device = *device;
    file.inode = *inode;
    file.size = number<std::int64_t>(json, "size").value_or(0);
    file.modifiedNs = number<std::int64_t>(json, "modifiedNs").value_or(0);
    file.accessedNs = number<std::int64_t>(json, "accessedNs").value_or(0);
    file.bornNs = number<std::int64_t>(json, "bornNs").value_or(0);
    return file;
}

class Parser {
  public:
    explicit Parser(JournalContents& contents) : contents_(contents) {
        for (std::size_t i = 0; i < contents_.batches.size(); ++i)
            byId_.emplace(contents_.batches[i].id, i);
    }

    // False when the line is not a record of ours.
    bool take(const Json& json) {
        if (!json.is_object()) return false;
        const auto type = text(json, "type");
        const auto id = text(json, "batch");
        if (!type || !id || id->empty()) return false;
        if (*type == "batch") return start(json, *id);
        JournalBatchRecord* batch = find(*id);
        if (batch == nullptr) return false;  // its start went with a rotated file
        if (*type == "move") return move(json, *batch);
        if (*type == "moved") return outcome(json, *batch);
        if (*type == "date") return dating(json, *batch);
        if (*type == "end") {
            batch->ended = true;
            return true;
        }
        return false;
    }

  private:
    JournalBatchRecord* find(const std::string& id) {
        const auto it = byId_.find(id);
        return it == byId_.end() ? nullptr : &contents_.batches[it->second];
    }

    bool start(const Json& json, const std::string& id) {
        if (find(id) != nullptr) return false;
        JournalBatchRecord batch;
        batch.id = id;
        batch.time = number<std::int64_t>(json, "time").value_or(0);
        batch.frontEnd = text(json, "frontEnd").value_or("");
        batch.undoOf = text(json, "undoOf").value_or("");
        batch.folder = get_path(json, "folder").value_or("");
        byId_.emplace(id, contents_.batches.size());
        contents_.batches.push_back(std::move(batch));
        return true;
    }

    bool move(const Json& json, JournalBatchRecord& batch) {
        const auto seq = number<int>(json, "seq");
        const auto file_role = role(json);
        const auto from = get_path(json, "from");
        const auto to = get_path(json, "to");
        if (!seq || !file_role || !from || !to || from->empty() || to->empty()) return false;
        batch.moves.push_back(JournalMove{*seq, *file_role, *from, *to, recorded_file(json),
                                          RecordedOutcome::unknown});
        return true;
    }

    bool outcome(const Json& json, JournalBatchRecord& batch) {
        const auto seq = number<int>(json, "seq");
        const auto it = json.find("moved");
        if (!seq || it == json.end() || !it->is_boolean()) return false;
        for (auto move = batch.moves.rbegin(); move != batch.moves.rend(); ++move) {
            if (move->seq != *seq) continue;
            move->outcome = it->get<bool>() ? RecordedOutcome::moved : RecordedOutcome::notMoved;
            return true;
        }
        return false;
    }

    bool dating(const Json& json, JournalBatchRecord& batch) {
        const auto seq = number<int>(json, "seq");
        const auto file_role = role(json);
        const auto path = get_path(json, "path");
        if (!seq || !file_role || !path || path->empty()) return false;
        batch.datings.push_back(JournalDating{*seq, *file_role, *path, recorded_file(json)});
        return true;
    }

    JournalContents& contents_;
    std::unordered_map<std::string, std::size_t> byId_;
};

}  // namespace

void parse_journal(std::string_view bytes, JournalContents& contents) {
    Parser parser(contents);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        if (line.size() > kLineLimit) {
            ++contents.damagedLines;
            continue;
        }
        const Json json = Json::parse(line, nullptr, false);
        if (json.is_discarded() || !parser.take(json)) ++contents.damagedLines;
    }
}

JournalContents read_journal(const std::string& directory) {
    JournalContents contents;
    for (const std::string& path : {previous_journal_path(directory), journal_path(directory)}) {
        const FileRead file = read_small_file(path, kJournalReadLimit, true);
        if (file.ok()) parse_journal(file.bytes, contents);
    }
    return contents;
}

}  // namespace kalvento
