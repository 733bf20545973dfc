// Composes, on a worker thread, the names of entries whose rule asks the
// schedule service: a copy of the entry goes to the worker and the composed
// copy comes back to the UI thread, where the window stores it in the job
// list. Only the newest request for an entry counts, and only while the
// entry has not been named anew since; older ones are skipped or their
// results dropped.
#pragma once

#include "app/job_list.h"

#include <QObject>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <unordered_map>
#include <vector>

namespace kalvento::gui {

class ComposeRunner final : public QObject {
    Q_OBJECT

  public:
    explicit ComposeRunner(QObject* parent = nullptr);
    // Stops the worker; a lookup that waits gives up at its next wait round.
    ~ComposeRunner() override;

    // The stop token that the rule steps handed to `request` should watch.
    std::stop_token stop_token() const { return worker_.get_stop_token(); }

    // Composes a copy of the entry, taken at the job list's `composition` of
    // it, with these settings and rule step.
    void request(EntryId id, std::uint64_t composition, FileEntry entry, NamingSettings naming,
                 std::shared_ptr<const RuleStep> rule_step);

    // Forgets every request whose entry has been composed since it was made
    // (`current` gives the entry's composition now, 0 once it has gone): its
    // result will be dropped. The entries forgotten; `idle` follows from the
    // event loop when nothing is left.
    std::vector<EntryId> drop_outdated(const std::function<std::uint64_t(EntryId)>& current);

    // Entries whose newest request has not come back yet.
    std::size_t pending() const { return latest_.size(); }
    bool busy() const { return !latest_.empty(); }
    bool waiting_for(EntryId id) const { return latest_.count(id) != 0; }

  signals:
    void composed(kalvento::EntryId id, const kalvento::FileEntry& entry,
                  std::uint64_t composition);
    // The last pending request came back.
    void idle();

  private:
    struct Request {
        EntryId id = 0;
        std::uint64_t generation = 0;
        FileEntry entry;
        NamingSettings naming;
        std::shared_ptr<const RuleStep> ruleStep;
    };

    void run(std::stop_token stop);
    void take_result(EntryId id, std::uint64_t generation, const FileEntry& entry);

    // UI thread only: the composition each entry's newest request was made at.
    std::unordered_map<EntryId, std::uint64_t> latest_;

    // Shared with the worker.
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::deque<Request> queue_;
    std::unordered_map<EntryId, std::uint64_t> newest_;

    std::jthread worker_;  // last: started after everything it uses exists
};

}  // namespace kalvento::gui
