// Asking the broadcast schedule service about one broadcast: the request for
// a plain query record, the fetch of the result page and the choice of the
// broadcast's row. What the rules make of the answer is theirs.
#pragma once

#include "platform/notice.h"
#include "schedule/answer_cache.h"
#include "schedule/http_client.h"
#include "schedule/page_fetch.h"
#include "schedule/request_pacer.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace kalvento {

inline constexpr std::string_view kDefaultScheduleBaseUrl = "http://cal.syoboi.jp";
// Longest request address that is sent; a longer search is not made.
inline constexpr std::size_t kSearchAddressLimit = 4095;

// What a lookup is waiting for, for a waiting line.
enum class ScheduleWaitKind {
    turn,    // the gap after the previous request to the service
    answer,  // the service's answer
    over,    // the wait has ended (the line can go)
};

struct ScheduleWait {
    ScheduleWaitKind kind = ScheduleWaitKind::over;
    std::chrono::milliseconds waited{0};  // so far
    std::chrono::milliseconds limit{0};   // when an answer is given up
};

struct ScheduleService {
    std::string baseUrl{kDefaultScheduleBaseUrl};  // scheme and host, optionally port and path
    int waitRounds = kDefaultWaitRounds;
    std::chrono::milliseconds roundLength = kDefaultRoundLength;
    std::chrono::milliseconds requestGap = kRequestGap;  // from one request's start to the next
    std::function<void()> pump;  // run once per wait round; none on the command line
    // Told at every wait round what is waited for, and once when the wait is over.
    std::function<void(const ScheduleWait&)> waiting;
    AnswerCache cache;        // answers kept on disk; none when it names no folder
    std::stop_token stop;     // ends a wait at once; a stopped lookup is no outage
    std::string extraCaFile;  // PEM certificates trusted besides the system's (tests)
    // Told, as details from "schedule", what a verbose log shows: addresses
    // asked for and why a lookup found nothing.
    NoticeSink notices;
};

// That the service could not be reached (no connection, no answer in time):
// later lookups fail at once instead of waiting again for a service that is
// down. A run keeps it for the run; a watch shares one among its runs and
// believes in the outage until its retry time (`hold`).
class ScheduleOutage {
  public:
    using Clock = std::chrono::steady_clock;
    explicit ScheduleOutage(Clock::duration hold = Clock::duration::max()) : hold_(hold) {}

    bool ongoing() const { return began_ && Clock::now() - *began_ < hold_; }
    void begin() { began_ = Clock::now(); }

  private:
    Clock::duration hold_;
    std::optional<Clock::time_point> began_;
};

// The service and the one connection that all lookups share, so that a lookup
// started while another waits is refused rather than run twice.
struct ScheduleSession {
    explicit ScheduleSession(ScheduleService config,
                             std::shared_ptr<ScheduleOutage> known_outage = nullptr)
        : service(std::move(config)),
          client(service.extraCaFile),
          outage(known_outage ? std::move(known_outage) : std::make_shared<ScheduleOutage>()) {}
    ScheduleService service;
    HttpClient client;
    // Begun by the first fetch that could not be made.
    std::shared_ptr<ScheduleOutage> outage;
    int unreachableLookups = 0;  // lookups that could not reach the service
};

// One search, its texts expanded and cleaned (code page 932).
struct ScheduleQuery {
    std::string word;      // kw: the title searched for
    std::string channel;   // ch
    std::string subtitle;  // st: when given, the first row is the broadcast
    std::string day;       // the broadcast day, "yyyy-mm-dd"
    std::int64_t startTime = 0;
};

enum class ScheduleStatus {
    found,
    notFound,     // the page came but holds no row for the broadcast
    notAsked,     // nothing to search for, or the address would be too long
    unreachable,  // the page could not be fetched
};

// The chosen row's texts.
struct ScheduleRow {
    std::string line;      // the page line
    std::string linkText;  // "Title #3 Subtitle"
    std::string cell;      // the channel cell
    std::string span;
};

struct ScheduleAnswer {
    ScheduleStatus status = ScheduleStatus::notAsked;
    ScheduleRow row;  // found
};

// Fetches the result page of the query and chooses the broadcast's row.
ScheduleAnswer find_broadcast(ScheduleSession& session, const ScheduleQuery& query);

// For a row that stands for several episodes: the subtitles of the single
// episodes `numbers` ("#3,#5") of `title`, from a search for `word` over
// every broadcast up to `day`. nullopt when the page could not be had or held
// no rows.
std::optional<std::string> find_episode_subtitles(ScheduleSession& session, std::string_view word,
                                                  std::string_view title, std::string_view numbers,
                                                  std::string_view day);

// "2010-01-05" -> "2010%2F01%2F05".
std::string encode_search_date(std::string_view date_iso);

}  // namespace kalvento
