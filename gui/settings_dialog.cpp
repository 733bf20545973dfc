#include "gui/settings_dialog.h"

#include "app/settings_table.h"
#include "gui/dialog_buttons.h"
#include "gui/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <optional>

namespace kalvento::gui {
namespace {

// The edits take up to 99 characters: an optional minus and digits.
constexpr int kNumberFieldMax = 99;

// The number in an edit; one without digits reads as 0, one too long for any
// number as none at all (outside every range, never wrapped round into one).
std::optional<long long> number_of(const QLineEdit* edit) {
    const QString text = edit->text();
    if (text.isEmpty() || text == QStringLiteral("-")) return 0;
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

bool in_range(const QLineEdit* edit, const SettingRow& row) {
    const std::optional<long long> value = number_of(edit);
    return value && within_limits(row, *value);
}

QLineEdit* number_edit(int value, const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(kNumberFieldMax);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*")), edit));
    return edit;
}

}  // namespace

SettingsDialog::SettingsDialog(int read_start_pos, int read_size, bool show_progress,
                               QWidget* parent)
    : SettingsDialog(read_start_pos, read_size, show_progress, Library{}, parent) {}

SettingsDialog::SettingsDialog(int read_start_pos, int read_size, bool show_progress,
                               const Library& library, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(QStringLiteral("設定"));

    startPos_ = number_edit(read_start_pos, "readStartPosEdit", this);
    size_ = number_edit(read_size, "readSizeEdit", this);
    showProgress_ = new QCheckBox(QStringLiteral("解析中に進行状況を表示する(&P)"), this);
    showProgress_->setObjectName(QStringLiteral("showProgressBox"));
    showProgress_->setChecked(show_progress);

    auto* explanation = new QLabel(
        QStringLiteral("番組情報を検索する位置とサイズを指定します。\n"
                       "開始位置：tsファイルサイズの何%の位置から検索を開始するか指定する。\n"
                       "　(ファイルの先頭から行なうと前の番組情報を誤認識する場合がある)\n"
                       "サイズ：どの位のデータを読み込むか指定する。\n"
                       "　(大きくすると認識率は上がるが時間がかかる)"),
        this);
    explanation->setObjectName(QStringLiteral("explanation"));

    auto* fields = new QGridLayout;
    auto* start_label = new QLabel(QStringLiteral("解析開始位置(%)"), this);
    start_label->setObjectName(QStringLiteral("readStartPosLabel"));
    start_label->setBuddy(startPos_);
    auto* size_label = new QLabel(QStringLiteral("解析サイズ(MB)"), this);
    size_label->setObjectName(QStringLiteral("readSizeLabel"));
    size_label->setBuddy(size_);
    fields->addWidget(start_label, 0, 0);
    fields->addWidget(size_label, 0, 1);
    fields->addWidget(startPos_, 1, 0);
    fields->addWidget(size_, 1, 1);
    // The library: made after the fields above, so Tab reaches them in the
    // order they are shown.
    auto* library_box = new QGroupBox(QStringLiteral("ライブラリ"), this);
    library_box->setObjectName(QStringLiteral("libraryBox"));
    libraryAction_ = new QComboBox(library_box);
    libraryAction_->setObjectName(QStringLiteral("libraryActionBox"));
    libraryAction_->addItems({QStringLiteral("その場で改名"), QStringLiteral("ハードリンク"),
                              QStringLiteral("コピー"), QStringLiteral("移動")});
    libraryAction_->setCurrentIndex(
        library.action >= 0 && library.action < libraryAction_->count() ? library.action : 0);
    libraryFolder_ = new QLineEdit(library.folder, library_box);
    libraryFolder_->setObjectName(QStringLiteral("libraryFolderEdit"));
    browse_ = new QPushButton(QStringLiteral("参照(&B)..."), library_box);
    browse_->setObjectName(QStringLiteral("libraryBrowseButton"));
    browse_->setAutoDefault(false);
    libraryTemplate_ = new QLineEdit(library.folderTemplate, library_box);
    libraryTemplate_->setObjectName(QStringLiteral("libraryTemplateEdit"));
    libraryTemplate_->setPlaceholderText(QStringLiteral("例: @TT"));
    connect(browse_, &QPushButton::clicked, this, &SettingsDialog::browse_folder);
    auto* library_fields = new QGridLayout(library_box);
    const auto label = [&](const QString& text, const char* name, QWidget* buddy) {
        auto* made = new QLabel(text, library_box);
        made->setObjectName(QString::fromLatin1(name));
        made->setBuddy(buddy);
        return made;
    };
    library_fields->addWidget(
        label(QStringLiteral("変換時の動作(&A)"), "libraryActionLabel", libraryAction_), 0, 0);
    library_fields->addWidget(libraryAction_, 0, 1, 1, 2);
    library_fields->addWidget(
        label(QStringLiteral("ライブラリのフォルダ(&L)"), "libraryFolderLabel", libraryFolder_), 1,
        0);
    library_fields->addWidget(libraryFolder_, 1, 1);
    library_fields->addWidget(browse_, 1, 2);
    library_fields->addWidget(
        label(QStringLiteral("サブフォルダ(&S)"), "libraryTemplateLabel", libraryTemplate_), 2, 0);
    library_fields->addWidget(libraryTemplate_, 2, 1, 1, 2);

    auto* buttons = new QHBoxLayout;
    add_ok_cancel(this, buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(showProgress_);
    layout->addWidget(explanation);
    layout->addWidget(library_box);
    layout->addLayout(buttons);
}

SettingsDialog::Library SettingsDialog::library() const {
    return Library{libraryAction_->currentIndex(), libraryFolder_->text(),
                   libraryTemplate_->text()};
}

void SettingsDialog::browse_folder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("ライブラリのフォルダ"), libraryFolder_->text());
    if (!chosen.isEmpty()) libraryFolder_->setText(chosen);
}

int SettingsDialog::read_start_pos() const {
    return static_cast<int>(number_of(startPos_).value_or(0));
}

int SettingsDialog::read_size() const {
    return static_cast<int>(number_of(size_).value_or(0));
}

bool SettingsDialog::show_progress() const {
    return showProgress_->isChecked();
}

void SettingsDialog::accept() {
    // The limits of the settings table, which the command line applies too.
    const SettingRow& start = *find_setting("ReadStartPos");
    const SettingRow& size = *find_setting("ReadSize");
    if (!in_range(startPos_, start)) {
        refuse(startPos_, QStringLiteral("1～%1で指定してください。").arg(start.high));
    } else if (!in_range(size_, size)) {
        refuse(size_, QStringLiteral("%1～%2で指定してください。").arg(size.low).arg(size.high));
    } else if (libraryAction_->currentIndex() != 0 && libraryFolder_->text().trimmed().isEmpty()) {
        refuse(libraryFolder_, QStringLiteral("ライブラリのフォルダを指定してください。"));
    } else {
        QDialog::accept();
    }
}

// Says what is wrong and stays open on the field.
void SettingsDialog::refuse(QWidget* field, const QString& message_text) {
    auto* message = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("設定"), message_text,
                                    QMessageBox::Ok, this);
    message->setObjectName(QStringLiteral("rangeMessage"));
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->open();
    field->setFocus();
}

}  // namespace kalvento::gui
