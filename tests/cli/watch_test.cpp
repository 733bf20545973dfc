// kalvento-cli watch on a real folder: a recording written in two steps is
// renamed once, after it has settled; files that vanish are survived; SIGTERM
// ends the watch cleanly.
#include "tests/cli/cli_test_util.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kalvento::test {
namespace {

using namespace std::chrono_literals;

// kalvento-cli watch started in the background, its output in files.
class Watch {
  public:
    Watch(const CliScratch& scratch, const std::string& arguments) : scratch_(scratch) {
        // English whatever the runner's locale, as CliScratch runs it.
        const std::string line =
            "exec env LANGUAGE= LC_ALL= LC_MESSAGES= LANG=C.UTF-8 KALVENTO_DIR=" +
            shell_quote(scratch.file("config")) + " " + shell_quote(KALVENTO_CLI_PATH) + " watch " +
            arguments + " >" + shell_quote(scratch.file("out.txt")) + " 2>" +
            shell_quote(scratch.file("err.txt"));
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Started once it says so.
        for (int i = 0; i < 100 && errors().find("watching") == std::string::npos; ++i)
            std::this_thread::sleep_for(20ms);
    }
    ~Watch() {
        if (pid_ > 0) stop();
    }

    std::string output() const { return read_all(scratch_.file("out.txt")); }
    std::string errors() const { return read_all(scratch_.file("err.txt")); }

    // SIGTERM; the exit code.
    int stop() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    const CliScratch& scratch_;
    pid_t pid_ = -1;
};

void append(const std::string& path, const Bytes& bytes, std::size_t from, std::size_t to) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(bytes.data() + from),
              static_cast<std::streamsize>(to - from));
}

