// kalvento: the desktop window. Files named on the command line are analysed
// one by one; with -AUTO they are converted without asking and with -QUIT the
// window then closes, so a recording program can call it after a recording.
#include "app/app_context.h"
#include "app/command_line.h"
#include "gui/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The tokens come before Qt takes its own options out of argv.
    const kalvento::CommandLine command_line = kalvento::parse_command_line_arguments(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalvento"));
    QApplication::setApplicationVersion(QStringLiteral(KALVENTO_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("TSファイル名変更ツール"));

    kalvento::gui::MainWindow window(kalvento::load_app_context(argv[0], {.macroMenu = true}));
    window.start(command_line);
    application.exec();
    return window.exit_code();
}
