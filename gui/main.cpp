// kalvento: the desktop window. Files named on the command line are analysed
// one by one; with -AUTO they are converted without asking and with -QUIT the
// window then closes, so a recording program can call it after each recording.
#include "app/app_context.h"
#include "app/command_line.h"
#include "gui/main_window.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: kalvento [-AUTO] [-QUIT] [FILE]...\n"
    "Rename recordings of Japanese digital television (ISDB transport streams) after the\n"
    "programme that was on air, read from the broadcast tables in the file. The window lists\n"
    "the recordings dropped on it or named here, composes their new names from chosen items\n"
    "and separators or from the rename rules, and renames them when asked.\n"
    "\n"
    "  -AUTO       convert the named files without asking (minimised and without the\n"
    "              progress dialog when \"-auto指定時は最小化で実行\" is ticked)\n"
    "  -QUIT       with -AUTO: close the window afterwards; the exit code is 1 when a\n"
    "              file could not be renamed\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "The switches may stand anywhere and in any case. Settings, rules and the macro menu\n"
    "are shared with kalvento-cli (see kalvento-cli config path).\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before anything starts, so that no window opens for them.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kalvento %s\n", KALVENTO_VERSION);
            return 0;
        }
    }
    // The tokens come before Qt takes its own options out of argv.
    const kalvento::CommandLine command_line = kalvento::parse_command_line_arguments(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalvento"));
    QApplication::setApplicationVersion(QStringLiteral(KALVENTO_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("TSファイル名変更ツール"));
    QApplication::setDesktopFileName(QStringLiteral("kalvento"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kalvento")));

    kalvento::gui::MainWindow window(kalvento::load_app_context(argv[0], {.macroMenu = true}));
    window.start(command_line);
    application.exec();
    return window.exit_code();
}
