// The run a recording program asks for on the command line: the window
// shows (minimised with -AUTO and "IconStart", never activated), the files
// named are added, and with -AUTO, once every name is composed, all of them
// are converted without asking; with -QUIT the window then closes.
//
//   idle -> analysing -> (batch stopped, or no -AUTO) -> done
//                     -> waitingForNames -> (list settled) converting -> done
#pragma once

#include "app/command_line.h"

#include <QObject>

class QWidget;

namespace kalvento::gui {

class JobListController;

class AutoRun final : public QObject {
    Q_OBJECT

  public:
    AutoRun(JobListController& list, QWidget& window);

    // Shows the window and starts the run; `icon_start` is the setting
    // 「-auto指定時は最小化で実行」.
    void start(const CommandLine& command_line, bool icon_start);

    // 0, or with -AUTO -QUIT 1 when a file could not be renamed.
    int exit_code() const { return exitCode_; }
    // The run closes the window (-QUIT): nobody is there to answer a question.
    bool closing() const { return closing_; }

  private:
    enum class State { idle, analysing, waitingForNames, done };

    void batch_finished(bool stopped);
    void list_settled();

    JobListController& list_;
    QWidget& window_;
    CommandLine commandLine_;
    State state_ = State::idle;
    int exitCode_ = 0;
    bool closing_ = false;
};

}  // namespace kalvento::gui
