// The rule controls of the main window: the rule popup of a row, the
// "Ombrixっぽい" button and its check box, and a rule written in the dialog
// renaming a recording as its preview said.
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/main_window.h"
#include "gui/rule_edit_dialog.h"
#include "gui/rule_list_dialog.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/recordings.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <filesystem>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;
using gui::MainWindow;

constexpr std::string_view kNaming =
    "[KalventoDlg]\nFilenameSet1000=1\nFilenameSetSp1013=\"\"\nFilenameSetSp1014=\"\"\n"
    "FilenameSetSp1015=\"\"\nShowProgress=0\n";

// One rule: programmes with ドラマ in their name are named "<name>!".
constexpr std::string_view kDramaRule =
    "[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\nFindText=ドラマ\nFindType=1\n"
    "RenameText=@TT!\n";

// Closes every popup menu that opens and remembers its items.
class PopupWatcher : public QObject {
  public:
    PopupWatcher() { qApp->installEventFilter(this); }
    ~PopupWatcher() override { qApp->removeEventFilter(this); }
    int shown = 0;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMenu*>(object) != nullptr) {
            ++shown;
            QTimer::singleShot(0, static_cast<QMenu*>(object), &QMenu::close);
        }
        return false;
    }
};

class RuleWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TempDir> settings_;
    std::unique_ptr<TempDir> files_;
    std::unique_ptr<MainWindow> window_;

    void open(std::string_view rules) {
        write_settings(*settings_, std::string(kNaming) + std::string(rules));
        window_ = std::make_unique<MainWindow>(
            load_app_context_from(side_files_in(settings_->path()), {.macroMenu = true}));
        window_->show();
        window_->add_dropped({QString::fromStdString(files_->path())});
        QTRY_VERIFY(!window_->busy());
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    QString new_name(int row) {
        return window_->job_model()->index(row, kColumnNewName).data().toString();
    }

    void right_click(int row) {
        gui::JobTableView* view = window_->job_view();
        const QPoint at = view->visualRect(window_->job_model()->index(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &event);
    }

  private Q_SLOTS:
    void init() {
        settings_ = std::make_unique<TempDir>();
        files_ = std::make_unique<TempDir>();
    }
    void cleanup() {
        window_.reset();
        files_.reset();
        settings_.reset();
    }

    void withoutRulesTheRuleMenuDoesNotOpen() {
        write_drama(*files_, "a.ts", "映画「夏」");
        open(kDramaRule);
        PopupWatcher watcher;
        right_click(0);
        QTest::qWait(20);
        QCOMPARE(watcher.shown, 0);
    }

    void aRuleFromATemplateRenamesAsItsPreviewSaid() {
        write_drama(*files_, "a.ts", "＜新＞夜のドラマ「約束」＃５");
        open(
            "[OmbrixReName]\nIndexNo=1\n[OmbrixReNameSet000000]\nFindText=temp:連ドラ\nFindType=1\n"
            "RenameText=@C'＜.+?＞'@TT [@CH]\n[OmbrixReNameSet000001]\nFindText=夜の\nFindType=1\n"
            "RenameText=@TT(古い規則)\n");
        QCOMPARE(new_name(0), QStringLiteral("＜新＞夜のドラマ「約束」＃５(古い規則).ts"));

        QString preview;
        const Done menu = when_popup_opens([](QMenu* popup) {
            QCOMPARE(popup->actions().size(), 3);
            QCOMPARE(popup->actions()[0]->text(), QStringLiteral("Ombrixっぽいものの編集"));
            QVERIFY(popup->actions()[1]->isSeparator());
            QCOMPARE(popup->actions()[2]->text(), QStringLiteral("「連ドラ」で作成"));
            popup->actions()[2]->trigger();
            popup->close();
        });
        // The edit dialog opens over the list; once it is done, the list
        // stays open on the new rule until its own OK.
        const Done listed = std::make_shared<bool>(false);
        const Done edited =
            when_dialog_opens<gui::RuleEditDialog>([&preview, listed](gui::RuleEditDialog* edit) {
                QCOMPARE(edit->findChild<QLineEdit*>(QStringLiteral("findTextEdit"))->text(),
                         QStringLiteral("夜のドラマ"));
                QCOMPARE(edit->findChild<QLineEdit*>(QStringLiteral("findTextChEdit"))->text(),
                         QStringLiteral("カルヴェントテレビ"));
                auto* templ = edit->findChild<QLineEdit*>(QStringLiteral("renameTextEdit"));
                templ->setText(templ->text() + QStringLiteral(" @mm月@dd日"));
                preview = edit->findChild<QLabel*>(QStringLiteral("previewLabel"))->text();
                edit->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
                when_dialog_opens<gui::RuleListDialog>([listed](gui::RuleListDialog* list) {
                    QCOMPARE(list->working_copy().size(), std::size_t{3});
                    *listed = true;
                    list->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
                });
            });
        right_click(0);
        QVERIFY(*menu && *edited);
        QTRY_VERIFY(*listed);
        QCOMPARE(preview,
                 QStringLiteral("夜のドラマ「約束」＃５ [カルヴェントテレビ] 04月07日.ts"));
        QCOMPARE(new_name(0), preview);

        window_->job_view()->select_rows({0}, false);
        child<QPushButton>(window_.get(), "convertButton")->click();
        QVERIFY(fs::exists(files_->file(preview.toStdString())));

        // The rule is in the settings file, and turning rules off names by
        // items (the rule's @C cut the programme name for good).
        QCOMPARE(load_rules(ProfileFile::load(settings_->file("kalvento.ini"))).size(),
                 std::size_t{3});
        child<QCheckBox>(window_.get(), "ombrixRenameBox")->setChecked(false);
        QCOMPARE(new_name(0), QStringLiteral("夜のドラマ「約束」＃５.ts"));
    }

    void changingTheMatchingRuleAndCancelling() {
        write_drama(*files_, "a.ts", "夜のドラマ");
        open(kDramaRule);
        const std::string before = read_all(settings_->file("kalvento.ini"));
        const Done menu = when_popup_opens([](QMenu* popup) {
            QCOMPARE(popup->actions().size(), 1);
            popup->actions()[0]->trigger();
            popup->close();
        });
        const Done edited = when_dialog_opens<gui::RuleEditDialog>([](gui::RuleEditDialog* edit) {
            QCOMPARE(edit->findChild<QLineEdit*>(QStringLiteral("renameTextEdit"))->text(),
                     QStringLiteral("@TT!"));
            edit->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        right_click(0);
        QVERIFY(*menu);
        QTRY_VERIFY(*edited);
        // Cancelling the change closes the list too; nothing is saved.
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(read_all(settings_->file("kalvento.ini")), before);
        QCOMPARE(new_name(0), QStringLiteral("夜のドラマ!.ts"));
    }
};

KALVENTO_GUI_TEST(RuleWindowTest);

}  // namespace
}  // namespace kalvento::test

#include "rule_window_test.moc"
