#include "app/side_files.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kalvento {
namespace {

// Sets or clears KALVENTO_DIR for one test and puts the old value back.
struct ScopedSideFileDir {
    explicit ScopedSideFileDir(const char* value) : old(std::getenv("KALVENTO_DIR")) {
        if (old) saved = old;
        value ? ::setenv("KALVENTO_DIR", value, 1) : ::unsetenv("KALVENTO_DIR");
    }
    ~ScopedSideFileDir() {
        old ? ::setenv("KALVENTO_DIR", saved.c_str(), 1) : ::unsetenv("KALVENTO_DIR");
    }
    const char* old;
    std::string saved;
};

TEST(SideFiles, NamesInOneDirectory) {
    const SideFiles files = side_files_in("/opt/kalvento/");
    EXPECT_EQ(files.directory + "|" + files.macroMenuFile + "|" + files.ruleExchangeFile,
              "/opt/kalvento|/opt/kalvento/kalvento.mnu|/opt/kalvento/KalventoOmbrix.txt");
    EXPECT_EQ(side_files_in("/").settingsFile, "/kalvento.ini");
}

TEST(SideFiles, EnvironmentOverridesTheExecutableDirectory) {
    test::TempDir dir;
    const std::string exe_dir = std::filesystem::canonical("/proc/self/exe").parent_path().string();
    EXPECT_EQ(executable_directory(nullptr), exe_dir);
    {
        ScopedSideFileDir scoped(dir.path().c_str());
        EXPECT_EQ(locate_side_files("ignored").settingsFile, dir.file("kalvento.ini"));
    }
    {
        ScopedSideFileDir scoped("");
        EXPECT_EQ(locate_side_files(nullptr).directory, exe_dir);
    }
    {
        ScopedSideFileDir scoped(nullptr);
        EXPECT_EQ(locate_side_files(nullptr).channelFile, exe_dir + "/ChSet3.txt");
    }
}

}  // namespace
}  // namespace kalvento
