#include "gui/macro_menu.h"
#include "gui/rule_edit_dialog.h"
#include "gui/rule_list_dialog.h"
#include "naming/entry_paths.h"
#include "rules/rule_text_forms.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/recordings.h"

#include <QBrush>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimeZone>

namespace kalvento::test {
namespace {

using gui::RuleEditDialog;
using gui::RuleListDialog;

RenameRule programme_rule(std::string_view find, std::string_view templ = "@TT") {
    RenameRule rule;
    rule.FindText = cp932(find);
    rule.RenameText = cp932(templ);
    derive_find_type(rule);
    return rule;
}

// A store as the settings file would give it: rule order, a section each.
RuleList store_of(std::vector<RenameRule> rules) {
    RuleList store;
    for (RenameRule& rule : rules) {
        rule.SectionIndex = lowest_free_section_index(store);
        insert_rule_sorted(store, rule);
    }
    return store;
}

// The rules saved in the settings file of `dir`, as the program would load them.
RuleList saved_store(const TempDir& dir, std::vector<RenameRule> rules) {
    for (RenameRule& rule : rules) rule.Modified = 1;
    ProfileFile profile = ProfileFile::load(dir.file("kalvento.ini"));
    const RuleList store = save_rules(profile, {}, store_of(std::move(rules)));
    [[maybe_unused]] const bool saved = profile.save().ok();
    return store;
}

QDate japan_today() {
    return QDateTime::currentDateTime().toTimeZone(QTimeZone(9 * 3600)).date();
}

std::int64_t japan_midnight(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(0, 0), QTimeZone(9 * 3600)).toSecsSinceEpoch();
}

class RuleDialogsTest : public QObject {
    Q_OBJECT

  private:
    std::vector<MacroEntry> noMacros_;
    // The questions the dialog asked for a file, and the file the test chooses.
    std::vector<gui::FileQuestion> questions_;
    QString answer_;

    std::unique_ptr<RuleListDialog> list_dialog(const TempDir& dir, RuleList store,
                                                bool show = true) {
        questions_.clear();
        auto dialog = std::make_unique<RuleListDialog>(
            std::move(store), dir.file("kalvento.ini"), dir.file("KalventoOmbrix.txt"), noMacros_,
            gui::RulePreviewSource{}, nullptr, [this](QWidget*, const gui::FileQuestion& question) {
                questions_.push_back(question);
                return answer_;
            });
        if (show) dialog->show();
        return dialog;
    }

