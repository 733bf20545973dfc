// kalvento-cli watch on a real folder: a recording written in two steps is
// renamed once, after it has settled; files that vanish are survived; SIGTERM
// ends the watch cleanly.
#include "tests/cli/cli_test_util.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace kalvento::test {
namespace {

using namespace std::chrono_literals;

// kalvento-cli watch started in the background, its output in files.
class Watch {
  public:
    Watch(const CliScratch& scratch, const std::string& arguments) : scratch_(scratch) {
        const std::string line = "exec env KALVENTO_DIR=" + shell_quote(scratch.file("config")) +
                                 " " + shell_quote(KALVENTO_CLI_PATH) + " watch " + arguments +
                                 " >" + shell_quote(scratch.file("out.txt")) + " 2>" +
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

}  // namespace
}  // namespace kalvento::test
