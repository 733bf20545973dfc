// "設定": where the analysis starts and how much it reads, and whether its
// progress is shown.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace kalvento::gui {

class SettingsDialog final : public QDialog {
    Q_OBJECT

  public:
    SettingsDialog(int read_start_pos, int read_size, bool show_progress,
                   QWidget* parent = nullptr);

    // The values as entered; a text that is not a number reads as 0.
    int read_start_pos() const;
    int read_size() const;
    bool show_progress() const;

  public slots:
    // Refuses a start position or a size outside the settings' limits with a
    // message and stays open.
    void accept() override;

  private:
    void refuse(QLineEdit* edit, const QString& text);

    QLineEdit* startPos_ = nullptr;
    QLineEdit* size_ = nullptr;
    QCheckBox* showProgress_ = nullptr;
};

}  // namespace kalvento::gui
