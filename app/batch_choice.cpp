#include "app/batch_choice.h"

#include "app/journal.h"
#include "platform/file_ops.h"
#include "platform/process_places.h"

#include <algorithm>
#include <functional>
#include <map>

namespace kalvento {

bool batch_still_running(const JournalBatchRecord& batch) {
    const long pid = batch_process_id(batch.id);
    return !batch.ended && pid != process_id() && process_is_running(pid);
}

const JournalBatchRecord* find_batch(const JournalContents& contents, std::string_view id) {
    for (const JournalBatchRecord& batch : contents.batches)
        if (batch.id == id) return &batch;
    return nullptr;
}

bool changes_files(const JournalBatchRecord& batch) {
    return !batch.datings.empty() || !batch.folders.empty() ||
           std::any_of(batch.placements.begin(), batch.placements.end(),
                       [](const JournalPlacement& made) {
                           return made.outcome != RecordedOutcome::notMoved;
                       }) ||
           std::any_of(batch.moves.begin(), batch.moves.end(), [](const JournalMove& move) {
               return move.outcome != RecordedOutcome::notMoved;
           });
}

bool batch_in_folder(const JournalBatchRecord& batch, const std::string& folder) {
    const std::string wanted = absolute_normal_path(folder);
    const auto in_wanted = [&](const std::string& path) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos) return false;
        return path.substr(0, slash == 0 ? 1 : slash) == wanted;
    };
    // A file moved or put into a library counts as in DIR when it came from
    // there or went there.
    for (const JournalMove& move : batch.moves)
        if (move.outcome != RecordedOutcome::notMoved && !in_wanted(move.from) &&
            !in_wanted(move.to))
            return false;
    for (const JournalPlacement& made : batch.placements)
        if (made.outcome != RecordedOutcome::notMoved && !in_wanted(made.from) &&
            !in_wanted(made.to))
            return false;
    for (const JournalDating& dating : batch.datings)
        if (!in_wanted(dating.path)) return false;
    return changes_files(batch);
}

std::vector<std::string> batches_named(const JournalContents& contents, std::string_view prefix) {
    if (find_batch(contents, prefix) != nullptr) return {std::string(prefix)};
    std::vector<std::string> ids;
    if (prefix.empty()) return ids;
    for (const JournalBatchRecord& batch : contents.batches)
        if (batch.id.starts_with(prefix)) ids.push_back(batch.id);
    return ids;
}

BatchesSince batches_since(const JournalContents& contents, std::int64_t since,
                           const std::string& folder) {
    // The undos of each batch, so that "taken back" is known in one pass
    // from the newest: an undo counts only while it is not undone itself.
    std::map<std::string, std::vector<const JournalBatchRecord*>> undos;
    for (const JournalBatchRecord& batch : contents.batches)
        if (!batch.undoOf.empty()) undos[batch.undoOf].push_back(&batch);
    std::function<bool(const std::string&, int)> undone = [&](const std::string& id, int depth) {
        const auto found = undos.find(id);
        if (found == undos.end() || depth > 64) return false;
        return std::any_of(
            found->second.begin(), found->second.end(), [&](const JournalBatchRecord* undo) {
                return undo->ended && undo->leftBehind == 0 && !undone(undo->id, depth + 1);
            });
    };
    BatchesSince picked;
    for (auto batch = contents.batches.rbegin(); batch != contents.batches.rend(); ++batch) {
        if (!batch->hasStart || batch->time < since || !batch->undoOf.empty() ||
            batch->frontEnd == kFrontEndUndo || !changes_files(*batch))
            continue;
        if (!folder.empty() && !batch_in_folder(*batch, folder)) continue;
        if (undone(batch->id, 0)) continue;
        (batch_still_running(*batch) ? picked.stillRunning : picked.batches).push_back(batch->id);
    }
    return picked;
}

}  // namespace kalvento
