// "設定": where the analysis starts and how much it reads, whether its
// progress is shown, and what a conversion does: rename in place, or link,
// copy or move into a library folder (with a sub-folder template).
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kalvento::gui {

class SettingsDialog final : public QDialog {
    Q_OBJECT

  public:
    // The library part: the action (an index of kLibraryActionWords), the
    // folder and the sub-folder template, as the user sees them.
    struct Library {
        int action = 0;
        QString folder;
        QString folderTemplate;
    };

    SettingsDialog(int read_start_pos, int read_size, bool show_progress,
                   QWidget* parent = nullptr);
    SettingsDialog(int read_start_pos, int read_size, bool show_progress, const Library& library,
                   QWidget* parent = nullptr);

    // The values as entered; a field without digits reads as 0.
    int read_start_pos() const;
    int read_size() const;
    bool show_progress() const;
    Library library() const;

  public slots:
    // Refuses a start position outside 0..100 or a size outside 1..2047 MB
    // with a message and stays open.
    void accept() override;

  private:
    void refuse(QWidget* field, const QString& message_text);
    void browse_folder();

    QLineEdit* startPos_ = nullptr;
    QLineEdit* size_ = nullptr;
    QCheckBox* showProgress_ = nullptr;
    QComboBox* libraryAction_ = nullptr;
    QLineEdit* libraryFolder_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLineEdit* libraryTemplate_ = nullptr;
};

}  // namespace kalvento::gui
