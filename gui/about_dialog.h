// "バージョン情報": the program's name and version.
#pragma once

#include <QDialog>

namespace kalvento::gui {

class AboutDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace kalvento::gui
