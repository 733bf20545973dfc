#include "gui/notice_log.h"

#include "gui/qt_text.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <cstdio>

namespace kalvento::gui {
namespace {

QString level_word(NoticeLevel level) {
    switch (level) {
        case NoticeLevel::detail:
            return QStringLiteral("詳細");
        case NoticeLevel::warning:
            return QStringLiteral("警告");
        case NoticeLevel::error:
            return QStringLiteral("エラー");
    }
    return {};
}

// Standard error gets the stream source's own lines as it always did, and
// the other warnings and errors after the program's name.
void echo(const Notice& notice) {
    if (notice.level == NoticeLevel::detail) return;
    if (notice.source == "analysis") {
        std::fprintf(stderr, "%s\n", notice.text.c_str());
    } else if (notice.subject.empty()) {
        std::fprintf(stderr, "kalvento: %s\n", notice.text.c_str());
    } else {
        std::fprintf(stderr, "kalvento: %s: %s\n", notice.subject.c_str(), notice.text.c_str());
    }
}

}  // namespace

NoticeLog::NoticeLog(QObject* parent) : QObject(parent) {}

NoticeSink NoticeLog::sink() {
    return NoticeSink([this](const Notice& notice) {
        if (QThread::currentThread() == thread()) {
            add(notice);
        } else {
            QMetaObject::invokeMethod(
                this, [this, notice] { add(notice); }, Qt::QueuedConnection);
        }
    });
}

void NoticeLog::add(const Notice& notice) {
    echo(notice);
    QString line = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss ")) +
                   level_word(notice.level) + QStringLiteral(": ");
    if (!notice.subject.empty()) line += qt_from_native_path(notice.subject) + QStringLiteral(": ");
    line += QString::fromUtf8(notice.text.data(), static_cast<qsizetype>(notice.text.size()));
    lines_.append(line);
    if (lines_.size() > kKeptLines) lines_.removeFirst();
    emit added(line, notice.level != NoticeLevel::detail);
}

NoticeLogDialog::NoticeLogDialog(const NoticeLog& log, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("noticeLogDialog"));
    setWindowTitle(QStringLiteral("ログ"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("noticeList"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->addItems(log.lines());
    list_->scrollToBottom();
    connect(&log, &NoticeLog::added, this, [this](const QString& line) {
        list_->addItem(line);
        if (list_->count() > NoticeLog::kKeptLines) delete list_->takeItem(0);
        list_->scrollToBottom();
    });
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(640, 320);
}

}  // namespace kalvento::gui
