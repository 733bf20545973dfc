#include "gui/auto_run.h"

#include "gui/job_list_controller.h"

#include <QTimer>
#include <QWidget>

namespace kalvento::gui {

AutoRun::AutoRun(JobListController& list, QWidget& window) : list_(list), window_(window) {
    connect(&list_, &JobListController::batchFinished, this, &AutoRun::batch_finished);
    connect(&list_, &JobListController::settled, this, &AutoRun::list_settled);
}

void AutoRun::start(const CommandLine& command_line, bool icon_start) {
    commandLine_ = command_line;
    const bool minimised = command_line.autoConvert && icon_start;
    if (minimised) list_.hide_progress();
    window_.setAttribute(Qt::WA_ShowWithoutActivating);
    // Room for the controls is made before the window shows: a window that
    // had to grow while being shown minimised comes up at normal size.
    window_.ensurePolished();
    window_.resize(window_.size().expandedTo(window_.minimumSizeHint()));
    if (minimised) {
        window_.showMinimized();
    } else {
        window_.show();
    }
    QTimer::singleShot(0, this, [this] {
        if (commandLine_.files.empty()) {
            state_ = State::done;
            list_.sort_now();
            return;
        }
        state_ = State::analysing;
        list_.add_files(commandLine_.files);
    });
}

void AutoRun::batch_finished(bool stopped) {
    if (state_ != State::analysing) return;
    list_.sort_now();
    state_ = commandLine_.autoConvert && !stopped ? State::waitingForNames : State::done;
}

// Every name is composed: all rows are converted without asking.
void AutoRun::list_settled() {
    if (state_ != State::waitingForNames || list_.busy()) return;
    state_ = State::done;
    const bool all_named = list_.convert_all_unattended();
    if (commandLine_.quitAfter) {
        exitCode_ = all_named ? 0 : 1;
        closing_ = true;
        window_.close();
    }
}

}  // namespace kalvento::gui