bool wait_for(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    for (auto waited = 0ms; waited < limit; waited += 50ms) {
        if (condition()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

TEST(CliWatch, RenamesOnceSettledSurvivesVanishedFilesAndStopsOnSigterm) {
    CliScratch scratch;
    fs::create_directory(scratch.file("in"));
    const std::string in = scratch.file("in");
    Watch watch(scratch, "--settle 2 --template @TT " + shell_quote(in));
    ASSERT_NE(watch.errors().find("watching 1 folder"), std::string::npos) << watch.errors();

    const Bytes drama = small_recording({.eventName = "夜のドラマ"});
    const Bytes news = small_recording({.eventName = "ニュース", .seed = 2});
    const std::string recording = in + "/rec.ts";
    // The first half alone already holds the tables: renamed now, the rest
    // would go into a new file of the old name.
    append(recording, drama, 0, drama.size() / 2);
    append(in + "/gone.ts", news, 0, news.size());
    std::this_thread::sleep_for(500ms);
    append(recording, drama, drama.size() / 2, drama.size());
    fs::remove(in + "/gone.ts");
    // Hidden names are work files of the writer, not recordings.
    append(in + "/.partial.ts", news, 0, news.size());
    // Written elsewhere and moved in whole.
    append(scratch.file("moved.ts"), news, 0, news.size());
    fs::rename(scratch.file("moved.ts"), in + "/moved.ts");
    EXPECT_TRUE(fs::exists(recording));

    const std::string named = in + "/夜のドラマ.ts";
    ASSERT_TRUE(wait_for([&] { return fs::exists(named) && fs::exists(in + "/ニュース.ts"); }, 8s))
        << watch.output() << watch.errors();
    EXPECT_FALSE(fs::exists(recording));
    EXPECT_EQ(read_all(named), std::string(drama.begin(), drama.end()));

    // The names it gave are not taken for new recordings: after another
    // settle time still one line per file.
    std::this_thread::sleep_for(2500ms);
    const std::set<std::string> lines = [&] {
        const auto list = lines_of(watch.output());
        return std::set<std::string>(list.begin(), list.end());
    }();
    EXPECT_EQ(lines, (std::set<std::string>{recording + " -> " + named,
                                            in + "/moved.ts -> " + in + "/ニュース.ts"}))
        << watch.output();
    EXPECT_NE(watch.errors().find(in + "/gone.ts vanished before it settled"), std::string::npos)
        << watch.errors();
    EXPECT_TRUE(fs::exists(in + "/.partial.ts"));

    // A name someone else gives a handled recording (a person, an undo)
    // stands; a recording renamed by its writer before it settled is named.
    fs::rename(named, in + "/my name.ts");
    append(in + "/writing.ts", drama, 0, drama.size());
    fs::rename(in + "/writing.ts", in + "/done.ts");
    ASSERT_TRUE(wait_for([&] { return lines_of(watch.output()).size() == 3; }, 8s))
        << watch.output();
    EXPECT_NE(watch.output().find(in + "/done.ts -> " + named), std::string::npos)
        << watch.output();
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(fs::exists(in + "/my name.ts"));
    EXPECT_EQ(lines_of(watch.output()).size(), 3u) << watch.output();

    // One batch per file renamed, labelled as the watch's; a recording that
    // arrives already named leaves none.
    const Bytes weather = small_recording({.eventName = "天気", .seed = 3});
    append(in + "/天気.ts", weather, 0, weather.size());
    ASSERT_TRUE(wait_for([&] { return lines_of(watch.output()).size() == 4; }, 8s))
        << watch.output();
    EXPECT_NE(watch.output().find("天気.ts: unchanged"), std::string::npos) << watch.output();
    const std::vector<json> history = json_lines(scratch.run({"history", "--json", "-n", "100"}));
    EXPECT_EQ(history.size(), 3u);
    for (const json& batch : history) {
        EXPECT_EQ(batch["frontEnd"], "watch") << batch;
        EXPECT_EQ(batch["files"], 1) << batch;
    }

    EXPECT_EQ(watch.stop(), 0);
    EXPECT_NE(watch.errors().find("watch ended"), std::string::npos);
}

TEST(CliWatch, AFileLeftForTheScheduleServiceIsTriedAgainLater) {
    CliScratch scratch;
    scratch.write_ini("[KalventoDlg]\nOmbrixRename=1\nScheduleBaseUrl=" + unreachable_base_url() +
                      "\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\nFindText=夜\n"
                      "FindType=1\nRenameText=@TT #@NB\nSyoboFind=@TT\nSyoboNB=1\n");
    fs::create_directory(scratch.file("in"));
    Watch watch(scratch, "--settle 0.2 --json " + shell_quote(scratch.file("in")));
    const Bytes drama = small_recording({.eventName = "夜のドラマ"});
    append(scratch.file("in/rec.ts"), drama, 0, drama.size());

    ASSERT_TRUE(
        wait_for([&] { return watch.errors().find("tried again") != std::string::npos; }, 5s))
        << watch.errors();
    EXPECT_NE(watch.errors().find(scratch.file("in/rec.ts") + ": tried again in 5 minutes"),
              std::string::npos);
    EXPECT_NE(watch.output().find("\"status\":\"scheduleUnreachable\""), std::string::npos)
        << watch.output();
    EXPECT_TRUE(fs::exists(scratch.file("in/rec.ts")));
    EXPECT_EQ(watch.stop(), 0);
}

// A rule that asks the schedule service about 夜 programmes; items
// otherwise.
std::string schedule_rule_settings(const std::string& base_url) {
    std::string ini = "[KalventoDlg]\n";
    for (const std::string& line : kNameAndDate)
        if (!line.starts_with("OmbrixRename=")) ini += line + "\n";
    return ini + "OmbrixRename=1\nScheduleBaseUrl=" + base_url +
           "\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\nFindText=夜\n"
           "FindType=1\nRenameText=@TT #@NB\nSyoboFind=@TT\nSyoboNB=1\n";
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(CliWatch, AnOutageCostsOneTryAndAStopEndsTheWaitForTheService) {
    {
        // A closed port: the first recording finds the service down, and the
        // others of the cycle are left at once without asking again.
        CliScratch scratch;
        scratch.write_ini(schedule_rule_settings(unreachable_base_url()));
        fs::create_directory(scratch.file("in"));
        Watch watch(scratch, "--settle 0.3 -v " + shell_quote(scratch.file("in")));
        for (std::uint32_t i = 0; i < 4; ++i)
            write_drama(scratch.file("in/rec" + std::to_string(i) + ".ts"), i + 1);
        ASSERT_TRUE(wait_for([&] { return count_of(watch.errors(), "tried again in") == 4; }, 8s))
            << watch.errors();
        EXPECT_EQ(count_of(watch.errors(), "schedule: http://"), 1u) << watch.errors();
        EXPECT_EQ(count_of(watch.errors(), "not asked: the service could not be reached"), 3u)
            << watch.errors();
        EXPECT_EQ(names_in(scratch.file("in")).size(), 4u);
        EXPECT_EQ(watch.stop(), 0);
    }
    // A service that takes the request and never answers: SIGTERM ends the
    // wait at once, and the recording stays as it was.
    LocalHttpServer silent(
        [](const std::string&) { return CannedReply{.bytes = "", .keepOpen = true}; });
    CliScratch scratch;
    scratch.write_ini(schedule_rule_settings(silent.base_url()));
    fs::create_directory(scratch.file("in"));
    Watch watch(scratch, "--settle 0.2 " + shell_quote(scratch.file("in")));
    write_drama(scratch.file("in/rec.ts"));
    ASSERT_TRUE(wait_for([&] { return silent.request_count() == 1; }, 5s)) << watch.errors();
    const auto asked_to_stop = std::chrono::steady_clock::now();
    EXPECT_EQ(watch.stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked_to_stop, 3s);
    EXPECT_EQ(names_in(scratch.file("in")), std::set<std::string>{"rec.ts"});
    EXPECT_EQ(watch.output(), "");
    EXPECT_NE(watch.errors().find("watch ended"), std::string::npos) << watch.errors();
}

TEST(CliWatch, AfterLostEventsOnlyWhatCameSinceTheStartIsNamed) {
    // A real overflow of the event queue: the watch is held in a schedule
    // lookup while more events arrive than the queue takes.
    std::size_t queue_limit = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queue_limit;
    if (queue_limit == 0 || queue_limit > 100000) GTEST_SKIP() << "queue limit " << queue_limit;
    std::atomic<bool> asked{false};
    std::atomic<bool> answer{false};
    LocalHttpServer held([&](const std::string&) {
        asked = true;
        for (int i = 0; i < 300 && !answer; ++i) std::this_thread::sleep_for(50ms);
        return CannedReply{http_reply("")};
    });
    CliScratch scratch;
    scratch.write_ini(schedule_rule_settings(held.base_url()));
    const std::string in = scratch.file("in");
    fs::create_directory(in);
    write_drama(in + "/old.ts", 1, "古い番組");
    Watch watch(scratch, "--settle 0.2 " + shell_quote(in));
    write_drama(in + "/trigger.ts", 2);
    ASSERT_TRUE(wait_for([&] { return asked.load(); }, 5s)) << watch.errors();
    // Closing a file opened for writing is an event; two files in turn, since
    // the system merges an event with the same one just before it.
    write_text(in + "/a.dat", "a");
    write_text(in + "/b.dat", "b");
    for (std::size_t i = 0; i <= queue_limit; ++i)
        ::close(::open((in + (i % 2 == 0 ? "/a.dat" : "/b.dat")).c_str(), O_WRONLY));
    write_drama(in + "/new.ts", 3, "ニュース");
    answer = true;

    const std::string named = in + "/ニュース 20240407(日).ts";
    ASSERT_TRUE(wait_for([&] { return fs::exists(named); }, 10s))
        << watch.output() << watch.errors();
    EXPECT_NE(watch.errors().find("events were lost"), std::string::npos) << watch.errors();
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(fs::exists(in + "/old.ts")) << watch.output();
    EXPECT_EQ(lines_of(watch.output()).size(), 2u) << watch.output();
    EXPECT_EQ(watch.stop(), 0);
}

TEST(CliWatch, AFileWhoseJournalLineCannotBeWrittenIsTriedAgainLater) {
    CliScratch scratch;
    // Something that cannot be appended to stands where the journal goes.
    fs::create_directory(scratch.file("config/journal.jsonl"));
    fs::create_directory(scratch.file("in"));
    Watch watch(scratch, "--settle 0.2 --template @TT " + shell_quote(scratch.file("in")));
    write_drama(scratch.file("in/rec.ts"));
    ASSERT_TRUE(
        wait_for([&] { return watch.errors().find("tried again") != std::string::npos; }, 5s))
        << watch.output() << watch.errors();
    EXPECT_NE(watch.errors().find(scratch.file("in/rec.ts") + ": tried again in 5 minutes"),
              std::string::npos);
    EXPECT_NE(watch.output().find(scratch.file("in/rec.ts") +
                                  ": not renamed: the rename journal cannot be written: "),
              std::string::npos)
        << watch.output();
    EXPECT_EQ(count_of(watch.output(), "not renamed"), 1u) << watch.output();
    EXPECT_EQ(names_in(scratch.file("in")), std::set<std::string>{"rec.ts"});
    EXPECT_EQ(watch.stop(), 0);
}

}  // namespace
}  // namespace kalvento::test
