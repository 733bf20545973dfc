// kalvento-screenshot: renders the main window offscreen with the sample
// recordings into PNG files for the documentation.
//
//   QT_QPA_PLATFORM=offscreen kalvento-screenshot DIRECTORY
//   QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 kalvento-screenshot --narrow DIRECTORY
//
// --narrow renders only the main window, 780 by 420 (what a screen 1,600
// pixels wide leaves at a scale of 2), into main-window-scale2.png.
#include "app/app_context.h"
#include "gui/job_table_model.h"
#include "gui/job_table_view.h"
#include "gui/main_window.h"
#include "gui/rule_edit_dialog.h"
#include "gui/rule_list_dialog.h"
#include "gui/settings_dialog.h"
#include "platform/codepage.h"
#include "rules/rule_store.h"
#include "tests/support/recording_builder.h"
#include "tests/support/sample_recordings.h"
#include "tests/support/small_recording.h"
#include "tests/support/ts_builder.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFont>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

bool save(QWidget* widget, const QString& path) {
    if (widget->grab().save(path)) {
        std::printf("wrote %s\n", path.toLocal8Bit().constData());
        return true;
    }
    std::fprintf(stderr, "kalvento-screenshot: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
}

// Runs the event loop until the window has read and named every file.
void wait_until_settled(kalvento::gui::MainWindow& window) {
    QEventLoop loop;
    QObject::connect(&window, &kalvento::gui::MainWindow::settled, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (window.busy()) loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool narrow = argc == 3 && std::strcmp(argv[1], "--narrow") == 0;
    if (argc != 2 && !narrow) {
        std::fprintf(stderr, "usage: kalvento-screenshot [--narrow] DIRECTORY\n");
        return 2;
    }
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    QApplication::setApplicationVersion(QStringLiteral(KALVENTO_VERSION));
    const QString output = QString::fromLocal8Bit(argv[argc - 1]);
    QDir().mkpath(output);

    QTemporaryDir temp;
    const std::string base = temp.path().toStdString();
    const std::filesystem::path recordings = base + "/recordings";
    const std::filesystem::path settings = base + "/settings";
    std::filesystem::create_directories(recordings);
    std::filesystem::create_directories(settings);
    using namespace kalvento::test;
    write_file(recordings / "terrestrial-two-services.ts",
               build_recording(sample_terrestrial_two_services()));
    write_file(recordings / "bs-service-101.ts", build_recording(sample_bs_service_101()));
    write_file(recordings / "programme-change.ts", build_recording(sample_programme_change()));
    write_file(recordings / "partial-ts-sit.ts", build_recording(sample_partial_ts_sit()));
    write_small_recording(recordings / "20240407-2100.ts",
                          {.eventName = "夜のドラマ　第５話「約束」",
                           .description = "港町を舞台にした連続ドラマ。\r第５話の約束とは。"});
    // Items: programme name, channel, date and time, joined as a user would;
    // a few rules of the kind users write, one of them changed since the save.
    std::ofstream(settings / "kalvento.ini", std::ios::binary) << kalvento::cp932(
        "[KalventoDlg]\r\nFilenameSet1000=1\r\nFilenameSet1001=2\r\n"
        "FilenameSet1002=3\r\nFilenameSet1003=4\r\nFilenameSetSp1013=\" [\"\r\n"
        "FilenameSetSp1014=\"] \"\r\nFilenameSetSp1015=\" \"\r\n"
        "OLDW=175\r\nNEWW=440\r\nNAMEW=160\r\nCHW=125\r\nDATEW=120\r\n"
        "CONTW=200\r\nWindowCX=1100\r\nWindowCY=440\r\n"
        "[OmbrixReName]\r\nIndexNo=3\r\n"
        "[OmbrixReNameSet000000]\r\nFindText=ドラマ「港町の灯り」\r\nFindTextCh=カルヴェント\r\n"
        "FindType=0\r\nRenameText=@C'「.+?」'@TT 第@2nb話 [@CH] @mm月@dd日(@wk)\r\n"
        "StartTime=1711897200\r\nStartNo=1\r\nWeekCheck3=1\r\n"
        "[OmbrixReNameSet000001]\r\nFindText=世界の名城紀行\r\nFindType=1\r\n"
        "RenameText=@TT @NTN'第.+?回'#@2NB\r\n"
        "[OmbrixReNameSet000002]\r\nFindText=temp:連続ドラマ\r\nFindType=1\r\n"
        "RenameText=@TT 第@2nb話「@sb」\r\nSyoboFind=@TT\r\nSyoboNB=1\r\nSyoboSB=1\r\n"
        "[OmbrixReNameSet000003]\r\nFindTextCh=ＢＳカルヴェント３\r\nFindType=2\r\n"
        "RenameText=[映画] @TT (@YY)\r\n");

    kalvento::gui::MainWindow window(kalvento::load_app_context_from(
        kalvento::side_files_in(settings.string()), {.macroMenu = true}));
    if (narrow) window.resize(780, 420);
    window.show();
    window.add_dropped({QString::fromStdString(recordings.string())});
    wait_until_settled(window);
    window.job_view()->select_rows({1}, false);
    if (narrow) return save(&window, output + QStringLiteral("/main-window-scale2.png")) ? 0 : 1;
    if (!save(&window, output + QStringLiteral("/main-window.png"))) return 1;

    // The tools menu after a conversion of the selected row (in the temporary
    // copy): the settings, and taking that conversion back.
    auto* convert = window.findChild<QPushButton*>(QStringLiteral("convertButton"));
    if (convert == nullptr) return 1;
    convert->click();
    auto* tools = window.findChild<QMenu*>(QStringLiteral("toolsMenu"));
    if (tools == nullptr) return 1;
    tools->popup(window.mapToGlobal(QPoint(0, 0)));
    if (!save(tools, output + QStringLiteral("/tools-menu.png"))) return 1;
    tools->hide();
    kalvento::gui::SettingsDialog settings_dialog(window.settings().readStartPos,
                                                  window.settings().readSize,
                                                  window.settings().showProgress, &window);
    settings_dialog.show();
    if (!save(&settings_dialog, output + QStringLiteral("/settings.png"))) return 1;
    settings_dialog.hide();

    // The rule dialogs, opened from the row of the drama.
    const kalvento::AppContext context = kalvento::load_app_context_from(
        kalvento::side_files_in(settings.string()), {.macroMenu = true});
    kalvento::gui::RulePreviewSource preview;
    preview.naming = window.jobs().naming();
    for (const kalvento::Job& job : window.jobs().jobs())
        if (job.entry.currentName == "programme-change.ts") preview.entry = job.entry;
    if (context.rules.size() < 2) return 1;
    kalvento::RuleList rules = context.rules;
    kalvento::RenameRule changed = rules[1];
    changed.RenameText += kalvento::cp932("【改】");
    kalvento::replace_rule(rules, 1, changed);
    kalvento::gui::RuleListDialog list(rules, context.sideFiles.settingsFile,
                                       context.sideFiles.ruleExchangeFile, context.macroMenu,
                                       preview);
    list.show();
    if (!save(&list, output + QStringLiteral("/rule-list.png"))) return 1;

    kalvento::gui::RuleEditDialog edit(context.rules[0], context.macroMenu, preview);
    edit.show();
    return save(&edit, output + QStringLiteral("/rule-edit.png")) ? 0 : 1;
}
