#include "gui/rule_edit_dialog.h"

#include "app/numbering_edit.h"
#include "app/rule_preview.h"
#include "gui/dialog_buttons.h"
#include "gui/macro_menu.h"
#include "gui/qt_text.h"
#include "platform/japan_time.h"
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimeZone>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace kalvento::gui {
namespace {

// Numbering dates are days in Japan, whatever the zone of this machine.
constexpr std::size_t kFieldMax = 1023;  // bytes of a text field

QDate japan_date(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds,
                                         QTimeZone(static_cast<int>(kJapanUtcOffsetSeconds)))
        .date();
}

std::int64_t japan_midnight(const QDate& date) {
    return QDateTime(date, QTime(0, 0), QTimeZone(static_cast<int>(kJapanUtcOffsetSeconds)))
        .toSecsSinceEpoch();
}

const char* const kWeekdayNames[7] = {"日", "月", "火", "水", "木", "金", "土"};

QString field_label(PatternField field) {
    switch (field) {
        case PatternField::findText:
            return QStringLiteral("番組名");
        case PatternField::findTextCh:
            return QStringLiteral("放送局名");
        case PatternField::renameText:
            return QStringLiteral("置き換え文字");
    }
    return {};
}

}  // namespace

StartNumberBox::StartNumberBox(QWidget* parent) : QSpinBox(parent) {
    setObjectName(QStringLiteral("startNoEdit"));
    setRange(0, INT_MAX);
}

void StartNumberBox::stepBy(int steps) {
    setValue(std::clamp(value() + steps, 0, kArrowMax));
}

QAbstractSpinBox::StepEnabled StartNumberBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < kArrowMax) enabled |= StepUpEnabled;
    if (value() > 0) enabled |= StepDownEnabled;
    return enabled;
}

