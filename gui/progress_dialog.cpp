#include "gui/progress_dialog.h"

#include "app/progress_text.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvento::gui {

ProgressDialog::ProgressDialog(QWidget* parent, std::function<std::int64_t()> seconds_now)
    : QDialog(parent), secondsNow_(std::move(seconds_now)) {
    if (!secondsNow_) secondsNow_ = [] { return QDateTime::currentSecsSinceEpoch(); };
    setObjectName(QStringLiteral("progressDialog"));
    setWindowTitle(QStringLiteral("番組情報の解析中"));
    setWindowModality(Qt::WindowModal);

    fileName_ = new QLabel(this);
    fileName_->setObjectName(QStringLiteral("fileName"));
    fileName_->setAlignment(Qt::AlignCenter);
    fileName_->setMinimumWidth(360);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    amounts_ = new QLabel(this);
    amounts_->setObjectName(QStringLiteral("amounts"));
    amounts_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* stop = new QPushButton(QStringLiteral("中断"), this);
    stop->setObjectName(QStringLiteral("stopButton"));
    connect(stop, &QPushButton::clicked, this, &ProgressDialog::ask_to_stop);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(amounts_, 1);
    bottom->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileName_);
    layout->addWidget(bar_);
    layout->addLayout(bottom);
}

void ProgressDialog::begin_file(const QString& file_name) {
    fileName_->setText(file_name);
    amounts_->clear();
    bar_->setValue(0);
    lastUpdate_ = -1;
}

void ProgressDialog::report(std::int64_t done_k, std::int64_t total_k) {
    const std::int64_t now = secondsNow_();
    if (now != lastUpdate_) {
        amounts_->setText(QString::fromStdString(progress_amount_text(done_k, total_k)));
        lastUpdate_ = now;
        if (total_k > 0) bar_->setValue(static_cast<int>(done_k * 100 / total_k));
    }
    if (done_k == total_k) bar_->setValue(100);
}

QString ProgressDialog::amounts_text() const {
    return amounts_->text();
}

int ProgressDialog::bar_value() const {
    return bar_->value();
}

void ProgressDialog::reject() {
    ask_to_stop();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    ask_to_stop();
}

void ProgressDialog::ask_to_stop() {
    if (question_ != nullptr) return;
    // Asked without a nested event loop; the window holds the analysis at its
    // next progress report until the answer.
    question_ = new QMessageBox(QMessageBox::Question, QStringLiteral("中断"),
                                QStringLiteral("ファイルの読み込みを中断しますか？"),
                                QMessageBox::Yes | QMessageBox::No, this);
    question_->setObjectName(QStringLiteral("stopQuestion"));
    question_->setAttribute(Qt::WA_DeleteOnClose);
    question_->setDefaultButton(QMessageBox::No);
    connect(question_, &QMessageBox::finished, this, [this](int answer) {
        question_ = nullptr;
        if (answer == QMessageBox::Yes) emit stopConfirmed();
        emit stopQuestionOpen(false);
    });
    question_->open();
    emit stopQuestionOpen(true);
}

}  // namespace kalvento::gui
