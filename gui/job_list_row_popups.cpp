// The list's row popups: another programme of the file, the description, and
// the programme name edited by hand.
#include "gui/job_list_controller.h"
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/name_edit_dialog.h"
#include "gui/qt_text.h"
#include "gui/row_menus.h"

#include <QAction>
#include <QMenu>

#include <cstddef>

namespace kalvento::gui {
namespace {

constexpr std::size_t kProgrammeNameMax = 255;  // bytes of an edited programme name

}  // namespace

void JobListController::open_candidate_menu(int row) {
    view_->setFocus();
    const EntryId id = model_->id_at(row);
    const FileEntry* entry = jobs_.find(id);
    if (row < 0 || entry == nullptr) return;
    std::unique_ptr<QMenu> menu = make_candidate_menu(*entry, window_);
    if (!menu) return;
    const QRect cell = view_->cell_on_screen(row, kColumnEventName);
    popupEntry_ = id;
    popupCellTopLeft_ = cell.topLeft();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const int choice = action->data().toInt();
        connect(action, &QAction::triggered, this, [this, choice] { candidate_chosen(choice); });
    }
    menu->exec(cell.bottomLeft());
}

// The remembered entry may have gone meanwhile; then nothing happens.
void JobListController::candidate_chosen(int choice) {
    if (choice == kEditProgrammeNameChoice) {
        edit_programme_name(popupEntry_);
    } else if (jobs_.select_candidate(popupEntry_, choice)) {
        refresh_entry(popupEntry_);
    }
}

void JobListController::open_description_menu(int row) {
    view_->setFocus();
    const FileEntry* entry = jobs_.find(model_->id_at(row));
    if (row < 0 || entry == nullptr) return;
    std::unique_ptr<QMenu> menu = make_description_menu(*entry, window_);
    if (!menu) return;
    menu->exec(view_->cell_on_screen(row, kColumnEventText).bottomLeft());
}

void JobListController::edit_programme_name(EntryId id) {
    const FileEntry* entry = jobs_.find(id);
    const ProgramInfo* info = entry != nullptr ? selected_candidate(*entry) : nullptr;
    if (info == nullptr) return;
    NameEditDialog dialog(qt_from_cp932(info->eventName), qt_from_cp932(info->eventText), window_);
    dialog.place_at_cell(popupCellTopLeft_);
    if (dialog.exec() != QDialog::Accepted) return;
    if (jobs_.set_programme_name(id, cp932_from_qt(dialog.name(), kProgrammeNameMax)))
        refresh_entry(id);
}

}  // namespace kalvento::gui
