#include "gui/name_edit_dialog.h"
#include "gui/progress_dialog.h"
#include "gui/qt_text.h"
#include "gui/qt_translations.h"
#include "gui/row_menus.h"
#include "gui/settings_dialog.h"
#include "naming/entry_paths.h"
#include "platform/codepage.h"
#include "tests/gui/gui_test.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>

namespace kalvento::test {
namespace {

using gui::NameEditDialog;
using gui::ProgressDialog;
using gui::SettingsDialog;

ProgramInfo programme(std::string_view name, std::string_view channel, std::int64_t start) {
    ProgramInfo info;
    info.eventName = info.title = cp932(name);
    info.channelName = cp932(channel);
    info.startTime = start;
    return info;
}

class DialogsTest : public QObject {
    Q_OBJECT

  private:
    // Enters a start position and a size and presses OK; an empty text when
    // the dialog took them, else the range message it showed (answered).
    static QString refusal(const char* start, const char* size = "50") {
        SettingsDialog dialog(30, 50, true);
        dialog.show();
        for (const auto& [name, text] :
             {std::pair{"readStartPosEdit", start}, std::pair{"readSizeEdit", size}}) {
            QLineEdit* edit = child<QLineEdit>(&dialog, name);
            edit->clear();
            QTest::keyClicks(edit, QString::fromLatin1(text));
        }
        child<QPushButton>(&dialog, "okButton")->click();
        auto* message = dialog.findChild<QMessageBox*>(QStringLiteral("rangeMessage"));
        if (message == nullptr) {
            const bool taken = dialog.result() == QDialog::Accepted && !dialog.isVisible();
            return taken ? QString() : QStringLiteral("neither taken nor refused");
        }
        const QString text = message->text();
        [&] {
            QCOMPARE(message->windowTitle(), QStringLiteral("設定"));
            QVERIFY(dialog.isVisible());
        }();
        answer(message, QMessageBox::Ok);
        return text;
    }

  private Q_SLOTS:
    void settingsDialogChecksTheRanges() {
        const QString start_range = QStringLiteral("1～100で指定してください。");
        const QString size_range = QStringLiteral("1～2047で指定してください。");
        QCOMPARE(refusal("100"), QString());
        QCOMPARE(refusal("0"), QString());
        QCOMPARE(refusal("101"), start_range);
        QCOMPARE(refusal("-1"), start_range);
        QCOMPARE(refusal("4294967396"), start_range);  // never wraps round to 100
        // Letters cannot be typed: the field stays empty, read as 0.
        QCOMPARE(refusal("x"), QString());
        QCOMPARE(refusal("30", "2047"), QString());
        QCOMPARE(refusal("30", "1"), QString());
        QCOMPARE(refusal("30", "99999999999"), size_range);
        QCOMPARE(refusal("30", "2048"), size_range);
        QCOMPARE(refusal("30", "0"), size_range);
        QCOMPARE(refusal("30", "-5"), size_range);

        SettingsDialog dialog(30, 50, true);
        child<QLineEdit>(&dialog, "readSizeEdit")->setText(QStringLiteral("800"));
        child<QCheckBox>(&dialog, "showProgressBox")->setChecked(false);
        dialog.accept();
        QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
        QCOMPARE(dialog.read_start_pos(), 30);
        QCOMPARE(dialog.read_size(), 800);
        QVERIFY(!dialog.show_progress());
    }

