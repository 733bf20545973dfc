#include "gui/compose_runner.h"

#include <QMetaObject>

#include <utility>

namespace kalvento::gui {

ComposeRunner::ComposeRunner(QObject* parent) : QObject(parent) {
    worker_ = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
}

ComposeRunner::~ComposeRunner() {
    worker_.request_stop();
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void ComposeRunner::request(EntryId id, std::uint64_t composition, FileEntry entry,
                            NamingSettings naming, std::shared_ptr<const RuleStep> rule_step) {
    const std::uint64_t generation = composition;
    latest_[id] = generation;
    {
        std::lock_guard lock(mutex_);
        newest_[id] = generation;
        queue_.push_back(Request{.id = id,
                                 .generation = generation,
                                 .entry = std::move(entry),
                                 .naming = std::move(naming),
                                 .ruleStep = std::move(rule_step)});
    }
    wake_.notify_one();
}

std::vector<EntryId> ComposeRunner::drop_outdated(
    const std::function<std::uint64_t(EntryId)>& current) {
    std::vector<EntryId> dropped;
    for (const auto& [id, generation] : latest_) {
        if (current(id) != generation) dropped.push_back(id);
    }
    if (dropped.empty()) return dropped;
    {
        std::lock_guard lock(mutex_);
        for (const EntryId id : dropped) {
            latest_.erase(id);
            newest_.erase(id);  // not started yet: the worker skips it
        }
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (latest_.empty()) emit idle();
        },
        Qt::QueuedConnection);
    return dropped;
}

void ComposeRunner::run(std::stop_token stop) {
    while (true) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); })) return;
            request = std::move(queue_.front());
            queue_.pop_front();
            // A newer request for the same entry makes this one pointless.
            const auto newest = newest_.find(request.id);
            if (newest == newest_.end() || newest->second != request.generation) continue;
        }
        compose_entry(request.entry, request.naming,
                      request.ruleStep ? *request.ruleStep : RuleStep{});
        auto composed_entry = std::make_shared<FileEntry>(std::move(request.entry));
        QMetaObject::invokeMethod(
            this,
            [this, id = request.id, generation = request.generation, composed_entry] {
                take_result(id, generation, *composed_entry);
            },
            Qt::QueuedConnection);
    }
}

void ComposeRunner::take_result(EntryId id, std::uint64_t generation, const FileEntry& entry) {
    const auto it = latest_.find(id);
    if (it == latest_.end() || it->second != generation) return;
    latest_.erase(it);
    {
        std::lock_guard lock(mutex_);
        newest_.erase(id);
    }
    emit composed(id, entry, generation);
    if (latest_.empty()) emit idle();
}

}  // namespace kalvento::gui
