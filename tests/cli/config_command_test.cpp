#include "cli_test_util.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

// Runs a shell command line; standard output and the exit code.
CliRun run_line(const std::string& line) {
    CliRun result;
    FILE* pipe = ::popen((line + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// kalvento-cli (or `program`) in an otherwise empty environment: a new user
// with only HOME and the variables given.
std::string fresh_user(const std::string& home, const std::string& variables,
                       const std::string& program = KALVENTO_CLI_PATH) {
    return "env -i HOME=" + shell_quote(home) + " " + variables + " " + shell_quote(program);
}

TEST(CliConfig, PathsOfANewUserAndTheFirstSave) {
    TempDir dir;
    const std::string home = dir.file("home");
    const CliRun paths = run_line(fresh_user(home, "") + " config path");
    EXPECT_EQ(paths.exitCode, 0);
    EXPECT_EQ(paths.output, "settings:       " + home + "/.config/kalvento/kalvento.ini\n" +
                                "macro menu:     " + home + "/.config/kalvento/kalvento.mnu\n" +
                                "channels:       " + home + "/.config/kalvento/ChSet3.txt\n" +
                                "rule exchange:  " + home +
                                "/.config/kalvento/KalventoOmbrix.txt\n" +
                                "journal:        " + home + "/.local/state/kalvento\n" +
                                "chosen by:      the user's folders (XDG_CONFIG_HOME, "
                                "XDG_STATE_HOME)\n");

    // Reading makes nothing; the first save makes the folder, private.
    const std::string xdg = "XDG_CONFIG_HOME=" + shell_quote(dir.file("config"));
    EXPECT_EQ(run_line(fresh_user(home, xdg) + " rules list").exitCode, 0);
    EXPECT_FALSE(fs::exists(dir.file("config")));
    EXPECT_FALSE(fs::exists(home));
    write_text(dir.file("rules.txt"), "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n");
    const CliRun imported =
        run_line(fresh_user(home, xdg) + " rules import " + shell_quote(dir.file("rules.txt")));
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.output, "1 rule added\n");
    EXPECT_NE(read_all(dir.file("config/kalvento/kalvento.ini")).find("[OmbrixReName]"),
              std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("config/kalvento").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(CliConfig, PortableCopyAndNamedDirectory) {
    TempDir dir;
    const std::string home = dir.file("home");
    fs::create_directory(dir.file("program"));
    const std::string copy = dir.file("program/kalvento-cli");
    fs::copy_file(KALVENTO_CLI_PATH, copy);
    const std::string state = "XDG_STATE_HOME=" + shell_quote(dir.file("state"));

    // A copy without kalvento.ini beside it is an installed one.
    EXPECT_NE(run_line(fresh_user(home, state, copy) + " config path")
                  .output.find("journal:        " + dir.file("state/kalvento") + "\n"),
              std::string::npos);

    write_text(dir.file("program/kalvento.ini"), "[KalventoDlg]\r\n");
    const CliRun portable = run_line(fresh_user(home, state, copy) + " config path");
    EXPECT_EQ(portable.exitCode, 0);
    const std::vector<std::string> lines = lines_of(portable.output);
    ASSERT_EQ(lines.size(), 6u) << portable.output;
    EXPECT_EQ(lines[0], "settings:       " + dir.file("program/kalvento.ini"));
    EXPECT_EQ(lines[4], "journal:        " + dir.file("program"));
    EXPECT_EQ(lines[5], "chosen by:      kalvento.ini beside the program (portable use)");

    const CliRun named =
        run_line(fresh_user(home, state + " KALVENTO_DIR=" + shell_quote(dir.file("named")), copy) +
                 " config path");
    EXPECT_EQ(lines_of(named.output).at(3),
              "rule exchange:  " + dir.file("named/KalventoOmbrix.txt"));
    EXPECT_EQ(lines_of(named.output).at(5), "chosen by:      KALVENTO_DIR");
}

}  // namespace
}  // namespace kalvento::test