    static QTableView* table(RuleListDialog& dialog) {
        return child<QTableView>(&dialog, "ruleList");
    }
    static QString search_text(RuleListDialog& dialog, int row) {
        return table(dialog)->model()->index(row, 1).data().toString();
    }
    static std::vector<int> selected(RuleListDialog& dialog) {
        std::vector<int> rows;
        for (const QModelIndex& index : table(dialog)->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    static void select(RuleListDialog& dialog, std::vector<int> rows) {
        QItemSelection selection;
        for (int row : rows)
            selection.select(table(dialog)->model()->index(row, 0),
                             table(dialog)->model()->index(row, 4));
        table(dialog)->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    static void click(QWidget* parent, const char* button) {
        child<QPushButton>(parent, button)->click();
    }

  private Q_SLOTS:
    void listOrderFollowsAChange() {
        TempDir dir;
        auto dialog = list_dialog(dir, store_of({programme_rule("AB"), programme_rule("ABC")}));
        QCOMPARE(search_text(*dialog, 0), QStringLiteral("ABC"));
        QCOMPARE(search_text(*dialog, 1), QStringLiteral("AB"));
        QCOMPARE(table(*dialog)->model()->index(0, 0).data().toString(), QStringLiteral("番組名"));

        select(*dialog, {0});
        const Done edited = when_dialog_opens<RuleEditDialog>([](RuleEditDialog* edit) {
            child<QLineEdit>(edit, "findTextEdit")->setText(QStringLiteral("A"));
            click(edit, "okButton");
        });
        click(dialog.get(), "changeButton");
        QVERIFY(*edited);
        QCOMPARE(search_text(*dialog, 0), QStringLiteral("AB"));
        QCOMPARE(search_text(*dialog, 1), QStringLiteral("A"));
        QCOMPARE(selected(*dialog), std::vector<int>{1});
        const QColor modified(255, 228, 225);
        QCOMPARE(
            table(*dialog)->model()->index(1, 2).data(Qt::BackgroundRole).value<QBrush>().color(),
            modified);
        QCOMPARE(
            table(*dialog)->model()->index(0, 2).data(Qt::BackgroundRole).value<QBrush>().color(),
            QColor(244, 244, 255));
    }

    void deleteCopyAndCancelLeaveTheFileAlone() {
        TempDir dir;
        write_settings(
            dir,
            "[OmbrixReName]\nIndexNo=4\n[OmbrixReNameSet000000]\nFindText=a\nFindType=1\n"
            "[OmbrixReNameSet000001]\nFindText=b\nFindType=1\n"
            "[OmbrixReNameSet000002]\nFindText=c\nFindType=1\n"
            "[OmbrixReNameSet000003]\nFindText=d\nFindType=1\n"
            "[OmbrixReNameSet000004]\nFindText=e\nFindType=1\n");
        const std::string before = read_all(dir.file("kalvento.ini"));
        auto dialog = list_dialog(dir, load_rules(ProfileFile::load(dir.file("kalvento.ini"))));
        QCOMPARE(table(*dialog)->model()->rowCount(), 5);

        select(*dialog, {0, 2, 4});
        click(dialog.get(), "deleteButton");
        QCOMPARE(table(*dialog)->model()->rowCount(), 2);
        QCOMPARE(search_text(*dialog, 0), QStringLiteral("b"));
        QCOMPARE(search_text(*dialog, 1), QStringLiteral("d"));

        // A copy stands right below its rule, both selected, the copy modified.
        select(*dialog, {0});
        click(dialog.get(), "copyButton");
        QCOMPARE(table(*dialog)->model()->rowCount(), 3);
        QCOMPARE(search_text(*dialog, 1), QStringLiteral("b"));
        QCOMPARE(selected(*dialog), (std::vector<int>{0, 1}));
        QCOMPARE(dialog->working_copy()[1].Modified, 1);
        QCOMPARE(dialog->working_copy()[0].Modified, 0);
        QVERIFY(dialog->working_copy()[1].SectionIndex != dialog->working_copy()[0].SectionIndex);

        // Export with nothing selected asks for no file; with a selection it
        // writes the selected rules from the top.
        table(*dialog)->clearSelection();
        click(dialog.get(), "exportButton");
        QVERIFY(questions_.empty());
        select(*dialog, {2, 0});
        answer_ = QString::fromStdString(dir.file("out.txt"));
        click(dialog.get(), "exportButton");
        QCOMPARE(questions_.size(), std::size_t{1});
        QCOMPARE(questions_[0].title, QStringLiteral("エクスポート出力するファイルを指定"));
        QCOMPARE(questions_[0].proposed, QString::fromStdString(dir.file("KalventoOmbrix.txt")));
        QVERIFY(questions_[0].save);
        QCOMPARE(read_all(dir.file("out.txt")), format_export_line(dialog->working_copy()[0]) +
                                                    format_export_line(dialog->working_copy()[2]));

        click(dialog.get(), "cancelButton");
        QCOMPARE(dialog->result(), static_cast<int>(QDialog::Rejected));
        QCOMPARE(read_all(dir.file("kalvento.ini")), before);
    }

    void importAddsTheGoodLinesAndOkSaves() {
        TempDir dir;
        write_text(
            dir.file("rules.txt"),
            cp932(
                "ドラマ\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n短い\t行\r\n"
                "ニュース\t局\t@TT\t\t\t\t1\t0\t0\t0\t1\t1262271600\t5\t0\t1\t0\t0\t0\t0\t0\r\n"));
        auto dialog = list_dialog(dir, saved_store(dir, {programme_rule("既存")}));
        answer_ = QString::fromStdString(dir.file("rules.txt"));
        click(dialog.get(), "importButton");
        QCOMPARE(questions_.size(), std::size_t{1});
        QCOMPARE(questions_[0].title, QStringLiteral("インポートするファイルを指定"));
        QCOMPARE(questions_[0].filters, (QStringList{QStringLiteral("txt(*.txt)"),
                                                     QStringLiteral("すべてのファイル(*)")}));
        QVERIFY(!questions_[0].save);
        QCOMPARE(table(*dialog)->model()->rowCount(), 3);
        // Rule order: the "both" rule first; the later import is selected.
        QCOMPARE(search_text(*dialog, 0), QStringLiteral("ニュース,局"));
        QCOMPARE(selected(*dialog), std::vector<int>{0});
        QCOMPARE(dialog->exchange_file(), dir.file("rules.txt"));

        table(*dialog)->horizontalHeader()->resizeSection(2, 333);
        click(dialog.get(), "okButton");
        QCOMPARE(dialog->result(), static_cast<int>(QDialog::Accepted));
        QCOMPARE(dialog->committed().size(), std::size_t{3});
        const ProfileFile saved = ProfileFile::load(dir.file("kalvento.ini"));
        QCOMPARE(load_rules(saved).size(), std::size_t{3});
        QCOMPARE(saved.read_int("OmbrixReNameDlg", "RENAMEW", 0), 333);
        QCOMPARE(saved.read_int("OmbrixReNameDlg", "TYPEW", 0), 60);
    }

    void preparedRuleOpeningCancelsOrStays() {
        TempDir dir;
        RenameRule prepared = programme_rule("新番組", "@TT 第@2nb話");
        const RuleList store = saved_store(dir, {programme_rule("既存")});
        const std::string before = read_all(dir.file("kalvento.ini"));
        {
            auto dialog = list_dialog(dir, store, false);
            dialog->add_on_opening(prepared);
            const Done cancelled = when_dialog_opens<RuleEditDialog>([](RuleEditDialog* edit) {
                QCOMPARE(edit->findChild<QLineEdit*>(QStringLiteral("findTextEdit"))->text(),
                         QStringLiteral("新番組"));
                click(edit, "cancelButton");
            });
            QCOMPARE(dialog->exec(), static_cast<int>(QDialog::Rejected));
            QVERIFY(*cancelled);
            QCOMPARE(read_all(dir.file("kalvento.ini")), before);
        }
        auto dialog = list_dialog(dir, store, false);
        dialog->add_on_opening(prepared);
        const Done added = when_dialog_opens<RuleEditDialog>(
            [](RuleEditDialog* edit) { click(edit, "okButton"); });
        QTimer::singleShot(200, [&] {
            // The list stays open on the new row; only its OK saves.
            QVERIFY(dialog->isVisible());
            QCOMPARE(table(*dialog)->model()->rowCount(), 2);
            QCOMPARE(search_text(*dialog, selected(*dialog).at(0)), QStringLiteral("新番組"));
            QCOMPARE(read_all(dir.file("kalvento.ini")), before);
            click(dialog.get(), "okButton");
        });
        QCOMPARE(dialog->exec(), static_cast<int>(QDialog::Accepted));
        QVERIFY(*added);
        QCOMPARE(load_rules(ProfileFile::load(dir.file("kalvento.ini"))).size(), std::size_t{2});
    }

    void editDialogDerivesTheTypeAndKeepsEntriesInOrder() {
        const auto type_for = [this](const char* name, const char* station) {
            RuleEditDialog dialog(RenameRule{}, noMacros_, {});
            child<QLineEdit>(&dialog, "findTextEdit")->setText(QString::fromUtf8(name));
            child<QLineEdit>(&dialog, "findTextChEdit")->setText(QString::fromUtf8(station));
            dialog.accept();
            return dialog.rule().FindType;
        };
        QCOMPARE(type_for("番組", ""), static_cast<int>(kFindProgramme));
        QCOMPARE(type_for("", "局"), static_cast<int>(kFindStation));
        QCOMPARE(type_for("番組", "局"), static_cast<int>(kFindBoth));
        QCOMPARE(type_for("", ""), static_cast<int>(kFindProgramme));

        RuleEditDialog dialog(RenameRule{}, noMacros_, {});
        auto* add = child<QPushButton>(&dialog, "addEntryButton");
        auto* date = child<QDateEdit>(&dialog, "startDateEdit");
        auto* start_no = child<gui::StartNumberBox>(&dialog, "startNoEdit");
        QVERIFY(!date->isEnabled() && !start_no->isEnabled());
        QVERIFY(!child<QPushButton>(&dialog, "deleteEntryButton")->isEnabled());
        QVERIFY(!child<QCheckBox>(&dialog, "weekCheck3")->isEnabled());

        add->click();
        QVERIFY(date->isEnabled());
        QCOMPARE(date->date(), japan_today());
        QCOMPARE(date->text().right(3),
                 QStringLiteral("(%1)").arg(
                     QLocale(QLocale::Japanese)
                         .dayName(japan_today().dayOfWeek(), QLocale::ShortFormat)));
        date->setDate(QDate(2010, 4, 1));
        start_no->setValue(3);
        add->click();  // a copy of the first, shown as the second
        QCOMPARE(child<QGroupBox>(&dialog, "numberingGroup")->title(),
                 QStringLiteral("ナンバリング2"));
        QCOMPARE(date->date(), QDate(2010, 4, 1));
        date->setDate(QDate(2010, 1, 1));
        start_no->clear();
        QTest::keyClicks(start_no, QStringLiteral("1500"));
        child<QCheckBox>(&dialog, "weekCheck0")->setChecked(true);
        start_no->stepBy(1);  // the arrows stay within 0..1000
        QCOMPARE(start_no->value(), 1000);
        start_no->clear();
        QTest::keyClicks(start_no, QStringLiteral("1500"));
        dialog.accept();
        const RenameRule& rule = dialog.rule();
        QCOMPARE(rule.Numbering.size(), std::size_t{2});
        QCOMPARE(rule.Numbering[0].StartTime, japan_midnight(2010, 1, 1));
        QCOMPARE(rule.Numbering[0].StartNo, 1500);
        QCOMPARE(rule.Numbering[0].WeekCheck[0], 1);
        QCOMPARE(rule.Numbering[1].StartTime, japan_midnight(2010, 4, 1));
        QCOMPARE(rule.Numbering[1].StartNo, 3);
    }

    void copyAndPasteCarryTheWholeRule() {
        RenameRule original = programme_rule("番組①", "@TT 第@2nb話「@sb」");
        original.FindTextCh = cp932("ＢＳ局");
        original.SyoboFind = "@TT";
        original.SyoboFindCh = cp932("チャンネル");
        original.SyoboFindSt = cp932("副題");
        original.SyoboTT = original.SyoboCH = 1;
        original.Numbering = {
            {.StartTime = japan_midnight(2010, 1, 1), .StartNo = 7, .WeekCheck = {0, 1}},
            {.StartTime = japan_midnight(2011, 1, 1), .StartNo = 20, .WeekCheck = {}}};
        RuleEditDialog source(original, noMacros_, {});
        // The entry on screen counts even before it is stored.
        child<gui::StartNumberBox>(&source, "startNoEdit")->setValue(8);
        // A character with a second CP932 code travels as its own bytes.
        child<QLineEdit>(&source, "syoboFindStEdit")->setText(QStringLiteral("副題ⅰ"));
        source.copy_to_clipboard();
        QVERIFY(
            QApplication::clipboard()->text().contains(QStringLiteral("FindTextCh=ＢＳ局\r\n")));

        RuleEditDialog target(RenameRule{}, noMacros_, {});
        target.paste_from_clipboard();
        target.accept();
        RenameRule expected = original;
        expected.Numbering[0].StartNo = 8;
        expected.SyoboFindSt = cp932("副題ⅰ");
        derive_find_type(expected);
        QCOMPARE(format_clipboard_block(target.rule()), format_clipboard_block(expected));

        // Plain text from another program pastes too.
        QApplication::clipboard()->setText(QStringLiteral("FindText=テキスト\r\nSyoboNB=1\r\n"));
        RuleEditDialog plain(programme_rule("元"), noMacros_, {});
        plain.paste_from_clipboard();
        QCOMPARE(child<QLineEdit>(&plain, "findTextEdit")->text(), QStringLiteral("テキスト"));
        QVERIFY(child<QCheckBox>(&plain, "syoboNBBox")->isChecked());
    }

    void previewShowsTheNameOrWhatIsWrong() {
        ProgramInfo info;
        info.eventName = info.title = cp932("ドラマ「約束」");
        info.channelName = cp932("カルヴェントテレビ");
        info.startTime = 1712491200;
        gui::RulePreviewSource source{make_file_entry("/rec/a.ts", {info}), NamingSettings{}};
        RuleEditDialog dialog(programme_rule("ドラマ", "@TT"), noMacros_, source);
        auto* preview = child<QLabel>(&dialog, "previewLabel");
        QCOMPARE(preview->text(), QStringLiteral("ドラマ「約束」.ts"));
        QTest::keyClicks(child<QLineEdit>(&dialog, "renameTextEdit"), QStringLiteral("/[@CH]"));
        QCOMPARE(preview->text(), QStringLiteral("ドラマ「約束」／[カルヴェントテレビ].ts"));
        child<QLineEdit>(&dialog, "findTextEdit")->setText(QStringLiteral("ドラマ("));
        QVERIFY(
            preview->text().startsWith(QStringLiteral("番組名のパターン「ドラマ(」を使えません")));
        child<QLineEdit>(&dialog, "findTextEdit")->setText(QStringLiteral("映画"));
        QVERIFY(preview->text().contains(QStringLiteral("一致しません")));
    }

    void macroMenuOffersEditCommandsThenTheMacros() {
        TempDir dir;
        const std::vector<MacroEntry> macros = load_macro_menu(dir.file("kalvento.mnu"));
        QCOMPARE(macros.size(), std::size_t{71});
        QLineEdit field;
        field.setText(QStringLiteral("前[置換]後"));
        field.setSelection(1, 4);
        auto menu = gui::make_macro_menu(&field, macros, nullptr);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 8 + 1 + 23 + 6);
        QCOMPARE(actions[0]->text(), QStringLiteral("元に戻す(&U)"));
        QVERIFY(!actions[0]->isEnabled());  // nothing to undo yet
        for (const char* name :
             {"cutAction", "copyAction", "deleteAction", "pasteAction", "selectAllAction"})
            QVERIFY2(menu->findChild<QAction*>(QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY(actions[8]->isSeparator());
        QCOMPARE(actions[9]->text(), QStringLiteral("@TT\tタイトル(&T)"));
        QStringList groups;
        for (int i = 32; i < actions.size(); ++i) groups << actions[i]->menu()->title();
        QCOMPARE(groups,
                 (QStringList{QStringLiteral("ナンバリング"), QStringLiteral("ナンバリング＃"),
                              QStringLiteral("日付28"), QStringLiteral("日付24"),
                              QStringLiteral("例"), QStringLiteral("正規表現")}));

        // Entry 60 replaces the selection; afterwards undo is offered.
        menu->findChild<QAction*>(QStringLiteral("macro59"))->trigger();
        QCOMPARE(field.text(), QStringLiteral("前@TT 第@2nb話@sb [@CH] @mm月@dd日(@wk)後"));
        auto again = gui::make_macro_menu(&field, macros, nullptr);
        QVERIFY(again->actions()[0]->isEnabled());
        QVERIFY(!again->findChild<QAction*>(QStringLiteral("cutAction"))->isEnabled());
        QVERIFY(!again->findChild<QAction*>(QStringLiteral("deleteAction"))->isEnabled());
        QVERIFY(again->findChild<QAction*>(QStringLiteral("pasteAction"))->isEnabled());

        // A group split in the file is still one submenu, where it first occurred.
        const std::vector<MacroEntry> split = {
            {"G", "@A", "a"}, {"", "@B", "b"}, {"H", "@C", "c"}, {"G", "@D", "d"}};
        auto grouped = gui::make_macro_menu(&field, split, nullptr);
        const QList<QAction*> items = grouped->actions();
        QCOMPARE(items.size(), 8 + 1 + 1 + 2);
        QCOMPARE(items[10]->menu()->title(), QStringLiteral("G"));
        QCOMPARE(items[10]->menu()->actions().size(), 2);
        QCOMPARE(items[10]->menu()->actions()[1]->text(), QStringLiteral("@D\td"));
        QCOMPARE(items[11]->menu()->title(), QStringLiteral("H"));

        // Past the first 1,000 entries an item is shown but does nothing.
        std::vector<MacroEntry> many(1001, MacroEntry{"", "@TT", "x"});
        many[1000].macro = "@LAST";
        QLineEdit other;
        auto long_menu = gui::make_macro_menu(&other, many, nullptr);
        long_menu->findChild<QAction*>(QStringLiteral("macro1000"))->trigger();
        QCOMPARE(other.text(), QString());
        long_menu->findChild<QAction*>(QStringLiteral("macro999"))->trigger();
        QCOMPARE(other.text(), QStringLiteral("@TT"));
    }
};

KALVENTO_GUI_TEST(RuleDialogsTest);

}  // namespace
}  // namespace kalvento::test

#include "rule_dialogs_test.moc"