RuleEditDialog::RuleEditDialog(RenameRule rule, const std::vector<MacroEntry>& macros,
                               RulePreviewSource preview, QWidget* parent)
    : QDialog(parent), rule_(std::move(rule)), preview_(std::move(preview)) {
    setObjectName(QStringLiteral("ruleEditDialog"));
    setWindowTitle(QStringLiteral("置き換え設定"));

    // Copy and paste of the whole rule, which a Windows system menu would hold.
    auto* menu_bar = new QMenuBar(this);
    menu_bar->setObjectName(QStringLiteral("ruleMenuBar"));
    QMenu* rule_menu = menu_bar->addMenu(QStringLiteral("ルール(&R)"));
    rule_menu->setObjectName(QStringLiteral("ruleMenu"));
    QAction* copy = rule_menu->addAction(QStringLiteral("コピー(&C)"));
    copy->setObjectName(QStringLiteral("copyRuleAction"));
    QAction* paste = rule_menu->addAction(QStringLiteral("貼り付け(&P)"));
    paste->setObjectName(QStringLiteral("pasteRuleAction"));
    connect(copy, &QAction::triggered, this, &RuleEditDialog::copy_to_clipboard);
    connect(paste, &QAction::triggered, this, &RuleEditDialog::paste_from_clipboard);

    const char* const names[6] = {"findTextEdit",  "findTextChEdit",  "renameTextEdit",
                                  "syoboFindEdit", "syoboFindChEdit", "syoboFindStEdit"};
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        texts_[i] = new QLineEdit(this);
        texts_[i]->setObjectName(QString::fromLatin1(names[i]));
        install_macro_menu(texts_[i], macros);
        connect(texts_[i], &QLineEdit::textChanged, this, &RuleEditDialog::update_preview);
    }
    texts_[kRenameText]->setMinimumWidth(460);
    auto box = [this](const char* text, const char* name) {
        auto* check = new QCheckBox(QString::fromLatin1(text), this);
        check->setObjectName(QString::fromLatin1(name));
        return check;
    };
    tt_ = box("TT", "syoboTTBox");
    nb_ = box("NB", "syoboNBBox");
    sb_ = box("SB", "syoboSBBox");
    ch_ = box("CH", "syoboCHBox");

    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        l->setObjectName(buddy->objectName() + QStringLiteral("Label"));
        return l;
    };
    previewCaption_ = new QLabel(this);
    previewCaption_->setObjectName(QStringLiteral("previewCaption"));
    previewLabel_ = new QLabel(this);
    previewLabel_->setObjectName(QStringLiteral("previewLabel"));
    previewLabel_->setTextFormat(Qt::PlainText);
    previewCaption_->setTextFormat(Qt::PlainText);
    previewLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    previewLabel_->setWordWrap(true);

    auto* fields = new QGridLayout;
    fields->addWidget(label(QStringLiteral("番組名"), texts_[kFindText]), 0, 0);
    fields->addWidget(texts_[kFindText], 0, 1, 1, 5);
    fields->addWidget(label(QStringLiteral("放送局名"), texts_[kFindTextCh]), 1, 0);
    fields->addWidget(texts_[kFindTextCh], 1, 1, 1, 5);
    fields->addWidget(label(QStringLiteral("置き換え文字"), texts_[kRenameText]), 2, 0);
    fields->addWidget(texts_[kRenameText], 2, 1, 1, 5);
    fields->addWidget(previewCaption_, 3, 1, 1, 5);
    fields->addWidget(previewLabel_, 4, 1, 1, 5);
    fields->addWidget(label(QStringLiteral("しょぼいｶﾚﾝﾀﾞｰ"), texts_[kSyoboFind]), 5, 0);
    fields->addWidget(texts_[kSyoboFind], 5, 1);
    fields->addWidget(label(QStringLiteral("チャンネル"), texts_[kSyoboFindCh]), 5, 2);
    fields->addWidget(texts_[kSyoboFindCh], 5, 3);
    fields->addWidget(label(QStringLiteral("サブタイトル"), texts_[kSyoboFindSt]), 5, 4);
    fields->addWidget(texts_[kSyoboFindSt], 5, 5);
    auto* flags = new QHBoxLayout;
    for (QCheckBox* check : {sb_, tt_, nb_, ch_}) flags->addWidget(check);
    flags->addStretch(1);
    fields->addLayout(flags, 6, 1, 1, 5);

    numbering_ = new QGroupBox(QStringLiteral("ナンバリング"), this);
    numbering_->setObjectName(QStringLiteral("numberingGroup"));
    navigator_ = new QSpinBox(numbering_);
    navigator_->setObjectName(QStringLiteral("entryNavigator"));
    navigator_->setToolTip(QStringLiteral("表示するナンバリング"));
    startDate_ = new QDateEdit(numbering_);
    startDate_->setObjectName(QStringLiteral("startDateEdit"));
    startDate_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    startDate_->setDisplayFormat(QStringLiteral("yyyy/MM/dd(ddd)"));
    startDate_->setCalendarPopup(true);
    startNo_ = new StartNumberBox(numbering_);
    auto* add_entry_button = new QPushButton(QStringLiteral("追加"), numbering_);
    add_entry_button->setObjectName(QStringLiteral("addEntryButton"));
    add_entry_button->setAutoDefault(false);
    deleteEntry_ = new QPushButton(QStringLiteral("削除"), numbering_);
    deleteEntry_->setObjectName(QStringLiteral("deleteEntryButton"));
    deleteEntry_->setAutoDefault(false);
    auto* numbering = new QGridLayout(numbering_);
    numbering->addWidget(navigator_, 0, 0);
    auto* start_date_label = new QLabel(QStringLiteral("開始日"), numbering_);
    start_date_label->setBuddy(startDate_);
    numbering->addWidget(start_date_label, 0, 1);
    numbering->addWidget(startDate_, 0, 2);
    auto* start_no_label = new QLabel(QStringLiteral("開始Ｎｏ．"), numbering_);
    start_no_label->setBuddy(startNo_);
    numbering->addWidget(start_no_label, 0, 3);
    numbering->addWidget(startNo_, 0, 4);
    numbering->addWidget(new QLabel(QStringLiteral("間隔"), numbering_), 1, 1);
    auto* weekdays = new QHBoxLayout;
    for (std::size_t d = 0; d < weekdays_.size(); ++d) {
        weekdays_[d] = new QCheckBox(QString::fromUtf8(kWeekdayNames[d]), numbering_);
        weekdays_[d]->setObjectName(QStringLiteral("weekCheck%1").arg(d));
        weekdays->addWidget(weekdays_[d]);
    }
    numbering->addLayout(weekdays, 1, 2, 1, 3);
    numbering->addWidget(add_entry_button, 0, 5);
    numbering->addWidget(deleteEntry_, 1, 5);
    numbering->setColumnStretch(6, 1);
    connect(add_entry_button, &QPushButton::clicked, this, &RuleEditDialog::add_entry);
    connect(deleteEntry_, &QPushButton::clicked, this, &RuleEditDialog::delete_entry);
    connect(navigator_, &QSpinBox::valueChanged, this, &RuleEditDialog::navigate);

    auto* buttons = new QHBoxLayout;
    add_ok_cancel(this, buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu_bar);
    layout->addLayout(fields);
    layout->addWidget(numbering_);
    layout->addLayout(buttons);

    for (QCheckBox* check : {tt_, nb_, sb_, ch_})
        connect(check, &QCheckBox::toggled, this, &RuleEditDialog::update_preview);
    show_rule();
}

