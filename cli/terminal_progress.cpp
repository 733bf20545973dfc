#include "cli/terminal_progress.h"

#include "platform/file_io.h"

#include <cstdio>

namespace kalvento::cli {
namespace {
constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}  // namespace

TerminalProgress::TerminalProgress() : enabled_(stderr_is_terminal()) {}

void TerminalProgress::begin(const std::string& label) {
    label_ = label;
    started_ = std::chrono::steady_clock::now();
    lastDrawn_ = {};
    shown_ = false;
}

void TerminalProgress::update(std::int64_t done_k, std::int64_t total_k) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < kQuietStart || now - lastDrawn_ < kRedrawInterval) return;
    lastDrawn_ = now;
    shown_ = true;
    const int percent = total_k > 0 ? static_cast<int>(done_k * 100 / total_k) : 0;
    std::fprintf(stderr, "\r\033[K%s: %lld/%lld MB (%d%%)", label_.c_str(),
                 static_cast<long long>(done_k / 1000), static_cast<long long>(total_k / 1000),
                 percent);
    std::fflush(stderr);
}

void TerminalProgress::show(const std::string& text) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && (text == lastText_ || now - lastDrawn_ < kRedrawInterval)) return;
    lastDrawn_ = now;
    shown_ = true;
    lastText_ = text;
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
}

void TerminalProgress::end() {
    if (shown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }
    shown_ = false;
}

}  // namespace kalvento::cli
