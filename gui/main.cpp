// kalvento: the desktop window. Files named on the command line are analysed
// one by one; with -AUTO they are converted without asking and with -QUIT the
// window then closes, so a recording program can call it after each recording.
#include "app/app_context.h"
#include "app/command_line.h"
#include "app/side_files.h"
#include "gui/main_window.h"
#include "gui/qt_translations.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
    "are shared with kalvento-cli (see kalvento-cli config path). Without a display (no\n"
    "DISPLAY or WAYLAND_DISPLAY) the window cannot open: kalvento says so and exits with 2;\n"
    "kalvento-cli rename does the same work on a server.\n";

// Without a display the window cannot open; the command-line tool does the
// same work without one.
const char kNoDisplay[] =
    "kalvento: no display to open the window on; use kalvento-cli instead "
    "(kalvento-cli rename FILE...)\n";
constexpr int kNoDisplayExit = 2;
// Without usable side-file places (a service account without a home) as well.
constexpr int kNoPlacesExit = 2;

bool display_named(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    }
    return false;
}

// While Qt looks for its display: a display that cannot be reached ends the
// program with the one line above instead of an abort; the other messages of
// that moment are held and shown once the display is there.
struct HeldMessage {
    QtMsgType type;
    QString text;
};
std::vector<HeldMessage>* heldMessages = nullptr;

void hold_message(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(kNoDisplayExit);
    }
    heldMessages->push_back({type, text});
}

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
    if (!display_named(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return kNoDisplayExit;
    }
    // The side-file places are settled once, before anything reads them.
    if (const std::string problem = kalvento::settle_side_files(argv[0]); !problem.empty()) {
        std::fprintf(stderr, "kalvento: %s\n", problem.c_str());
        return kNoPlacesExit;
    }
    // The tokens come before Qt takes its own options out of argv.
    const kalvento::CommandLine command_line = kalvento::parse_command_line_arguments(argc, argv);
    std::vector<HeldMessage> held;
    heldMessages = &held;
    const QtMessageHandler previous = qInstallMessageHandler(hold_message);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& message : held) {
        if (previous != nullptr) previous(message.type, {}, message.text);
    }
    kalvento::gui::install_qt_japanese();
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