void RuleEditDialog::show_rule() {
    const std::string* values[6] = {&rule_.FindText,  &rule_.FindTextCh,  &rule_.RenameText,
                                    &rule_.SyoboFind, &rule_.SyoboFindCh, &rule_.SyoboFindSt};
    for (std::size_t i = 0; i < texts_.size(); ++i) texts_[i]->setText(qt_from_cp932(*values[i]));
    tt_->setChecked(rule_.SyoboTT != 0);
    nb_->setChecked(rule_.SyoboNB != 0);
    sb_->setChecked(rule_.SyoboSB != 0);
    ch_->setChecked(rule_.SyoboCH != 0);
    shown_ = clamp_entry_index(rule_.Numbering, shown_);
    show_entry(shown_);
    update_preview();
}

RenameRule RuleEditDialog::rule_as_typed() const {
    RenameRule rule = rule_;
    std::string* values[6] = {&rule.FindText,  &rule.FindTextCh,  &rule.RenameText,
                              &rule.SyoboFind, &rule.SyoboFindCh, &rule.SyoboFindSt};
    for (std::size_t i = 0; i < texts_.size(); ++i)
        *values[i] = cp932_from_qt(texts_[i]->text(), kFieldMax);
    rule.SyoboTT = tt_->isChecked() ? 1 : 0;
    rule.SyoboNB = nb_->isChecked() ? 1 : 0;
    rule.SyoboSB = sb_->isChecked() ? 1 : 0;
    rule.SyoboCH = ch_->isChecked() ? 1 : 0;
    derive_find_type(rule);
    return rule;
}

void RuleEditDialog::read_rule() {
    RenameRule typed = rule_as_typed();
    typed.Numbering = std::move(rule_.Numbering);
    rule_ = std::move(typed);
}

void RuleEditDialog::show_entry(std::size_t index) {
    const std::size_t count = rule_.Numbering.size();
    index = clamp_entry_index(rule_.Numbering, index);
    shown_ = index;
    {
        const QSignalBlocker block(navigator_);
        navigator_->setRange(1, static_cast<int>(std::max<std::size_t>(count, 1)));
        navigator_->setValue(static_cast<int>(index) + 1);
    }
    navigator_->setEnabled(count >= 2);
    const bool any = count > 0;
    for (QWidget* widget : {static_cast<QWidget*>(deleteEntry_), static_cast<QWidget*>(startDate_),
                            static_cast<QWidget*>(startNo_)})
        widget->setEnabled(any);
    for (QCheckBox* check : weekdays_) check->setEnabled(any);
    if (!any) return;
    numbering_->setTitle(count > 1 ? QStringLiteral("ナンバリング%1").arg(index + 1)
                                   : QStringLiteral("ナンバリング"));
    NumberingEntry& entry = rule_.Numbering[index];
    if (entry.StartTime == 0) entry.StartTime = QDateTime::currentSecsSinceEpoch();
    startDate_->setDate(japan_date(entry.StartTime));
    startNo_->setValue(entry.StartNo);
    for (std::size_t d = 0; d < weekdays_.size(); ++d)
        weekdays_[d]->setChecked(entry.WeekCheck[d] != 0);
}