    void settingsDialogReachesTheLibraryByKeyboard() {
        SettingsDialog dialog(30, 50, true, {2, QStringLiteral("/srv/ライブラリ"), QString()});
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        child<QLineEdit>(&dialog, "readStartPosEdit")->setFocus();
        // Tab goes through the fields in the order they are shown.
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order.join(QLatin1Char(' ')),
                 QStringLiteral("readStartPosEdit readSizeEdit showProgressBox libraryActionBox "
                                "libraryFolderEdit libraryBrowseButton libraryTemplateEdit "
                                "okButton"));
        QCOMPARE(child<QComboBox>(&dialog, "libraryActionBox")->currentText(),
                 QStringLiteral("コピー"));
        // Alt+S reaches the sub-folder template; the action changes by arrow keys.
        QTest::keyClick(&dialog, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("libraryTemplateEdit"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("@TT"));
        QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        // The open drop-down keeps its own Enter and Esc: the dialog stays.
        auto* action = child<QComboBox>(&dialog, "libraryActionBox");
        const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), k, modifiers);
        };
        for (const Qt::Key closing : {Qt::Key_Escape, Qt::Key_Return}) {
            key(Qt::Key_Down, Qt::AltModifier);
            QTRY_VERIFY(action->view()->isVisible());
            key(closing == Qt::Key_Escape ? Qt::Key_Up : Qt::Key_Down);
            key(closing);
            QTRY_VERIFY(!action->view()->isVisible());
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), 0);
        }
        const SettingsDialog::Library chosen = dialog.library();
        QCOMPARE(chosen.action, 3);
        QCOMPARE(chosen.folder, QStringLiteral("/srv/ライブラリ"));
        QCOMPARE(chosen.folderTemplate, QStringLiteral("@TT"));

        // An action into the library needs its folder.
        child<QLineEdit>(&dialog, "libraryFolderEdit")->clear();
        child<QPushButton>(&dialog, "okButton")->click();
        auto* message = dialog.findChild<QMessageBox*>(QStringLiteral("rangeMessage"));
        QVERIFY(message != nullptr);
        QCOMPARE(message->text(), QStringLiteral("ライブラリのフォルダを指定してください。"));
        answer(message, QMessageBox::Ok);
        QVERIFY(dialog.isVisible());
    }

    void progressDialogShowsAmountsOncePerSecondAndAsksBeforeStopping() {
        std::int64_t now = 1000;
        ProgressDialog dialog(nullptr, [&now] { return now; });
        QSignalSpy stops(&dialog, &ProgressDialog::stopConfirmed);
        QSignalSpy asking(&dialog, &ProgressDialog::stopQuestionOpen);
        dialog.show();
        dialog.begin_file(QStringLiteral("rec.ts"));
        QCOMPARE(child<QLabel>(&dialog, "fileName")->text(), QStringLiteral("rec.ts"));
        dialog.report(999, 1'234'567);
        QCOMPARE(dialog.amounts_text(), QStringLiteral("0MB/1,234MB"));
        QCOMPARE(dialog.bar_value(), 0);
        dialog.report(617'300, 1'234'567);  // the same second: nothing changes
        QCOMPARE(dialog.amounts_text(), QStringLiteral("0MB/1,234MB"));
        now = 1001;
        dialog.report(617'300, 1'234'567);
        QCOMPARE(dialog.amounts_text(), QStringLiteral("617MB/1,234MB"));
        QCOMPARE(dialog.bar_value(), 50);
        dialog.report(1'234'567, 1'234'567);  // the end fills the bar at once
        QCOMPARE(dialog.bar_value(), 100);
        dialog.begin_file(QStringLiteral("next.ts"));
        QCOMPARE(dialog.amounts_text(), QString());
        QCOMPARE(dialog.bar_value(), 0);

        // 中断 asks; No goes on, Yes asks the worker to stop.
        child<QPushButton>(&dialog, "stopButton")->click();
        auto* question = dialog.findChild<QMessageBox*>(QStringLiteral("stopQuestion"));
        QVERIFY(question != nullptr);
        QCOMPARE(question->text(), QStringLiteral("ファイルの読み込みを中断しますか？"));
        QCOMPARE(question->windowTitle(), QStringLiteral("中断"));
        QCOMPARE(asking.count(), 1);
        QCOMPARE(asking.at(0).at(0).toBool(), true);  // the analysis is held meanwhile
        answer(question, QMessageBox::No);
        QCOMPARE(stops.count(), 0);
        QCOMPARE(asking.count(), 2);
        QCOMPARE(asking.at(1).at(0).toBool(), false);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);  // Esc asks the same
        question = dialog.findChild<QMessageBox*>(QStringLiteral("stopQuestion"));
        QVERIFY(question != nullptr);
        answer(question, QMessageBox::Yes);
        QCOMPARE(stops.count(), 1);
        QVERIFY(dialog.isVisible());  // it closes when the worker is done
    }

    void nameEditDialogPastesTheDescription() {
        NameEditDialog dialog(QStringLiteral("番組名"), QStringLiteral("一行目\r\n二行目"));
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // It opens with the caret at the end and nothing selected, so the
        // description goes in after the name.
        auto* edit = child<QLineEdit>(&dialog, "nameEdit");
        QVERIFY(edit->hasFocus());
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(edit->cursorPosition(), 3);
        child<QPushButton>(&dialog, "pasteDescriptionButton")->click();
        QCOMPARE(dialog.name(), QStringLiteral("番組名一行目二行目"));
        QCOMPARE(edit->cursorPosition(), 3);
        edit->setText(QStringLiteral("番組名"));
        edit->setSelection(1, 1);  // "組"
        child<QPushButton>(&dialog, "pasteDescriptionButton")->click();
        QCOMPARE(dialog.name(), QStringLiteral("番一行目二行目名"));
        QCOMPARE(edit->cursorPosition(), 1);
        QVERIFY(edit->hasFocus() || !QApplication::focusWidget());

        dialog.place_at_cell(QPoint(300, 200));
        QCOMPARE(dialog.pos().x(), 286);
        QVERIFY(dialog.pos().y() < 200 - 16);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("番組名の編集"));
    }

    void rowMenusComeFromTheEntry() {
        FileEntry entry =
            make_file_entry("/rec/a.ts", {programme("ニュース&天気", "局Ａ", 1712491200),
                                          programme("ドラマ", "局Ａ", 1712494800)});
        entry.selected = 1;
        entry.candidates[1].eventText = cp932("一行目\r") + std::string(70, 'x');
        entry.candidates[1].extendedText = cp932("詳細");
        auto menu = gui::make_candidate_menu(entry, nullptr);
        QVERIFY(menu != nullptr);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 4);
        QCOMPARE(actions[0]->text(), QStringLiteral("ニュース&&天気 [局Ａ](&1)"));
        QVERIFY(!actions[0]->isChecked());
        QVERIFY(actions[1]->isChecked());
        QVERIFY(actions[2]->isSeparator());
        QCOMPARE(actions[3]->text(), QStringLiteral("番組名を編集する(&E)"));

        auto description = gui::make_description_menu(entry, nullptr);
        QVERIFY(description != nullptr);
        QStringList lines;
        for (QAction* action : description->actions()) lines << action->text();
        QCOMPARE(lines, (QStringList{QStringLiteral("一行目"), QString(59, QLatin1Char('x')),
                                     QString(11, QLatin1Char('x')), QStringLiteral("詳細")}));

        // A file without programme data offers neither popup.
        const FileEntry empty =
            make_file_entry("/rec/b.ts", {programme("データが有りません", "", 0)});
        QVERIFY(gui::make_candidate_menu(empty, nullptr) == nullptr);
        QVERIFY(gui::make_description_menu(empty, nullptr) == nullptr);
    }

    void textsCrossTheCodePageBoundaryLosslessly() {
        // A CP932 extension character (0xFA 0x40) and a stray byte both come back.
        const std::string bytes = std::string("\xFA\x40", 2) + cp932("表") + "\x80";
        QCOMPARE(gui::cp932_from_qt(gui::qt_from_cp932(bytes)), bytes);
        QCOMPARE(gui::cp932_from_qt(QStringLiteral("表表"), 3), cp932("表"));
        // Every double-byte character comes back as the same character; of two
        // codes for one character, the one Windows writes comes back.
        int characters = 0;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead > 0x9F && lead < 0xE0) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
                const QString text = gui::qt_from_cp932(code);
                const std::string back = gui::cp932_from_qt(text);
                QCOMPARE(gui::qt_from_cp932(back), text);
                if (text.size() == 1 && !text[0].isSurrogate()) ++characters;
            }
        }
        QVERIFY(characters > 7000);
        QCOMPARE(gui::cp932_from_qt(QStringLiteral("😀")), std::string(" "));
    }

    // Qt's own buttons speak Japanese once its translation is loaded.
    void qtOwnTextsAreJapanese() {
        QTranslator* translator = gui::install_qt_japanese();
        if (translator == nullptr)
            QSKIP("Qt's Japanese translation (qtbase_ja.qm) is not installed");
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        const QString yes = box.button(QMessageBox::Yes)->text();
        const QString no = box.button(QMessageBox::No)->text();
        QCoreApplication::removeTranslator(translator);
        delete translator;
        QVERIFY2(yes.contains(QStringLiteral("はい")), qPrintable(yes));
        QVERIFY2(no.contains(QStringLiteral("いいえ")), qPrintable(no));
        // Removed again, the other tests see Qt's English.
        QMessageBox english;
        english.setStandardButtons(QMessageBox::Yes);
        QVERIFY(!english.button(QMessageBox::Yes)->text().contains(QStringLiteral("はい")));
    }
};

KALVENTO_GUI_TEST(DialogsTest);

}  // namespace
}  // namespace kalvento::test

#include "dialogs_test.moc"
