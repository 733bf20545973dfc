// What long operations have to say besides their result: the requests and
// misses of schedule lookups, patterns that could not be used, a file that
// could not be read, a record that could not be finished. The caller passes
// one sink in; the command line prints what it receives on standard error,
// the window shows it in its status bar and its log. A sink may be called
// from the worker thread the operation runs on.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace kalvento {

enum class NoticeLevel {
    detail,   // how the work went (a request sent, why a lookup found nothing)
    warning,  // something was passed over; the work went on
    error,    // something the user asked for was not done
};

struct Notice {
    NoticeLevel level = NoticeLevel::warning;
    std::string source;   // what speaks: "analysis", "schedule", "rules", "journal", ...
    std::string subject;  // the native path of the file it is about, or empty
    std::string text;     // UTF-8, for people
};

class NoticeSink {
  public:
    NoticeSink() = default;
    explicit NoticeSink(std::function<void(const Notice&)> receive)
        : receive_(std::move(receive)) {}

    // Nothing happens without a receiver.
    void operator()(const Notice& notice) const {
        if (receive_) receive_(notice);
    }
    explicit operator bool() const { return static_cast<bool>(receive_); }

  private:
    std::function<void(const Notice&)> receive_;
};

}  // namespace kalvento
