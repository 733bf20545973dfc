#include "app/journal_reader.h"

#include "app/journal.h"
#include "app/json_paths.h"
#include "platform/append_log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <deque>
#include <map>
#include <unordered_map>

namespace kalvento {
namespace {

using ParsedJson = nlohmann::json;

template <typename T>
std::optional<T> number(const ParsedJson& json, const char* key) {
    const auto it = json.find(key);
    if (it == json.end()) return std::nullopt;
    if constexpr (std::is_unsigned_v<T>) {
        if (!it->is_number_unsigned()) return std::nullopt;
    } else {
        if (!it->is_number_integer()) return std::nullopt;
    }
    return it->get<T>();
}

std::optional<std::string> text(const ParsedJson& json, const char* key) {
    const auto it = json.find(key);
    if (it == json.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<FileRole> role(const ParsedJson& json) {
    const auto name = text(json, "role");
    if (name == "recording") return FileRole::recording;
    if (name == "companion") return FileRole::companion;
    return std::nullopt;
}

std::optional<RecordedFile> recorded_file(const ParsedJson& json) {
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

// Builds batches from lines in any order: a batch carried over by a
// rotation has its first lines after its later ones.
class Parser {
  public:
    // False when the line is not a record of ours.
    bool take(const ParsedJson& json) {
        if (!json.is_object()) return false;
        const auto type = text(json, "type");
        const auto id = text(json, "batch");
        if (!type || !id || id->empty()) return false;
        Building& batch = find(*id);
        const bool taken = take(*type, json, batch);
        if (taken) ++batch.lines;
        return taken;
    }

    void finish(JournalContents& contents) {
        for (Building& batch : batches_) {
            JournalBatchRecord& record = batch.record;
            // Lines left of a batch whose records went with a dropped file
            // tell nothing that can be acted on.
            if (!record.hasStart && record.moves.empty() && record.datings.empty() &&
                record.placements.empty() && record.folders.empty() && record.removals.empty()) {
                contents.damagedLines += batch.lines;
                continue;
            }
            const auto by_seq = [](const auto& a, const auto& b) { return a.seq < b.seq; };
            std::stable_sort(record.moves.begin(), record.moves.end(), by_seq);
            std::stable_sort(record.datings.begin(), record.datings.end(), by_seq);
            std::stable_sort(record.left.begin(), record.left.end(), by_seq);
            std::stable_sort(record.placements.begin(), record.placements.end(), by_seq);
            std::stable_sort(record.folders.begin(), record.folders.end(), by_seq);
            for (auto& [seq, outcome] : batch.placed) {
                const auto it =
                    std::lower_bound(record.placements.begin(), record.placements.end(), seq,
                                     [](const JournalPlacement& p, int s) { return p.seq < s; });
                if (it == record.placements.end() || it->seq != seq) {
                    ++contents.damagedLines;
                    continue;
                }
                it->outcome = outcome.made ? RecordedOutcome::moved : RecordedOutcome::notMoved;
                it->made = outcome.file;
                it->hash = outcome.hash;
            }
            for (const auto& [seq, moved] : batch.outcomes) {
                const auto it =
                    std::lower_bound(record.moves.begin(), record.moves.end(), seq,
                                     [](const JournalMove& m, int s) { return m.seq < s; });
                if (it == record.moves.end() || it->seq != seq) {
                    ++contents.damagedLines;
                    continue;
                }
                it->outcome = moved ? RecordedOutcome::moved : RecordedOutcome::notMoved;
            }
            contents.batches.push_back(std::move(record));
        }
        batches_.clear();
        byId_.clear();
    }

  private:
    struct Placed {
        bool made = false;
        std::optional<RecordedFile> file;
        std::optional<std::uint64_t> hash;
    };
    struct Building {
        JournalBatchRecord record;
        std::map<int, bool> outcomes;  // seq -> moved
        std::map<int, Placed> placed;  // seq -> how a link or copy came out
        std::size_t lines = 0;         // lines taken
    };

    bool take(const std::string& type, const ParsedJson& json, Building& batch) {
        if (type == "batch") return start(json, batch);
        if (type == "move") return move(json, batch);
        if (type == "moved") return outcome(json, batch);
        if (type == "date") return dating(json, batch.record.datings);
        if (type == "left") return left(json, batch);
        if (type == "remove") return dating(json, batch.record.removals);
        if (type == "place") return place(json, batch);
        if (type == "placed") return placed(json, batch);
        if (type == "folder") return folder(json, batch);
        if (type == "end") {
            batch.record.ended = true;
            batch.record.leftBehind = number<std::size_t>(json, "leftBehind").value_or(0);
            return true;
        }
        return false;
    }

    Building& find(const std::string& id) {
        const auto [it, added] = byId_.emplace(id, batches_.size());
        if (added) {
            batches_.emplace_back();
            batches_.back().record.id = id;
        }
        return batches_[it->second];
    }

    bool start(const ParsedJson& json, Building& batch) {
        JournalBatchRecord& record = batch.record;
        if (record.hasStart) return false;
        record.hasStart = true;
        record.time = number<std::int64_t>(json, "time").value_or(0);
        record.frontEnd = text(json, "frontEnd").value_or("");
        record.undoOf = text(json, "undoOf").value_or("");
        record.folder = get_path(json, "folder").value_or("");
        return true;
    }

    bool move(const ParsedJson& json, Building& batch) {
        const auto seq = number<int>(json, "seq");
        const auto file_role = role(json);
        const auto from = get_path(json, "from");
        const auto to = get_path(json, "to");
        if (!seq || !file_role || !from || !to || from->empty() || to->empty()) return false;
        batch.record.moves.push_back(JournalMove{*seq, *file_role, *from, *to, recorded_file(json),
                                                 RecordedOutcome::unknown});
        return true;
    }

    bool outcome(const ParsedJson& json, Building& batch) {
        const auto seq = number<int>(json, "seq");
        const auto it = json.find("moved");
        if (!seq || it == json.end() || !it->is_boolean()) return false;
        batch.outcomes[*seq] = it->get<bool>();
        return true;
    }

    bool dating(const ParsedJson& json, std::vector<JournalDating>& into) {
        const auto seq = number<int>(json, "seq");
        const auto file_role = role(json);
        const auto path = get_path(json, "path");
        if (!seq || !file_role || !path || path->empty()) return false;
        into.push_back(JournalDating{*seq, *file_role, *path, recorded_file(json)});
        return true;
    }

    bool place(const ParsedJson& json, Building& batch) {
        const auto seq = number<int>(json, "seq");
        const auto file_role = role(json);
        const auto kind = text(json, "kind");
        const auto from = get_path(json, "from");
        const auto to = get_path(json, "to");
        if (!seq || !file_role || !from || !to || from->empty() || to->empty() ||
            (kind != "link" && kind != "copy"))
            return false;
        JournalPlacement placement;
        placement.seq = *seq;
        placement.role = *file_role;
        placement.kind = kind == "link" ? PlaceKind::link : PlaceKind::copy;
        placement.from = *from;
        placement.to = *to;
        placement.original = recorded_file(json);
        batch.record.placements.push_back(std::move(placement));
        return true;
    }

    bool placed(const ParsedJson& json, Building& batch) {
        const auto seq = number<int>(json, "seq");
        const auto it = json.find("made");
        if (!seq || it == json.end() || !it->is_boolean()) return false;
        Placed outcome{it->get<bool>(), recorded_file(json), std::nullopt};
        if (const auto hash = text(json, "hash")) {
            std::uint64_t value = 0;
            const auto [end, error] =
                std::from_chars(hash->data(), hash->data() + hash->size(), value, 16);
            if (error != std::errc() || end != hash->data() + hash->size()) return false;
            outcome.hash = value;
        }
        batch.placed[*seq] = std::move(outcome);
        return true;
    }

    bool folder(const ParsedJson& json, Building& batch) {
        const auto seq = number<int>(json, "seq");
        const auto path = get_path(json, "path");
        if (!seq || !path || path->empty()) return false;
        batch.record.folders.push_back(JournalFolder{*seq, *path});
        return true;
    }

    bool left(const ParsedJson& json, Building& batch) {
        const auto seq = number<int>(json, "seq");
        const auto path = get_path(json, "path");
        const auto status = text(json, "status");
        if (!seq || !path || path->empty() || !status) return false;
        batch.record.left.push_back(
            JournalLeft{*seq, *path, *status, text(json, "reason").value_or("")});
        return true;
    }

    std::deque<Building> batches_;  // in the order their first lines appear
    std::unordered_map<std::string, std::size_t> byId_;
};

void take_line(Parser& parser, std::string_view line, bool too_long, JournalContents& contents) {
    if (line.empty() && !too_long) return;
    if (too_long) {
        ++contents.damagedLines;
        return;
    }
    const ParsedJson json = ParsedJson::parse(line, nullptr, false);
    if (json.is_discarded() || !parser.take(json)) ++contents.damagedLines;
}

}  // namespace

JournalContents parse_journal(std::string_view bytes) {
    JournalContents contents;
    Parser parser;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        take_line(parser, line.size() > kJournalLineLimit ? std::string_view() : line,
                  line.size() > kJournalLineLimit, contents);
    }
    parser.finish(contents);
    return contents;
}

JournalContents read_journal(const std::string& directory) {
    JournalContents contents;
    Parser parser;
    for (const std::string& path : {previous_journal_path(directory), journal_path(directory)}) {
        const LogRead read =
            read_log_lines(path, kJournalLineLimit, [&](std::string_view line, bool too_long) {
                take_line(parser, line, too_long, contents);
            });
        if (read.status != LogReadStatus::failed) continue;
        if (contents.problem) {
            contents.problem->message += "; " + read.error;
        } else {
            contents.problem = Error::failed(read.error);
        }
    }
    parser.finish(contents);
    return contents;
}

Notice damaged_lines_notice(std::size_t count) {
    return Notice{NoticeLevel::warning, "journal", "",
                  std::to_string(count) +
                      (count == 1 ? " damaged journal line was" : " damaged journal lines were") +
                      " skipped"};
}

}  // namespace kalvento
