// Lock waits end: after the limit, at a stop signal, and never on a lock
// file that someone else could tamper with.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

TEST(FileLock, AWaitTellsTheHolderGivesUpAndEndsAtAStopSignal) {
    TempDir dir;
    const std::string path = dir.file("settings.lock");
    std::string error;
    std::optional<FileLock> first = FileLock::acquire(path, error);
    ASSERT_TRUE(first) << error;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u) << "a lock file that others can open can be held by them";

    long told = -1;
    LockWait wait;
    wait.limit = 400ms;
    wait.tellAfter = 100ms;
    wait.onWaiting = [&](const std::string& lock_path, long holder) {
        EXPECT_EQ(lock_path, path);
        told = holder;
    };
    LockOutcome outcome = LockOutcome::locked;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(FileLock::acquire(path, error, wait, &outcome));
    const auto waited = Clock::now() - start;
    EXPECT_EQ(outcome, LockOutcome::busy);
    EXPECT_EQ(told, static_cast<long>(::getpid()));
    EXPECT_GE(waited, 400ms);
    EXPECT_LT(waited, 3s);
    EXPECT_NE(error.find("held by process " + std::to_string(::getpid())), std::string::npos)
        << error;

    // A process that blocks SIGTERM to take it later (a watch) stops waiting
    // at once, and the signal stays for it.
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigset_t before;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &term, &before), 0);
    ::pthread_kill(::pthread_self(), SIGTERM);
    wait.limit = 60s;
    const Clock::time_point stopped_at = Clock::now();
    EXPECT_FALSE(FileLock::acquire(path, error, wait, &outcome));
    EXPECT_EQ(outcome, LockOutcome::busy);
    EXPECT_LT(Clock::now() - stopped_at, 2s);
    const timespec no_wait{};
    EXPECT_EQ(::sigtimedwait(&term, nullptr, &no_wait), SIGTERM);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);

    first.reset();
    EXPECT_TRUE(FileLock::acquire(path, error, wait)) << error;
}

TEST(FileLock, ALockFileOfAnotherUserIsRefusedAndOursKeptPrivate) {
    TempDir dir;
    const std::string path = dir.file("journal.lock");
    ASSERT_EQ(::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0622), 0);
    std::string error;
    EXPECT_TRUE(FileLock::acquire(path, error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Only root can give a file away; the suite runs as root in CI.
    if (::geteuid() != 0) GTEST_SKIP() << "not root: a file of another user cannot be made";
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    error.clear();
    EXPECT_FALSE(FileLock::acquire(path, error));
    EXPECT_NE(error.find(path + " belongs to another user"), std::string::npos) << error;
}

}  // namespace
}  // namespace kalvento::test
