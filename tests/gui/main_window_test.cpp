#include "gui/main_window.h"
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/name_edit_dialog.h"
#include "gui/progress_dialog.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/recordings.h"
#include "tests/support/local_http_server.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <limits>
#include <thread>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;
using gui::JobTableModel;
using gui::MainWindow;

// Names files by programme name; the separators are empty.
constexpr std::string_view kByProgramme =
    "[KalventoDlg]\nFilenameSet1000=1\nFilenameSetSp1013=\"\"\nFilenameSetSp1014=\"\"\n"
    "FilenameSetSp1015=\"\"\n";

// An analysis that holds the file named `held` until the test opens the gate
// or the window asks it to stop.
struct Gate {
    std::string held;
    std::atomic<bool> open{false};
    std::atomic<bool> reached{false};

    gui::AnalysisRunner::Analyse analyse() {
        return [this](const std::string& path, const AnalysisWindow& window,
                      const ChannelNameMap& channels, const Progress& progress) {
            if (fs::path(path).filename() == held) {
                reached = true;
                while (!open && !progress.stop_requested())
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                if (!open) {
                    AnalysisResult stopped;
                    stopped.outcome = AnalysisOutcome::stopped;
                    return stopped;
                }
            }
            return analyse_recording(path, window, channels, progress);
        };
    }
};

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    TempDir* settings_ = nullptr;
    TempDir* files_ = nullptr;
    std::unique_ptr<MainWindow> window_;

    MainWindow& open(std::string_view ini = kByProgramme,
                     gui::AnalysisRunner::Analyse analyse = {}) {
        write_settings(*settings_, ini);
        window_ = std::make_unique<MainWindow>(
            load_app_context_from(side_files_in(settings_->path()), {.macroMenu = true}),
            std::move(analyse));
        window_->show();
        window_->activateWindow();
        activate();
        return *window_;
    }

    JobTableModel& model() { return *window_->job_model(); }
    gui::JobTableView& view() { return *window_->job_view(); }

    void drop(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = view().viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &enter);
        QDropEvent drop_event(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &drop_event);
    }

    static QString qs(const std::string& path) { return QString::fromStdString(path); }

    QString new_name(int row) { return model().index(row, kColumnNewName).data().toString(); }
    int row_of_file(const char* name) {
        for (int row = 0; row < model().rowCount(); ++row)
            if (model().index(row, kColumnCurrentName).data().toString() == QString::fromUtf8(name))
                return row;
        return -1;
    }
    QString new_name_of(const char* file) { return new_name(row_of_file(file)); }
    // Opens the window on a.ts, b.ts, ... holding these programmes, all analysed.
    void open_with(std::initializer_list<const char*> programmes) {
        char file = 'a';
        for (const char* name : programmes) {
            write_drama(*files_, std::string(1, file) + ".ts", name, "",
                        static_cast<std::uint32_t>(file - 'a' + 1));
            ++file;
        }
        open();
        window_->add_dropped({qs(files_->path())});
        wait_and_activate();
    }
    void click_cell(int row, int column) {
        const QRect cell = view().visualRect(model().index(row, column));
        QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, cell.center());
    }
    bool settled() { return !window_->busy(); }
    // The progress dialog took the activation; a desktop hands it back to
    // the window when the dialog closes, the offscreen platform does not.
    void activate() {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void wait_and_activate() {
        QTRY_VERIFY(settled());
        activate();
    }

  private Q_SLOTS:
    void init() {
        settings_ = new TempDir;
        files_ = new TempDir;
    }
    void cleanup() {
        window_.reset();
        delete files_;
        delete settings_;
    }

    void dropAddsRecordingsOnceAndNamesThem() {
        const std::string a = write_drama(*files_, "a.ts", "朝の番組");
        const std::string b = write_drama(*files_, "b.ts", "夜の番組", "", 2);
        write_text(files_->file("notes.txt"), "x");
        open();
        drop({qs(a), qs(b)});
        QTRY_VERIFY(settled());
        QCOMPARE(model().rowCount(), 2);
        QCOMPARE(view().currentIndex().row(), 0);  // the first row is current after a drop
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("朝の番組.ts"));
        QVERIFY(window_->findChild<gui::ProgressDialog*>() == nullptr ||
                !window_->findChild<gui::ProgressDialog*>()->isVisible());

        // The same file again, and the folder holding both: nothing new; the
        // folder adds its recordings only.
        drop({qs(a)});
        QTRY_VERIFY(settled());
        write_drama(*files_, "c.ts", "昼の番組", "", 3);
        drop({qs(files_->path())});
        QTRY_VERIFY(settled());
        QCOMPARE(model().rowCount(), 3);
        QCOMPARE(row_of_file("notes.txt"), -1);
    }

    void namingControlsRecomposeEveryRow() {
        open_with({"番組Ａ", "番組Ｂ"});

        auto* item2 = child<QComboBox>(window_.get(), "item2");
        item2->setCurrentIndex(2);  // CH
        QCOMPARE(new_name_of("b.ts"), QStringLiteral("番組Ｂカルヴェントテレビ.ts"));

        auto* separator = child<QLineEdit>(window_.get(), "separator2");
        separator->setFocus();
        QTest::keyClick(separator, Qt::Key_Underscore);
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("番組Ａ_カルヴェントテレビ.ts"));
        QTest::keyClick(separator, Qt::Key_Minus);
        QCOMPARE(new_name_of("b.ts"), QStringLiteral("番組Ｂ_-カルヴェントテレビ.ts"));
        QVERIFY(separator->hasFocus());
        QCOMPARE(window_->settings().filenameSetSp[1], std::string("_-"));
    }

    void candidatePopupChoosesAndEditsTheProgramme() {
        write_two_programmes(*files_, "two.ts");
        write_drama(*files_, "one.ts", "一本");
        open();
        window_->add_dropped({qs(files_->path())});
        wait_and_activate();
        const int two = row_of_file("two.ts");
        const QString first_name = new_name(two);
        const QString other_row_name = new_name_of("one.ts");

        const Done chosen = when_popup_opens([](QMenu* menu) {
            QVERIFY(menu->actions()[0]->isChecked());
            menu->findChild<QAction*>(QStringLiteral("candidate1"))->trigger();
            menu->close();
        });
        click_cell(two, kColumnEventName);
        QVERIFY(*chosen);
        QTRY_VERIFY(new_name(two) != first_name);
        QCOMPARE(new_name_of("one.ts"), other_row_name);

        // Left opens the same popup for the first selected row; the name edit
        // replaces the programme name of the chosen candidate.
        view().select_rows({two}, false);
        const Done edit_chosen = when_popup_opens([](QMenu* menu) {
            QVERIFY(menu->actions()[1]->isChecked());
            menu->findChild<QAction*>(QStringLiteral("editProgrammeName"))->trigger();
            menu->close();
        });
        const Done edited = when_dialog_opens<gui::NameEditDialog>([](gui::NameEditDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("nameEdit"));
            QVERIFY(!edit->hasSelectedText());
            edit->setText(QStringLiteral("直した/名前"));
            dialog->accept();
        });
        view().setFocus();
        QTest::keyClick(&view(), Qt::Key_Left);
        QVERIFY(*edit_chosen && *edited);
        QTRY_COMPARE(new_name(two), QStringLiteral("直した／名前.ts"));
        QCOMPARE(model().index(two, kColumnEventName).data().toString(),
                 QStringLiteral("直した/名前"));
    }

    void convertRenamesTheSelectedFiles() {
        open_with({"番組Ａ", "番組Ｂ", "番組Ｃ"});

        view().select_rows({row_of_file("a.ts")}, false);
        child<QPushButton>(window_.get(), "convertButton")->click();
        QVERIFY(fs::exists(files_->file("番組Ａ.ts")));
        QVERIFY(!fs::exists(files_->file("a.ts")));
        QVERIFY(read_all(settings_->file("journal.jsonl")).find("\"window\"") != std::string::npos);
        QCOMPARE(view().selected_rows(), std::vector<int>{row_of_file("番組Ａ.ts")});

        // Ctrl+Z asks first; No converts nothing.
        view().select_rows({row_of_file("b.ts")}, false);
        const Done asked = when_dialog_opens<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->text(), QStringLiteral("選択されているファイルの変換を行ないますか？"));
            answer(box, QMessageBox::No);
        });
        view().setFocus();
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(*asked);
        QVERIFY(fs::exists(files_->file("b.ts")));

        // Enter in the list converts without asking.
        activate();
        view().select_rows({row_of_file("b.ts"), row_of_file("c.ts")}, false);
        view().setFocus();
        QTest::keyClick(&view(), Qt::Key_Return);
        QVERIFY(fs::exists(files_->file("番組Ｂ.ts")));
        QVERIFY(fs::exists(files_->file("番組Ｃ.ts")));
        QCOMPARE(view().selected_rows().size(), std::size_t{2});
    }

    // Keys go to the widget that has the focus: an open item list and a
    // separator edit keep Enter, Esc, Delete and the Ctrl keys; only the list
    // converts, removes and selects with them.
    void keysActWhereTheFocusIs() {
        open_with({"番組Ａ", "番組Ｂ"});
        view().select_rows({0, 1}, false);
        auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus != nullptr);
            QTest::keyClick(focus, k, modifiers);
        };
        auto untouched = [this] {
            return fs::exists(files_->file("a.ts")) && fs::exists(files_->file("b.ts")) &&
                   model().rowCount() == 2 && window_->isVisible();
        };

        auto* item2 = child<QComboBox>(window_.get(), "item2");
        item2->setFocus();
        for (int round = 0; round < 3; ++round) {
            key(Qt::Key_Down, Qt::AltModifier);
            QTRY_VERIFY(item2->view()->isVisible());
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            QTRY_VERIFY(!item2->view()->isVisible());
            QCOMPARE(item2->currentIndex(), round + 1);
            QVERIFY(untouched());
        }
        key(Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(item2->view()->isVisible());
        key(Qt::Key_Down);
        key(Qt::Key_Escape);
        QTRY_VERIFY(!item2->view()->isVisible());
        QCOMPARE(item2->currentIndex(), 3);
        QVERIFY(untouched());
        QVERIFY(item2->hasFocus());
        item2->setCurrentIndex(0);

        auto* separator = child<QLineEdit>(window_.get(), "separator2");
        separator->setFocus();
        QTest::keyClicks(separator, QStringLiteral("ab"));
        key(Qt::Key_Home);
        key(Qt::Key_Delete);
        QCOMPARE(separator->text(), QStringLiteral("b"));
        key(Qt::Key_Return);
        key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(separator->selectedText(), QStringLiteral("b"));
        key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(separator->text(), QString());
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(separator->text(), QStringLiteral("b"));
        key(Qt::Key_Escape);
        QVERIFY(untouched());
        QVERIFY(separator->hasFocus());
        QCOMPARE(view().selected_rows().size(), std::size_t{2});

        // In the list Delete asks before it removes.
        view().setFocus();
        const Done asked = when_dialog_opens<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("リストから削除"));
            answer(box, QMessageBox::No);
        });
        key(Qt::Key_Delete);
        QVERIFY(*asked);
        QVERIFY(untouched());
        // Esc closes the window from the list.
        activate();
        view().setFocus();
        key(Qt::Key_Escape);
        QVERIFY(!window_->isVisible());
    }

    // Tab walks the controls in the order they are seen, the list last; a
    // command leaves the focus where the user is.
    void tabReachesEveryControlInVisualOrder() {
        open_with({"番組Ａ", "番組Ｂ"});
        auto focus_name = [] {
            QWidget* focus = QApplication::focusWidget();
            return focus != nullptr ? focus->objectName() : QString();
        };
        auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), k, modifiers);
        };
        view().setFocus();
        QStringList order;
        for (int i = 0; i < 30; ++i) {
            key(Qt::Key_Tab);
            order << focus_name();
            if (order.back() == QStringLiteral("jobList")) break;
        }
        QStringList expected;
        for (const char* name :
             {"fileDateBox",    "gopRenameBox",    "notRenameBox",    "wildRenameBox",
              "iconStartBox",   "separator1",      "item1",           "separator2",
              "item2",          "separator3",      "item3",           "separator4",
              "item4",          "separator5",      "convertButton",   "closeButton",
              "removeButton",   "selectAllButton", "ombrixRenameBox", "ombrixButton",
              "settingsButton", "jobList"})
            expected << QString::fromLatin1(name);
        QCOMPARE(order, expected);
        key(Qt::Key_Backtab);
        QCOMPARE(focus_name(), QStringLiteral("settingsButton"));

        // The check boxes and buttons keep the focus after their command.
        auto press = [&](const char* name, Qt::Key k) {
            child<QWidget>(window_.get(), name)->setFocus();
            key(k);
            QCOMPARE(focus_name(), QString::fromLatin1(name));
        };
        press("notRenameBox", Qt::Key_Space);
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("a.ts"));
        press("notRenameBox", Qt::Key_Space);
        press("ombrixRenameBox", Qt::Key_Space);
        press("selectAllButton", Qt::Key_Space);
        QCOMPARE(view().selected_rows().size(), std::size_t{2});
        press("convertButton", Qt::Key_Return);  // Enter presses the button that has the focus
        QVERIFY(fs::exists(files_->file("番組Ａ.ts")));
        QVERIFY(fs::exists(files_->file("番組Ｂ.ts")));
    }

    // At a scale of 2 a screen 1,600 pixels wide is 800 wide for the window:
    // the controls wrap, and every one of them stays whole inside it.
    void everyControlFitsANarrowScreen() {
        open_with({"番組Ａ"});
        QVERIFY(window_->minimumWidth() <= 780);
        for (const QSize size :
             {QSize(1280, 600), QSize(780, 400), QSize(window_->minimumWidth(), 480)}) {
            window_->resize(size);
            QTRY_COMPARE(window_->size(), size);
            const QRect inside = window_->rect();
            for (QWidget* control : window_->findChildren<QWidget*>()) {
                const bool command = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                     qobject_cast<QComboBox*>(control) != nullptr ||
                                     qobject_cast<QLineEdit*>(control) != nullptr;
                if (!command || control->objectName().isEmpty() ||
                    control->objectName().startsWith(QStringLiteral("qt_")))
                    continue;
                const QRect at(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
                QVERIFY2(control->isVisible() && inside.contains(at) &&
                             control->width() >= control->minimumSizeHint().width(),
                         qPrintable(control->objectName()));
            }
            QVERIFY(view().height() >= 64);
        }
    }

    void undoTakesTheWindowsLastConversionBack() {
        open_with({"番組Ａ", "番組Ｂ"});
        auto* undo = child<QAction>(window_.get(), "undoConversionAction");
        QVERIFY(!undo->isEnabled());  // nothing converted yet

        auto convert = [this](const char* name) {
            view().select_rows({row_of_file(name)}, false);
            child<QPushButton>(window_.get(), "convertButton")->click();
        };
        convert("a.ts");
        convert("b.ts");
        QVERIFY(undo->isEnabled());

        // It asks first; No keeps everything.
        Done asked = when_dialog_opens<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("最後の変換を元に戻す"));
            answer(box, QMessageBox::No);
        });
        undo->trigger();
        QVERIFY(*asked);
        QVERIFY(fs::exists(files_->file("番組Ｂ.ts")));

        // Yes takes back only the last conversion; its row follows the file.
        asked =
            when_dialog_opens<QMessageBox>([](QMessageBox* box) { answer(box, QMessageBox::Yes); });
        undo->trigger();
        QVERIFY(*asked);
        QVERIFY(fs::exists(files_->file("b.ts")));
        QVERIFY(!fs::exists(files_->file("番組Ｂ.ts")));
        QVERIFY(fs::exists(files_->file("番組Ａ.ts")));
        QCOMPARE(view().selected_rows(), std::vector<int>{row_of_file("b.ts")});
        QCOMPARE(new_name_of("b.ts"), QStringLiteral("番組Ｂ.ts"));
        QVERIFY(!undo->isEnabled());
        QVERIFY(read_all(settings_->file("journal.jsonl")).find("\"undo\"") != std::string::npos);

        // A file that took the old name meanwhile is never replaced: the
        // recording stays, the user is told, and the command stays on.
        activate();
        convert("b.ts");
        write_text(files_->file("b.ts"), "another file");
        Done warned;
        asked = when_dialog_opens<QMessageBox>([&warned](QMessageBox* box) {
            answer(box, QMessageBox::Yes);
            // The warning opens once the question has closed.
            warned = when_dialog_opens<QMessageBox>([](QMessageBox* warning) {
                QVERIFY(warning->text().contains(QStringLiteral("元の名前が既に使われています")));
                warning->accept();
            });
        });
        undo->trigger();
        QVERIFY(*asked);
        QVERIFY(warned && *warned);
        QCOMPARE(read_all(files_->file("b.ts")), std::string("another file"));
        QVERIFY(fs::exists(files_->file("番組Ｂ.ts")));
        QVERIFY(undo->isEnabled());
    }

    void theLibrarySettingLinksThroughTheSameDoorAndUndoTakesTheLinkAway() {
        write_drama(*files_, "a.ts", "番組Ａ");
        const std::string lib = settings_->file("lib");
        fs::create_directory(lib);
        open(std::string(kByProgramme) + "LibraryAction=link\nLibraryFolder=" + lib +
             "\nLibraryTemplate=録画\n");
        window_->add_dropped({qs(files_->path())});
        wait_and_activate();
        view().select_rows({row_of_file("a.ts")}, false);
        child<QPushButton>(window_.get(), "convertButton")->click();
        const std::string linked = lib + "/録画/番組Ａ.ts";
        QVERIFY(fs::exists(linked));
        QVERIFY(fs::equivalent(linked, files_->file("a.ts")));  // the manager's file stays
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("番組Ａ.ts"));

        const Done asked =
            when_dialog_opens<QMessageBox>([](QMessageBox* box) { answer(box, QMessageBox::Yes); });
        child<QAction>(window_.get(), "undoConversionAction")->trigger();
        QVERIFY(*asked);
        QVERIFY(!fs::exists(lib + "/録画"));  // the link and the folder made for it
        QVERIFY(fs::exists(files_->file("a.ts")));
    }

    void removeAsksOnlyOnTheKey() {
        open_with({"番組", "番組", "番組"});

        view().select_rows({row_of_file("b.ts")}, false);
        const Done asked = when_dialog_opens<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("リストから削除"));
            answer(box, QMessageBox::No);
        });
        view().setFocus();
        QTest::keyClick(&view(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(*asked);
        QCOMPARE(model().rowCount(), 3);
        activate();
        const Done confirmed =
            when_dialog_opens<QMessageBox>([](QMessageBox* box) { answer(box, QMessageBox::Yes); });
        QTest::keyClick(&view(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(*confirmed);
        QCOMPARE(model().rowCount(), 2);
        QCOMPARE(row_of_file("b.ts"), -1);

        view().select_rows({0}, false);
        child<QPushButton>(window_.get(), "removeButton")->click();
        QCOMPARE(model().rowCount(), 1);
        QVERIFY(fs::exists(files_->file("b.ts")));  // removing never touches a file
    }

    void stoppingADropKeepsTheFilesBeforeIt() {
        Gate gate;
        gate.held = "b.ts";
        const std::string a = write_drama(*files_, "a.ts", "一");
        const std::string b = write_drama(*files_, "b.ts", "二", "", 2);
        const std::string c = write_drama(*files_, "c.ts", "三", "", 3);
        open(kByProgramme, gate.analyse());
        drop({qs(a), qs(b), qs(c)});
        QTRY_VERIFY(gate.reached.load());
        auto* progress = window_->findChild<gui::ProgressDialog*>();
        QVERIFY(progress != nullptr);
        QTRY_COMPARE(child<QLabel>(progress, "fileName")->text(), QStringLiteral("b.ts"));
        QVERIFY(!child<QPushButton>(window_.get(), "convertButton")->isEnabled());

        child<QPushButton>(progress, "stopButton")->click();
        auto* question = progress->findChild<QMessageBox*>(QStringLiteral("stopQuestion"));
        answer(question, QMessageBox::No);
        QTest::qWait(50);
        QVERIFY(window_->busy());
        child<QPushButton>(progress, "stopButton")->click();
        answer(progress->findChild<QMessageBox*>(QStringLiteral("stopQuestion")), QMessageBox::Yes);
        QTRY_VERIFY(settled());
        QCOMPARE(model().rowCount(), 1);
        QCOMPARE(row_of_file("a.ts"), 0);
        QVERIFY(child<QPushButton>(window_.get(), "convertButton")->isEnabled());
    }

    // Under a window manager (QT_QPA_PLATFORM=xcb) a dialog placed by its
    // frame position crept up by its title bar with every batch.
    void theProgressDialogOpensWhereTheUserLeftIt() {
        Gate gate;
        open(kByProgramme, gate.analyse());
        QPoint left_at;
        for (int batch = 0; batch < 3; ++batch) {
            const std::string name = "f" + std::to_string(batch) + ".ts";
            gate.held = name;
            gate.open = false;
            gate.reached = false;
            const std::string path =
                write_drama(*files_, name, "番組", "", static_cast<std::uint32_t>(batch + 1));
            drop({qs(path)});
            QTRY_VERIFY(gate.reached.load());
            auto* progress = window_->findChild<gui::ProgressDialog*>();
            QVERIFY(progress != nullptr && QTest::qWaitForWindowExposed(progress));
            if (batch == 0) {
                progress->move(300, 200);
                QTRY_COMPARE(progress->pos(), QPoint(300, 200));
                left_at = progress->pos();
            } else {
                QTest::qWait(100);  // a window manager places it
                QCOMPARE(progress->pos(), left_at);
            }
            gate.open = true;
            QTRY_VERIFY(settled());
        }
    }

    void theAnalysisWaitsWhileTheStopQuestionIsOpen() {
        // An analysis that reports every 2 ms and ends once it has made
        // `finish_at` reports.
        std::atomic<int> reports{0};
        std::atomic<int> finish_at{std::numeric_limits<int>::max()};
        auto analyse = [&](const std::string& path, const AnalysisWindow& window,
                           const ChannelNameMap& channels, const Progress& progress) {
            while (reports < finish_at) {
                if (progress.stop_requested()) {
                    AnalysisResult stopped;
                    stopped.outcome = AnalysisOutcome::stopped;
                    return stopped;
                }
                progress(reports, 1000);
                ++reports;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            return analyse_recording(path, window, channels, progress);
        };
        write_drama(*files_, "a.ts", "一");
        write_drama(*files_, "b.ts", "二", "", 2);
        open(kByProgramme, analyse);
        // Asks to stop the running analysis, which could end at its next step.
        auto ask = [&](const char* file) {
            finish_at = std::numeric_limits<int>::max();
            const int before = reports;
            drop({qs(files_->file(file))});
            QTRY_VERIFY(reports > before + 5);
            auto* progress = window_->findChild<gui::ProgressDialog*>();
            QVERIFY(progress != nullptr);
            child<QPushButton>(progress, "stopButton")->click();
            QTest::qWait(100);
            finish_at = reports + 1;
        };

        // While the question is open the analysis stands still; No lets it end.
        ask("a.ts");
        const int held_at = reports;
        QTest::qWait(500);
        QCOMPARE(reports.load(), held_at);
        QVERIFY(window_->busy());
        answer(window_->findChild<QMessageBox*>(QStringLiteral("stopQuestion")), QMessageBox::No);
        QTRY_VERIFY(settled());
        QCOMPARE(model().rowCount(), 1);

        // Yes ends it where it stood: nothing is added.
        ask("b.ts");
        QTest::qWait(300);
        QVERIFY(window_->busy());
        answer(window_->findChild<QMessageBox*>(QStringLiteral("stopQuestion")), QMessageBox::Yes);
        QTRY_VERIFY(settled());
        QCOMPARE(model().rowCount(), 1);
        QCOMPARE(row_of_file("b.ts"), -1);
    }

    // Closing the program while a file is read: the analysis, let go by the
    // window's end, still reads the channel names, which must outlive it.
    void deletingTheWindowDuringAnAnalysisLetsItEndSafely() {
        std::string channels;
        for (int service = 1; service <= 40; ++service)
            channels += "局" + std::to_string(service) + "\t" + std::to_string(service) +
                        "\t16\t32\t0\t0\t0\r\n";
        write_text(settings_->file("ChSet3.txt"), cp932(channels));
        std::atomic<bool> reached{false};
        std::atomic<std::size_t> names_read{0};
        auto analyse = [&](const std::string&, const AnalysisWindow&, const ChannelNameMap& names,
                           const Progress& progress) {
            reached = true;
            while (!progress.stop_requested())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::size_t read = 0;
            for (const auto& [key, name] : names.names) read += name.empty() ? 0 : 1;
            names_read = read;
            AnalysisResult stopped;
            stopped.outcome = AnalysisOutcome::stopped;
            return stopped;
        };
        open(kByProgramme, analyse);
        drop({qs(write_drama(*files_, "a.ts", "番組"))});
        QTRY_VERIFY(reached.load());
        window_.reset();
        QCOMPARE(names_read.load(), std::size_t{40});
    }

    void theNewestRowComesIntoViewDuringADrop() {
        Gate gate;
        gate.held = "f39.ts";
        for (int i = 0; i < 40; ++i) {
            const std::string name = (i < 10 ? "f0" : "f") + std::to_string(i) + ".ts";
            write_drama(*files_, name, "番組", "", static_cast<std::uint32_t>(i + 1));
        }
        open(kByProgramme, gate.analyse());
        window_->add_dropped({qs(files_->path())});
        QTRY_VERIFY(gate.reached.load());
        QTRY_COMPARE(model().rowCount(), 39);
        QTRY_VERIFY(view().viewport()->rect().contains(
            view().visualRect(model().index(row_of_file("f38.ts"), 0)).center()));
        gate.open = true;
        QTRY_VERIFY(settled());
    }

    void withoutShowProgressNothingAsksAndDropsWait() {
        Gate gate;
        gate.held = "a.ts";
        const std::string a = write_drama(*files_, "a.ts", "一");
        const std::string b = write_drama(*files_, "b.ts", "二", "", 2);
        open(std::string(kByProgramme) + "ShowProgress=0\n", gate.analyse());
        drop({qs(a)});
        QTRY_VERIFY(gate.reached.load());
        QVERIFY(window_->findChild<gui::ProgressDialog*>() == nullptr);
        drop({qs(b)});  // refused while the list may change
        gate.open = true;
        QTRY_VERIFY(settled());
        QCOMPARE(model().rowCount(), 1);
    }

    void namesThatWaitForTheScheduleServiceAreComposedOnAWorker() {
        // The service answers slowly and knows nothing: the rule then names
        // the file from the programme's own fields.
        LocalHttpServer server([](const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return CannedReply{http_reply("<p>none</p>", "404 Not Found")};
        });
        write_drama(*files_, "a.ts", "連続ドラマ");
        write_drama(*files_, "b.ts", "ニュース", "", 2);
        open(std::string(kByProgramme) + "ScheduleBaseUrl=" + server.base_url() +
             "\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\nFindText=ドラマ\n"
             "FindType=1\nRenameText=@TT【確認】\nSyoboFind=@TT\n");
        window_->add_dropped({qs(files_->path())});
        QTRY_VERIFY(model().waiting(model().id_at(row_of_file("a.ts"))));
        QVERIFY(!child<QPushButton>(window_.get(), "convertButton")->isEnabled());
        // b.ts, read after a.ts began to wait, is named without waiting.
        QTRY_COMPARE(new_name_of("b.ts"), QStringLiteral("ニュース.ts"));
        QTRY_VERIFY_WITH_TIMEOUT(settled(), 15000);
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("連続ドラマ【確認】.ts"));
        QVERIFY(!model().waiting(model().id_at(row_of_file("a.ts"))));
        QVERIFY(server.request_count() >= 1);

        // A separator change asks again; the lookup is remembered, no new request.
        const std::size_t requests = server.request_count();
        child<QLineEdit>(window_.get(), "separator1")->setText(QStringLiteral("x"));
        QTRY_VERIFY(settled());
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("連続ドラマ【確認】.ts"));
        QCOMPARE(new_name_of("b.ts"), QStringLiteral("xニュース.ts"));
        QCOMPARE(server.request_count(), requests);
    }

    void aLateScheduleAnswerNeverReplacesANewerName() {
        // The service answers request n only once the test has released n.
        std::atomic<int> released{0};
        std::atomic<int> answered{0};
        LocalHttpServer server([&](const std::string&) {
            const int n = static_cast<int>(answered) + 1;
            for (int i = 0; i < 3000 && released < n; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++answered;
            return CannedReply{http_reply("<p>none</p>", "404 Not Found")};
        });
        auto answer_late = [&](int n) {
            released = n;
            QTRY_COMPARE(answered.load(), n);
            QTest::qWait(500);  // the worker composes and hands the result over
        };
        write_drama(*files_, "a.ts", "連続ドラマ");
        open(std::string(kByProgramme) + "ScheduleBaseUrl=" + server.base_url() +
             "\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\nFindText=ドラマ\n"
             "FindType=1\nRenameText=@TT【確認】\nSyoboFind=@TT\n");
        window_->add_dropped({qs(files_->path())});
        QTRY_COMPARE(server.request_count(), std::size_t{1});
        const EntryId a = model().id_at(0);
        QVERIFY(model().waiting(a));

        // The row is named anew without the service: it waits no more, and
        // the answer that comes afterwards is dropped.
        child<QCheckBox>(window_.get(), "notRenameBox")->click();
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("a.ts"));
        QVERIFY(!model().waiting(a));
        QVERIFY(child<QPushButton>(window_.get(), "convertButton")->isEnabled());
        answer_late(1);
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("a.ts"));

        // Again with the rules turned off while the row waits; 変換 then
        // renames by the items.
        child<QCheckBox>(window_.get(), "notRenameBox")->click();
        QTRY_COMPARE(server.request_count(), std::size_t{2});
        QVERIFY(model().waiting(a));
        child<QCheckBox>(window_.get(), "ombrixRenameBox")->click();
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("連続ドラマ.ts"));
        QVERIFY(!window_->busy());
        answer_late(2);
        QCOMPARE(new_name_of("a.ts"), QStringLiteral("連続ドラマ.ts"));
        view().select_rows({0}, false);
        child<QPushButton>(window_.get(), "convertButton")->click();
        QVERIFY(fs::exists(files_->file("連続ドラマ.ts")));
        QVERIFY(!fs::exists(files_->file("a.ts")));
    }

    // With -AUTO and 「-auto指定時は最小化で実行」 the window starts minimised
    // and is never activated, also when the stored width is below what the
    // controls need (making room for them used to show it at normal size).
    void autoWithIconStartStartsMinimisedAndInactive() {
        const std::string a = write_drama(*files_, "a.ts", "番組");
        write_settings(*settings_, std::string(kByProgramme) + "IconStart=1\nWindowCX=300\n");
        window_ = std::make_unique<MainWindow>(
            load_app_context_from(side_files_in(settings_->path()), {.macroMenu = true}));
        CommandLine command_line;
        command_line.autoConvert = true;
        command_line.files = {a};
        window_->start(command_line);
        QVERIFY(window_->isMinimized());
        QTRY_VERIFY(settled());
        QTest::qWait(100);
        QVERIFY(window_->isMinimized());
        QVERIFY(window_->width() >= window_->minimumSizeHint().width());
        // The offscreen platform activates every window it shows; under a
        // window manager (QT_QPA_PLATFORM=xcb) the window stays inactive.
        QVERIFY(window_->testAttribute(Qt::WA_ShowWithoutActivating));
        if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
            QVERIFY(QApplication::activeWindow() != window_.get());
        QVERIFY(fs::exists(files_->file("番組.ts")));
    }

    // What used to go only to standard error shows in the window: a file that
    // cannot be analysed, and settings that cannot be saved at close, where
    // the user may try again or keep the window open, and loses nothing.
    void problemsShowInTheWindowAndUnsavedSettingsAreNotLost() {
        write_noise(*files_, "noise.ts");
        open();
        window_->add_dropped({qs(files_->path())});
        wait_and_activate();
        auto* notice = child<QLabel>(window_.get(), "noticeLabel");
        QVERIFY(notice->text().contains(QStringLiteral("failed on select_unit_size()")));

        child<QLineEdit>(window_.get(), "separator3")->setText(QStringLiteral("_"));
        // Something that is not a file stands where the settings go.
        const std::string ini = settings_->file("kalvento.ini");
        const std::string stored = read_all(ini);
        fs::remove(ini);
        fs::create_directory(ini);
        // Esc keeps the window open; Enter, on the focused 再試行, tries again.
        const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
        Done asked = when_dialog_opens<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->objectName(), QStringLiteral("settingsNotSaved"));
            key(Qt::Key_Escape);
        });
        window_->close();
        QVERIFY(*asked);
        QVERIFY(window_->isVisible());
        QVERIFY(notice->text().contains(QStringLiteral("the settings could not be saved")));
        child<QAction>(window_.get(), "showLogAction")->trigger();
        auto* log = child<QListWidget>(window_.get(), "noticeList");
        QVERIFY(log != nullptr && log->isVisible());
        QCOMPARE(
            log->findItems(QStringLiteral("the settings could not be saved"), Qt::MatchContains)
                .size(),
            1);

        // Once the user has made room, a retry saves the change.
        asked = when_dialog_opens<QMessageBox>([&](QMessageBox* box) {
            fs::remove(ini);
            write_text(ini, stored);
            QCOMPARE(QApplication::focusWidget(), box->button(QMessageBox::Retry));
            key(Qt::Key_Return);
        });
        window_->close();
        QVERIFY(*asked);
        QVERIFY(!window_->isVisible());
        QVERIFY(read_all(ini).find("FilenameSetSp1014=\"_\"") != std::string::npos);
    }

    void headerClicksSortAndSettingsAreSavedAtClose() {
        open_with({"Ｂ番組", "Ａ番組"});
        QHeaderView* header = view().horizontalHeader();
        const QPoint column1(header->sectionViewportPosition(kColumnNewName) + 5, 5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, column1);
        QCOMPARE(new_name(0), QStringLiteral("Ａ番組.ts"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, column1);
        QCOMPARE(new_name(0), QStringLiteral("Ｂ番組.ts"));

        // Changes of the window are written back; a value the command-line
        // tool saved meanwhile stays.
        child<QLineEdit>(window_.get(), "separator3")->setText(QStringLiteral(" "));
        child<QComboBox>(window_.get(), "item4")->setCurrentIndex(26);
        child<QCheckBox>(window_.get(), "fileDateBox")->setChecked(true);
        header->resizeSection(kColumnGenre, 77);
        window_->resize(1000, 420);
        write_text(settings_->file("kalvento.ini"),
                   read_all(settings_->file("kalvento.ini")) + "ReadSize=80\r\n");
        window_->close();
        const std::string ini = read_all(settings_->file("kalvento.ini"));
        for (const char* line :
             {"FilenameSetSp1014=\" \"", "FilenameSet1003=26", "FileDate=1", "GENREW=77",
              "WindowCX=1000", "ReadSize=80", "FilenameSet1000=1"}) {
            QVERIFY2(ini.find(line) != std::string::npos, line);
        }
    }
};

KALVENTO_GUI_TEST(MainWindowTest);

}  // namespace
}  // namespace kalvento::test

#include "main_window_test.moc"
