// The kalvento program itself, as a recording program calls it after a
// recording: "kalvento -AUTO -QUIT FILE...".
#include "tests/gui/gui_test.h"
#include "tests/gui/recordings.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

class AutoQuitTest : public QObject {
    Q_OBJECT

  private:
    // Runs the program in `dir` with these arguments; its exit code, or -1
    // when it did not end by itself.
    static int run(const TempDir& settings, const TempDir& dir, const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KALVENTO_DIR"), QString::fromStdString(settings.path()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(dir.path()));
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(KALVENTO_BINARY), arguments);
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

  private Q_SLOTS:
    void convertsAndQuits() {
        TempDir settings;
        TempDir dir;
        write_settings(settings,
                       "[KalventoDlg]\nFilenameSet1000=1\nFilenameSet1001=23\n"
                       "FilenameSetSp1014=\"\"\nFilenameSetSp1015=\"\"\nIconStart=1\n");
        write_drama(dir, "rec one.ts", "夜のドラマ");
        write_two_programmes(dir, "two.ts");
        write_text(dir.file("two.ts.txt"), "companion");

        QCOMPARE(run(settings, dir,
                     {QStringLiteral("rec one.ts"), QStringLiteral("-auto"),
                      QStringLiteral("two.ts"), QStringLiteral("-Quit")}),
                 0);
        QVERIFY(fs::exists(dir.file("夜のドラマ 20240407(日).ts")));
        QVERIFY(!fs::exists(dir.file("rec one.ts")));
        QVERIFY(!fs::exists(dir.file("two.ts")));
        QVERIFY(fs::exists(dir.file("two.ts.txt")));  // companions only move when asked
        const std::string ini = read_all(settings.file("kalvento.ini"));
        for (const char* line : {"FilenameSet1000=1\r\n", "FilenameSetSp1013=\" \"\r\n",
                                 "FilenameSetSp1012=\"\"\r\n", "IconStart=1\r\n", "OLDW=100\r\n"}) {
            QVERIFY2(ini.find(line) != std::string::npos, line);
        }
        // Minimised, the window keeps the placement it had.
        QVERIFY(ini.find("WindowCX=930\r\n") != std::string::npos);
        // The moves are in the rename journal, as a batch of an unattended run.
        const std::string journal = read_all(settings.file("journal.jsonl"));
        QVERIFY(journal.find("\"auto\"") != std::string::npos);
        QVERIFY(journal.find("two.ts") != std::string::npos);
    }

    void aFileThatCannotBeRenamedGivesExitCodeOne() {
        TempDir settings;
        TempDir dir;
        write_settings(settings,
                       "[KalventoDlg]\nFilenameSet1000=1\nFilenameSetSp1013=\"\"\n"
                       "FilenameSetSp1014=\"\"\nFilenameSetSp1015=\"\"\nShowProgress=0\n");
        write_drama(dir, "rec.ts", "番組");
        write_noise(dir, "noise.ts");
        QCOMPARE(run(settings, dir,
                     {QStringLiteral("-AUTO"), QStringLiteral("-QUIT"), QStringLiteral("rec.ts"),
                      QStringLiteral("noise.ts")}),
                 1);
        QVERIFY(fs::exists(dir.file("番組.ts")));
        QVERIFY(fs::exists(dir.file("noise.ts")));
    }

    // Without a display the window cannot open: one line points to the
    // command-line tool, and nothing is renamed.
    void withoutADisplayItPointsToTheCommandLineTool() {
        TempDir dir;
        write_drama(dir, "rec.ts", "番組");
        QProcessEnvironment bare;  // no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
        QProcessEnvironment unreachable;
        unreachable.insert(QStringLiteral("DISPLAY"), QStringLiteral(":93"));
        unreachable.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        for (const QProcessEnvironment& environment : {bare, unreachable}) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.setWorkingDirectory(QString::fromStdString(dir.path()));
            process.start(
                QStringLiteral(KALVENTO_BINARY),
                {QStringLiteral("-AUTO"), QStringLiteral("-QUIT"), QStringLiteral("rec.ts")});
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 2);
            const QString error = QString::fromLocal8Bit(process.readAllStandardError());
            QCOMPARE(error.count(QLatin1Char('\n')), 1);
            QVERIFY2(error.contains(QStringLiteral("kalvento-cli")), qPrintable(error));
            QVERIFY(fs::exists(dir.file("rec.ts")));
        }
    }
};

KALVENTO_GUI_TEST(AutoQuitTest);

}  // namespace
}  // namespace kalvento::test

#include "auto_quit_test.moc"
