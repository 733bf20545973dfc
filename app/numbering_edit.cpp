#include "app/numbering_edit.h"

namespace kalvento {

std::size_t clamp_entry_index(const std::vector<NumberingEntry>& entries, std::size_t index) {
    if (entries.empty()) return 0;
    return index < entries.size() ? index : entries.size() - 1;
}

std::size_t add_numbering_entry(std::vector<NumberingEntry>& entries, std::size_t shown) {
    if (entries.empty()) {
        entries.emplace_back();
        return 0;
    }
    shown = clamp_entry_index(entries, shown);
    const NumberingEntry copy = entries[shown];
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(shown) + 1, copy);
    return shown + 1;
}

std::size_t delete_numbering_entry(std::vector<NumberingEntry>& entries, std::size_t shown) {
    if (entries.empty()) return 0;
    shown = clamp_entry_index(entries, shown);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(shown));
    return clamp_entry_index(entries, shown);
}

void sort_numbering_entries(std::vector<NumberingEntry>& entries) {
    std::vector<NumberingEntry> sorted;
    sorted.reserve(entries.size());
    for (const NumberingEntry& entry : entries) {
        auto at = sorted.begin();
        while (at != sorted.end() &&
               !(at->StartTime > entry.StartTime ||
                 (at->StartTime == entry.StartTime && at->StartNo >= entry.StartNo))) {
            ++at;
        }
        sorted.insert(at, entry);
    }
    entries = std::move(sorted);
}

}  // namespace kalvento
