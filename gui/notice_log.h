// The window's notices: what the analyses, conversions, undo, schedule
// lookups and settings had to say, in the order it came, so a desktop user
// never has to read standard error. The newest warning or error shows in the
// status bar; 「ログを表示」 opens the whole log in a read-only list. Each
// warning and error also goes to standard error, for the logs of a recording
// program that starts the window with -AUTO.
#pragma once

#include "platform/notice.h"

#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringList>

class QListWidget;

namespace kalvento::gui {

class NoticeLog final : public QObject {
    Q_OBJECT

  public:
    // The log keeps this many lines; older ones go.
    static constexpr int kKeptLines = 1000;

    explicit NoticeLog(QObject* parent = nullptr);

    // A sink for any thread: notices from a worker arrive through the event
    // loop. The log must outlive every worker it is handed to.
    NoticeSink sink();
    // On the UI thread.
    void add(const Notice& notice);

    const QStringList& lines() const { return lines_; }

  signals:
    // A line was added; `alarming` for a warning or an error.
    void added(const QString& line, bool alarming);

  private:
    QStringList lines_;
};

// 「ログ」: the log's lines, newest last, following the log while it is open.
class NoticeLogDialog final : public QDialog {
    Q_OBJECT

  public:
    NoticeLogDialog(const NoticeLog& log, QWidget* parent = nullptr);

  private:
    QListWidget* list_ = nullptr;
};

}  // namespace kalvento::gui
