#include "schedule/page_fetch.h"

namespace kalvento {

std::optional<std::string> fetch_page(HttpClient& client, std::string_view url,
                                      const WaitPlan& plan) {
    if (!client.http_start(url)) return std::nullopt;
    using Clock = std::chrono::steady_clock;
    for (int round = 0; round < plan.rounds && client.active(); ++round) {
        if (plan.pump) plan.pump();
        if (plan.stop.stop_requested()) break;
        const auto end = Clock::now() + plan.roundLength;
        while (client.active()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() <= 0) break;
            client.poll(left);
        }
        if (client.done()) break;
    }
    if (client.active()) {
        client.http_abort();
        client.add_diagnostic(plan.stop.stop_requested()
                                  ? "asked to stop before the reply came"
                                  : "the reply did not end within the waiting time; stopped");
    }
    if (!client.done()) return std::nullopt;
    return client.response();
}

}  // namespace kalvento
