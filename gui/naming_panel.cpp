#include "gui/naming_panel.h"

#include "gui/flow_layout.h"
#include "gui/qt_text.h"
#include "naming/item_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvento::gui {

QCheckBox* NamingPanel::add_box(const QString& text, const char* name, bool naming) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::fromLatin1(name));
    connect(box, &QCheckBox::toggled, this, [this, naming] {
        if (!loading_) emit changed(naming);
    });
    return box;
}

NamingPanel::NamingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("namingPanel"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* instructions = new QLabel(
        QStringLiteral(
            "ｔｓファイルをドラッグ＆ドロップしてください。　ファイル名の付与条件を設定し"
            "「変換」を押してください。"),
        this);
    instructions->setObjectName(QStringLiteral("instructions"));
    instructions->setWordWrap(true);
    auto* key_help =
        new QLabel(QStringLiteral("「変換(Ctrl+Z)」「リストから削除(Ctrl+X)」「全選択(Ctrl+A)」"
                                  "「番組の選択(←)」「内容の表示(→)」"),
                   this);
    key_help->setObjectName(QStringLiteral("keyHelp"));
    key_help->setWordWrap(true);

    fileDateBox_ =
        add_box(QStringLiteral("ファイル日時を放送日時に変更する(&D)"), "fileDateBox", false);
    notRenameBox_ = add_box(QStringLiteral("ファイル名を変更しない(&F)"), "notRenameBox", true);
    gopRenameBox_ = add_box(QStringLiteral(".txtも同様の処理を行う(&G)"), "gopRenameBox", false);
    wildRenameBox_ = add_box(QStringLiteral(".*も同様の処理を行う(&W)"), "wildRenameBox", false);
    iconStartBox_ = add_box(QStringLiteral("-auto指定時は最小化で実行(&I)"), "iconStartBox", false);
    // The box has no text: the rule button beside it names it.
    ombrixRenameBox_ = add_box(QString(), "ombrixRenameBox", true);
    ombrixRenameBox_->setAccessibleName(QStringLiteral("Ombrixっぽい"));
    ombrixRenameBox_->setToolTip(QStringLiteral("Ombrixっぽいものでファイル名を付ける"));
    auto* boxes = new QGridLayout;
    boxes->addWidget(fileDateBox_, 0, 0);
    boxes->addWidget(notRenameBox_, 0, 1);
    boxes->addWidget(iconStartBox_, 0, 2);
    boxes->addWidget(gopRenameBox_, 1, 0);
    boxes->addWidget(wildRenameBox_, 1, 1);
    boxes->setColumnStretch(3, 1);

    auto* naming_label =
        new QLabel(QStringLiteral("ファイル名の付与条件（付与項目の順番を指定します。 ) "), this);
    naming_label->setObjectName(QStringLiteral("namingLabel"));
    // Each separator stays beside the item list that follows it; the pairs
    // wrap when the window is narrow.
    auto* naming = new FlowLayout(4, 4);
    for (std::size_t i = 0; i < separators_.size(); ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("separator%1").arg(i + 1));
        edit->setFixedWidth(44);
        // Files dropped on a separator go to the list, not into the text.
        edit->setAcceptDrops(false);
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!loading_) emit changed(true);
        });
        separators_[i] = edit;
        if (i >= items_.size()) {
            naming->addWidget(edit);
            break;
        }
        auto* list = new QComboBox(this);
        list->setObjectName(QStringLiteral("item%1").arg(i + 1));
        list->setMaxVisibleItems(kItemTableSize);
        // The lists share the row; the longest label shows in the open list.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(8);
        for (int item = 0; item < kItemTableSize; ++item) {
            const std::string_view label = item_label_utf8(item);
            list->addItem(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
        }
        connect(list, &QComboBox::currentIndexChanged, this, [this] {
            if (!loading_) emit changed(true);
        });
        items_[i] = list;
        auto* pair = new QWidget(this);
        pair->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* pair_layout = new QHBoxLayout(pair);
        pair_layout->setContentsMargins(0, 0, 0, 0);
        pair_layout->setSpacing(4);
        pair_layout->addWidget(edit);
        pair_layout->addWidget(list, 1);
        naming->addWidget(pair);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(instructions);
    layout->addWidget(key_help);
    layout->addLayout(boxes);
    layout->addWidget(naming_label);
    layout->addLayout(naming);
}

void NamingPanel::load(const AppSettings& settings) {
    loading_ = true;
    for (std::size_t i = 0; i < separators_.size(); ++i)
        separators_[i]->setText(qt_from_cp932(settings.filenameSetSp[i]));
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i]->setCurrentIndex(settings.filenameSet[i]);
    fileDateBox_->setChecked(settings.fileDate);
    notRenameBox_->setChecked(settings.notRename);
    gopRenameBox_->setChecked(settings.gopRename);
    wildRenameBox_->setChecked(settings.wildRename);
    iconStartBox_->setChecked(settings.iconStart);
    ombrixRenameBox_->setChecked(settings.ombrixRename);
    loading_ = false;
}

void NamingPanel::store(AppSettings& settings) const {
    for (std::size_t i = 0; i < separators_.size(); ++i)
        settings.filenameSetSp[i] = cp932_from_qt(separators_[i]->text(), kNameSeparatorMax);
    for (std::size_t i = 0; i < items_.size(); ++i)
        settings.filenameSet[i] = std::max(0, items_[i]->currentIndex());
    settings.fileDate = fileDateBox_->isChecked();
    settings.notRename = notRenameBox_->isChecked();
    settings.gopRename = gopRenameBox_->isChecked();
    settings.wildRename = wildRenameBox_->isChecked();
    settings.iconStart = iconStartBox_->isChecked();
    settings.ombrixRename = ombrixRenameBox_->isChecked();
}

std::vector<QWidget*> NamingPanel::tab_chain() const {
    std::vector<QWidget*> chain = {fileDateBox_, gopRenameBox_, notRenameBox_, wildRenameBox_,
                                   iconStartBox_};
    for (std::size_t i = 0; i < separators_.size(); ++i) {
        chain.push_back(separators_[i]);
        if (i < items_.size()) chain.push_back(items_[i]);
    }
    return chain;
}

}  // namespace kalvento::gui
