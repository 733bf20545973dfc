// The popups of a job-list row, built from the entry: the programme
// candidates to choose from, and the programme's description.
#pragma once

#include "naming/file_entry.h"

#include <QMenu>

#include <memory>

namespace kalvento::gui {

// Data of the candidate menu's "edit the programme name" item; a candidate
// item carries its index into the candidates.
inline constexpr int kEditProgrammeNameChoice = -1;

// One item per candidate, "name [channel](&k)", the chosen one with a radio
// mark, then the programme-name edit. Nothing (nullptr) for an entry whose
// first candidate has no start time: such a file has no programme to choose.
std::unique_ptr<QMenu> make_candidate_menu(const FileEntry& entry, QWidget* parent);

// The description and extended description of the chosen candidate as plain
// lines; nullptr when it has no description.
std::unique_ptr<QMenu> make_description_menu(const FileEntry& entry, QWidget* parent);

}  // namespace kalvento::gui
