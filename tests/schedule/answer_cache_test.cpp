// The schedule service is asked gently: answers are kept on disk for a day and
// requests keep a second apart.
#include "schedule/schedule_query.h"

#include "tests/schedule/schedule_test_util.h"
#include "tests/support/local_http_server.h"
#include "text/text_edit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <mutex>
#include <vector>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

// Every search finds its broadcast; a search for "Gone" gets it on an error page.
CannedReply answer(const std::string& request) {
    const std::string page =
        result_page(result_line("2010/01/05(火)", "19:30-20:00", "Title #4 Sub", "BS11"));
    return CannedReply{
        http_reply(page, request.find("kw=" + url_encode("Gone")) != std::string::npos
                             ? "503 Service Unavailable"
                             : "200 OK")};
}

ScheduleQuery query_for(const std::string& word) {
    ScheduleQuery query;
    query.word = word;
    query.day = "2010-01-05";
    query.startTime = local_seconds(2010, 1, 5, 19, 30);
    return query;
}

AnswerCache cache_in(const std::string& directory, std::size_t max_entries = kAnswerCacheEntries) {
    AnswerCache cache;
    cache.directory = directory;
    cache.maxEntries = max_entries;
    return cache;
}

struct CachedRuns {
    std::string baseUrl;
    AnswerCache cache;
    std::int64_t clock = local_seconds(2010, 1, 6, 12, 0);

    // One run of the program: a session of its own, asking about `word`.
    ScheduleStatus ask(const std::string& word) {
        ScheduleService service;
        service.baseUrl = baseUrl;
        service.requestGap = std::chrono::milliseconds(0);
        service.cache = cache;
        service.cache.now = [this] { return clock; };
        ScheduleSession session(service);
        return find_broadcast(session, query_for(word)).status;
    }

    std::vector<fs::path> files() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(cache.directory)) found.push_back(entry);
        return found;
    }
};

unsigned permissions(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST(ScheduleCache, AGoodAnswerIsKeptPrivatelyForADay) {
    TempDir dir;
    LocalHttpServer server(answer);
    CachedRuns runs{.baseUrl = server.base_url(), .cache = cache_in(dir.file("state/cache"))};

    EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    runs.clock += 24 * 3600 - 1;
    EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    EXPECT_EQ(server.request_count(), 1u);
    ASSERT_EQ(runs.files().size(), 1u);
    EXPECT_EQ(permissions(runs.files()[0]), 0600u);
    EXPECT_EQ(permissions(runs.cache.directory), 0700u);

    // A day after it was kept the answer is asked for again, and kept anew.
    runs.clock += 1;
    EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    EXPECT_EQ(server.request_count(), 2u);

    // An error page is used but not kept.
    EXPECT_EQ(runs.ask("Gone"), ScheduleStatus::found);
    EXPECT_EQ(runs.ask("Gone"), ScheduleStatus::found);
    EXPECT_EQ(server.request_count(), 4u);

    // A damaged or foreign file is no answer; the next good one replaces it.
    const fs::path kept = runs.files().at(0);
    for (const std::string& damaged : {read_all(kept).substr(0, 60), std::string("\x89PNG\r\n"),
                                       std::string("KalventoScheduleAnswer 1\n9\n\n0\n")}) {
        write_text(kept, damaged);
        EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    }
    EXPECT_EQ(server.request_count(), 7u);
    EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    EXPECT_EQ(server.request_count(), 7u);

    // A cache that cannot be written leaves the lookups as they were.
    TempDir other;
    write_text(other.file("taken"), "");
    runs.cache.directory = other.file("taken/cache");
    EXPECT_EQ(runs.ask("Title"), ScheduleStatus::found);
    EXPECT_EQ(server.request_count(), 8u);
}

TEST(ScheduleCache, TheOldestAnswersGoWhenTheCacheIsFull) {
    TempDir dir;
    LocalHttpServer server(answer);
    CachedRuns runs{.baseUrl = server.base_url(), .cache = cache_in(dir.path(), 2)};
    write_text(dir.file("notes.txt"), "not ours");
    for (const char* word : {"A", "B", "C"}) {
        EXPECT_EQ(runs.ask(word), ScheduleStatus::found);
        ++runs.clock;
    }
    EXPECT_EQ(runs.files().size(), 3u);  // two answers and the foreign file
    runs.ask("C");
    runs.ask("B");
    EXPECT_EQ(server.request_count(), 3u);
    runs.ask("A");
    EXPECT_EQ(server.request_count(), 4u);

    // The size bound: one answer fills the cache.
    runs.cache.maxBytes =
        fs::file_size(runs.files()[0] == dir.file("notes.txt") ? runs.files()[1]
                                                               : runs.files()[0]) +
        10;
    runs.ask("D");
    EXPECT_EQ(runs.files().size(), 2u);
    runs.ask("D");
    EXPECT_EQ(server.request_count(), 5u);
    EXPECT_EQ(read_all(dir.file("notes.txt")), "not ours");
}

TEST(SchedulePacing, RequestsStartASecondApartAndTheWaitIsShown) {
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> arrivals;
    LocalHttpServer server([&](const std::string& request) {
        const std::lock_guard lock(mutex);
        arrivals.push_back(std::chrono::steady_clock::now());
        return answer(request);
    });
    ScheduleService service;
    service.baseUrl = server.base_url();
    std::vector<ScheduleWaitKind> waits;
    service.waiting = [&](const ScheduleWait& wait) {
        if (waits.empty() || waits.back() != wait.kind) waits.push_back(wait.kind);
        if (wait.kind == ScheduleWaitKind::turn) {
            EXPECT_LE(wait.waited, wait.limit);
        }
    };
    ScheduleSession session(service);
    find_broadcast(session, query_for("A"));
    waits.clear();
    find_broadcast(session, query_for("B"));

    const std::lock_guard lock(mutex);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_GE(arrivals[1] - arrivals[0], std::chrono::milliseconds(900));
    EXPECT_EQ(waits, (std::vector{ScheduleWaitKind::turn, ScheduleWaitKind::answer,
                                  ScheduleWaitKind::over}));
}

}  // namespace
}  // namespace kalvento::test