void RuleEditDialog::store_entry(std::size_t index) {
    if (rule_.Numbering.empty()) return;
    NumberingEntry& entry = rule_.Numbering[clamp_entry_index(rule_.Numbering, index)];
    entry.StartTime = japan_midnight(startDate_->date());
    entry.StartNo = startNo_->value();
    for (std::size_t d = 0; d < weekdays_.size(); ++d)
        entry.WeekCheck[d] = weekdays_[d]->isChecked() ? 1 : 0;
}

void RuleEditDialog::add_entry() {
    store_entry(shown_);
    show_entry(add_numbering_entry(rule_.Numbering, shown_));
}

void RuleEditDialog::delete_entry() {
    show_entry(delete_numbering_entry(rule_.Numbering, shown_));
}

void RuleEditDialog::navigate(int position) {
    store_entry(shown_);
    show_entry(static_cast<std::size_t>(std::max(position - 1, 0)));
}

void RuleEditDialog::accept() {
    read_rule();
    store_entry(shown_);
    sort_numbering_entries(rule_.Numbering);
    QDialog::accept();
}

void RuleEditDialog::copy_to_clipboard() {
    read_rule();
    store_entry(shown_);
    const std::string block = format_clipboard_block(rule_);
    auto* mime = new QMimeData;
    mime->setText(qt_from_cp932(block));
    // The bytes themselves as well, so a paste into a rule gives them back
    // exactly, also the characters CP932 has two codes for.
    mime->setData(QString::fromLatin1(kRuleMimeType), QByteArray::fromStdString(block));
    QApplication::clipboard()->setMimeData(mime);
}

void RuleEditDialog::paste_from_clipboard() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (mime == nullptr) return;
    std::string block;
    if (mime->hasFormat(QString::fromLatin1(kRuleMimeType))) {
        block = mime->data(QString::fromLatin1(kRuleMimeType)).toStdString();
    } else if (mime->hasText()) {
        block = cp932_from_qt(mime->text());
    } else {
        return;
    }
    parse_clipboard_block(block, rule_);
    show_rule();
}

void RuleEditDialog::update_preview() {
    const FileEntry* entry = preview_.entry ? &*preview_.entry : nullptr;
    previewCaption_->setText(
        entry != nullptr
            ? QStringLiteral("「%1」の新しい名前:").arg(qt_from_cp932(entry->currentName))
            : QStringLiteral("新しい名前:"));
    const RulePreview preview = preview_rule(rule_as_typed(), entry, preview_.naming);
    QString text;
    QString colour;
    switch (preview.kind) {
        case PreviewKind::name:
            text = qt_from_cp932(preview.text);
            if (preview.withoutSchedule)
                text += QStringLiteral("　（しょぼいカレンダーの結果は変換のときに入ります）");
            break;
        case PreviewKind::noRecording:
            text = QStringLiteral("（一覧にファイルがないため表示できません）");
            colour = QStringLiteral("#666666");
            break;
        case PreviewKind::noProgramme:
            text = QStringLiteral("（このファイルには番組情報がありません）");
            colour = QStringLiteral("#666666");
            break;
        case PreviewKind::badPattern:
            text = QStringLiteral("%1のパターン「%2」を使えません: %3")
                       .arg(field_label(preview.field), qt_from_cp932(preview.pattern),
                            qt_from_cp932(preview.text));
            colour = QStringLiteral("#c00000");
            break;
        case PreviewKind::noMatch: {
            const ProgramInfo* info = selected_candidate(*entry);
            text = QStringLiteral("この番組（%1 / %2）には一致しません")
                       .arg(qt_from_cp932(info->eventName), qt_from_cp932(info->channelName));
            colour = QStringLiteral("#a05000");
            break;
        }
    }
    previewLabel_->setText(text);
    previewLabel_->setStyleSheet(colour.isEmpty() ? QString()
                                                  : QStringLiteral("color: %1;").arg(colour));
    previewLabel_->setProperty("previewKind", static_cast<int>(preview.kind));
}

}  // namespace kalvento::gui
