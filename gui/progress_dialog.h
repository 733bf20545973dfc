// "番組情報の解析中": the file being analysed, a bar and the amounts read,
// and 中断, which asks before it stops the analysis. The dialog only shows
// what the analysis worker reports and passes the user's stop on; the window
// closes it when the worker is done.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QLabel;
class QMessageBox;
class QProgressBar;

namespace kalvento::gui {

class ProgressDialog final : public QDialog {
    Q_OBJECT

  public:
    // `seconds_now` gives the current time in whole seconds (the amounts are
    // written at most once per second); the system clock when empty.
    explicit ProgressDialog(QWidget* parent = nullptr,
                            std::function<std::int64_t()> seconds_now = {});

    // A new file: its name, the bar at 0, no amounts yet.
    void begin_file(const QString& file_name);
    // Amounts in units of 1,000 bytes.
    void report(std::int64_t done_k, std::int64_t total_k);

    QString amounts_text() const;
    int bar_value() const;

  signals:
    // The question to stop opened (true) or was answered (false); the
    // analysis is held meanwhile.
    void stopQuestionOpen(bool open);
    // The user confirmed the question to stop.
    void stopConfirmed();

  protected:
    void reject() override;  // Esc, the close box and 中断 ask first
    void closeEvent(QCloseEvent* event) override;

  private:
    void ask_to_stop();

    std::function<std::int64_t()> secondsNow_;
    std::int64_t lastUpdate_ = -1;
    QLabel* fileName_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* amounts_ = nullptr;
    QMessageBox* question_ = nullptr;
};

}  // namespace kalvento::gui
