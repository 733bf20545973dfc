// Speed of the window against the core it drives, measured in the same run:
//   keystroke  - 1,000 rows and 100 rules: one key typed into a separator edit
//                recomposes every row and repaints the list (median of the
//                keystrokes), against JobList::rebuild of the same rows with
//                the same rules and settings, without a window.
//   drop       - 1,000 small recordings dropped on the window as a folder,
//                until every row is there, against `kalvento-cli analyse` on
//                the same files (both read every file the same way).
//
//   QT_QPA_PLATFORM=offscreen kalvento_gui_bench [PATH-TO-kalvento-cli]
#include "app/app_context.h"
#include "app/job_list.h"
#include "gui/job_table_view.h"
#include "gui/main_window.h"
#include "platform/codepage.h"
#include "tests/support/small_recording.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kalvento;
namespace fs = std::filesystem;

constexpr int kRows = 1000;
constexpr int kRules = 100;
constexpr int kKeystrokes = 40;
constexpr int kDropRounds = 3;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// 100 rules: 98 that match no programme here, one for the dramas and one for
// the news, which name every file; the item composition names nothing.
std::string settings_file() {
    std::string ini =
        "[KalventoDlg]\r\nFilenameSet1000=1\r\nFilenameSet1001=2\r\nFilenameSet1002=23\r\n"
        "ShowProgress=1\r\n[OmbrixReName]\r\nIndexNo=" +
        std::to_string(kRules - 1) + "\r\n";
    for (int i = 0; i < kRules; ++i) {
        char section[64];
        std::snprintf(section, sizeof section, "[OmbrixReNameSet%06d]\r\n", i);
        ini += section;
        if (i == 0) {
            ini +=
                "FindText=ドラマ\r\nFindType=1\r\nRenameText=@TT 第@2nb話 [@CH] "
                "@mm月@dd日(@wk)\r\n";
        } else if (i == 1) {
            ini +=
                "FindText=ニュース\r\nFindTextCh=カルヴェント\r\nFindType=0\r\nRenameText=@TT "
                "@YY@MM@DD\r\n";
        } else {
            ini += "FindText=^番組" + std::to_string(i) +
                   "[０-９]+$\r\nFindType=1\r\nRenameText=@TT\r\n";
        }
    }
    return cp932(ini);
}

void wait_until_settled(gui::MainWindow& window) {
    QEventLoop loop;
    QObject::connect(&window, &gui::MainWindow::settled, &loop, &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    if (window.busy()) loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    const QString cli =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QApplication::applicationDirPath() + QStringLiteral("/../../cli/kalvento-cli");

    QTemporaryDir temp;
    const fs::path settings = temp.path().toStdString() + "/settings";
    const fs::path recordings = temp.path().toStdString() + "/recordings";
    fs::create_directories(settings);
    fs::create_directories(recordings);
    std::ofstream(settings / "kalvento.ini", std::ios::binary) << settings_file();
    std::vector<std::string> paths;
    for (int i = 0; i < kRows; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "rec%04d.ts", i);
        const std::string title =
            (i % 2 == 0 ? "ドラマ「港町」第" : "ニュース") + std::to_string(i);
        test::write_small_recording(
            recordings / name, {.eventName = title, .seed = static_cast<std::uint32_t>(i + 1)});
        paths.push_back((recordings / name).string());
    }
    const SideFiles side_files = side_files_in(settings.string());

    // The drop, against the command-line analysis of the same files.
    std::vector<double> drop_ms;
    std::vector<double> cli_ms;
    std::unique_ptr<gui::MainWindow> window;
    for (int round = 0; round < kDropRounds; ++round) {
        window = std::make_unique<gui::MainWindow>(load_app_context_from(side_files));
        window->show();
        QElapsedTimer timer;
        timer.start();
        window->add_dropped({QString::fromStdString(recordings.string())});
        wait_until_settled(*window);
        drop_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (window->jobs().size() != static_cast<std::size_t>(kRows)) {
            std::fprintf(stderr, "the drop added %zu rows\n", window->jobs().size());
            return 1;
        }

        QProcess process;
        QStringList arguments{QStringLiteral("analyse")};
        for (const std::string& path : paths) arguments << QString::fromStdString(path);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KALVENTO_DIR"),
                           QString::fromStdString(settings.string()));
        process.setProcessEnvironment(environment);
        process.setStandardOutputFile(QProcess::nullDevice());
        timer.restart();
        process.start(cli, arguments);
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            std::fprintf(stderr, "kalvento-cli analyse failed (%s)\n",
                         cli.toLocal8Bit().constData());
            return 1;
        }
        cli_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    // A keystroke in a separator edit: every row composed again, the list repainted.
    window->resize(1100, 700);
    auto* separator = window->findChild<QLineEdit*>(QStringLiteral("separator2"));
    QTest::qWait(50);
    std::vector<double> key_ms;
    for (int i = 0; i < kKeystrokes; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(separator, i % 2 == 0 ? Qt::Key_Underscore : Qt::Key_Backspace);
        window->job_view()->viewport()->repaint();
        key_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    // The same rows, rules and settings in a job list without a window.
    const AppContext context = load_app_context_from(side_files);
    JobList jobs(make_rule_step(context));
    jobs.set_naming(naming_settings_from(context.settings));
    for (const std::string& path : paths)
        jobs.add_analysed(path, analyse_recording(path, analysis_window_from(context.settings),
                                                  context.channels));
    std::vector<double> rebuild_ms;
    NamingSettings naming = naming_settings_from(context.settings);
    for (int i = 0; i < kKeystrokes; ++i) {
        naming.separators[1] = i % 2 == 0 ? " _" : " ";
        QElapsedTimer timer;
        timer.start();
        jobs.set_naming(naming);
        jobs.rebuild();
        rebuild_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    // Both sides named the rows by the rules.
    if (jobs.jobs()[1].entry.newName != cp932("ニュース1 20240407.ts") ||
        window->jobs().jobs()[1].entry.newName != jobs.jobs()[1].entry.newName) {
        std::fprintf(stderr, "the rules did not name the rows\n");
        return 1;
    }
    const double key = median(key_ms);
    const double rebuild = median(rebuild_ms);
    const double drop = median(drop_ms);
    const double analyse = median(cli_ms);
    std::printf("keystroke, %d rows, %d rules: window %.2f ms, core rebuild %.2f ms, ratio %.2f\n",
                kRows, kRules, key, rebuild, key / rebuild);
    std::printf("drop of %d recordings: window %.0f ms, kalvento-cli analyse %.0f ms, ratio %.2f\n",
                kRows, drop, analyse, drop / analyse);
    return 0;
}
