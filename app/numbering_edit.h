// The edits of a rule's numbering entries in the rule edit dialog, which
// shows one entry at a time.
#pragma once

#include "rules/rename_rule.h"

#include <cstddef>
#include <vector>

namespace kalvento {

// The shown index kept within the entries present (0 when there are none).
std::size_t clamp_entry_index(const std::vector<NumberingEntry>& entries, std::size_t index);

// Adds an entry: the first one is all zero (it shows today), a further one a
// copy of the shown entry, right after it. Returns the index to show.
std::size_t add_numbering_entry(std::vector<NumberingEntry>& entries, std::size_t shown);

// Removes the shown entry. Returns the index to show: the same one, or the
// last when the removed entry was the last.
std::size_t delete_numbering_entry(std::vector<NumberingEntry>& entries, std::size_t shown);

// The order the dialog leaves the entries in: ascending by start, then by
// start number. Of two entries equal in both, the later one comes first.
void sort_numbering_entries(std::vector<NumberingEntry>& entries);

}  // namespace kalvento
