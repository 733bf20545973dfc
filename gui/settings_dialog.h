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

    // The values as entered; a field without digits reads as 0.
    int read_start_pos() const;
    int read_size() const;
    bool show_progress() const;

  public slots:
    // Refuses a start position outside 0..100 or a size outside 1..2047 MB
    // with a message and stays open.
    void accept() override;

  private:
    void refuse(QLineEdit* field, const QString& message_text);

    QLineEdit* startPos_ = nullptr;
    QLineEdit* size_ = nullptr;
    QCheckBox* showProgress_ = nullptr;
};

}  // namespace kalvento::gui
