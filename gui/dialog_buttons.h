// The OK and キャンセル buttons every dialog of the window ends with.
#pragma once

class QDialog;
class QHBoxLayout;

namespace kalvento::gui {

// Appends a stretch, "OK" (the default button, objectName okButton, accepts
// the dialog through its own accept()) and "キャンセル" (cancelButton,
// rejects) to `row`.
void add_ok_cancel(QDialog* dialog, QHBoxLayout* row);

}  // namespace kalvento::gui
