// The rename journal is read back from disk, where a crash, a full disk or a
// hand may have left anything. The reader must take what it can and count
// the rest, and what it takes must hold together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/journal_reader.h"
#include "app/undo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kalvento::JournalContents contents = kalvento::parse_journal(bytes);
    std::size_t lines = 0;
    for (const char c : bytes) lines += c == '\n' ? 1 : 0;
    std::size_t records = contents.damagedLines;
    for (const auto& batch : contents.batches) {
        if (batch.id.empty()) std::abort();
        const std::size_t held = batch.moves.size() + batch.datings.size() + batch.left.size() +
                                 batch.placements.size() + batch.folders.size() +
                                 batch.removals.size();
        if (!batch.hasStart && held == 0) std::abort();
        records += (batch.hasStart ? 1 : 0) + held;
        for (const auto& move : batch.moves)
            if (move.from.empty() || move.to.empty()) std::abort();
        for (const auto& made : batch.placements)
            if (made.from.empty() || made.to.empty()) std::abort();
    }
    // Every record came from a line of its own (outcome and end lines add none).
    if (records > lines + 1) std::abort();
    (void)kalvento::last_changing_batch(contents);
    return 0;
}
