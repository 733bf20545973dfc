#include "app/side_files.h"
#include "platform/process_places.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

// Sets or clears one environment variable for one test and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A program folder, a home and XDG folders of their own, all empty at first.
struct Places {
    TempDir dir;
    SideFileInputs inputs;
    Places() {
        fs::create_directories(dir.file("program"));
        fs::create_directories(dir.file("home"));
        inputs.executableDirectory = dir.file("program");
        inputs.home = dir.file("home");
    }
};

TEST(SideFiles, TheFirstRuleThatAppliesChoosesTheDirectory) {
    Places places;
    SideFileInputs& inputs = places.inputs;

    // 3. Nothing named, nothing beside the program: the user's folders under HOME.
    SideFiles files = choose_side_files(inputs);
    EXPECT_EQ(files.place, SideFilePlace::userFolders);
    EXPECT_EQ(files.settingsFile, places.dir.file("home/.config/kalvento/kalvento.ini"));
    EXPECT_EQ(files.channelFile, places.dir.file("home/.config/kalvento/ChSet3.txt"));
    EXPECT_EQ(files.journalDirectory, places.dir.file("home/.local/state/kalvento"));

    // ... or under the XDG directories when they are absolute; relative ones
    // are ignored, each on its own.
    inputs.configHome = places.dir.file("xdg-config") + "/";
    inputs.stateHome = "relative/state";
    files = choose_side_files(inputs);
    EXPECT_EQ(files.directory, places.dir.file("xdg-config/kalvento"));
    EXPECT_EQ(files.journalDirectory, places.dir.file("home/.local/state/kalvento"));
    inputs.configHome = "relative/config";
    inputs.stateHome = places.dir.file("xdg-state");
    files = choose_side_files(inputs);
    EXPECT_EQ(files.directory, places.dir.file("home/.config/kalvento"));
    EXPECT_EQ(files.journalDirectory, places.dir.file("xdg-state/kalvento"));
    EXPECT_FALSE(fs::exists(places.dir.file("xdg-state/kalvento")));  // chosen, not created

    // 3. ... but a systemd unit's ConfigurationDirectory= and StateDirectory= come
    // before the user's folders; the first of several, absolute ones only;
    // one alone holds both.
    inputs.configurationDirectory = "/etc/kalvento:/etc/other";
    inputs.stateDirectory = "relative";
    files = choose_side_files(inputs);
    EXPECT_EQ(files.place, SideFilePlace::serviceDirectories);
    EXPECT_EQ(files.settingsFile, "/etc/kalvento/kalvento.ini");
    EXPECT_EQ(files.journalDirectory, "/etc/kalvento");
    inputs.stateDirectory = "/var/lib/kalvento/";
    EXPECT_EQ(choose_side_files(inputs).journalDirectory, "/var/lib/kalvento");
    inputs.configurationDirectory.clear();
    files = choose_side_files(inputs);
    EXPECT_EQ(files.directory, "/var/lib/kalvento");
    EXPECT_EQ(files.journalDirectory, "/var/lib/kalvento");

    // 2. A kalvento.ini beside the program: portable use, journal included.
    // Anything else of that name is not a settings file.
    fs::create_directory(places.dir.file("program/kalvento.ini"));
    EXPECT_EQ(choose_side_files(inputs).place, SideFilePlace::serviceDirectories);
    fs::remove(places.dir.file("program/kalvento.ini"));
    write_text(places.dir.file("program/kalvento.ini"), "[KalventoDlg]\r\n");
    files = choose_side_files(inputs);
    EXPECT_EQ(files.place, SideFilePlace::besideProgram);
    EXPECT_EQ(files.settingsFile, places.dir.file("program/kalvento.ini"));
    EXPECT_EQ(files.journalDirectory, places.dir.file("program"));

    // 1. KALVENTO_DIR wins over both; a relative one is taken from here.
    inputs.namedDirectory = places.dir.file("named") + "//";
    files = choose_side_files(inputs);
    EXPECT_EQ(files.place, SideFilePlace::named);
    EXPECT_EQ(files.macroMenuFile, places.dir.file("named/kalvento.mnu"));
    EXPECT_EQ(files.journalDirectory, places.dir.file("named"));
    inputs.namedDirectory = "conf";
    EXPECT_EQ(choose_side_files(inputs).directory, (fs::current_path() / "conf").string());
    inputs.namedDirectory = "/";
    EXPECT_EQ(choose_side_files(inputs).settingsFile, "/kalvento.ini");
}

TEST(SideFiles, ReadsTheRulesFromTheEnvironment) {
    TempDir dir;
    const std::string home = dir.file("home");
    ScopedVariable scoped_home("HOME", home.c_str());
    ScopedVariable no_config("XDG_CONFIG_HOME", nullptr);
    ScopedVariable state("XDG_STATE_HOME", dir.file("state").c_str());
    {
        ScopedVariable unnamed("KALVENTO_DIR", "");
        const SideFiles files = locate_side_files(nullptr);
        EXPECT_EQ(files.place, SideFilePlace::userFolders);
        EXPECT_EQ(files.settingsFile, home + "/.config/kalvento/kalvento.ini");
        EXPECT_EQ(files.journalDirectory, dir.file("state/kalvento"));
        EXPECT_FALSE(fs::exists(home));
    }
    {
        ScopedVariable config("XDG_CONFIG_HOME", dir.file("config").c_str());
        ScopedVariable unnamed("KALVENTO_DIR", nullptr);
        EXPECT_EQ(locate_side_files(nullptr).directory, dir.file("config/kalvento"));
    }
    {
        ScopedVariable named("KALVENTO_DIR", dir.path().c_str());
        const SideFiles files = locate_side_files("ignored");
        EXPECT_EQ(files.place, SideFilePlace::named);
        EXPECT_EQ(files.settingsFile, dir.file("kalvento.ini"));
    }
    {
        // A service started without HOME still finds its account's home.
        ScopedVariable no_home("HOME", nullptr);
        ScopedVariable unnamed("KALVENTO_DIR", nullptr);
        const std::string directory = locate_side_files(nullptr).directory;
        EXPECT_TRUE(directory.starts_with("/") && directory.ends_with("/.config/kalvento"))
            << directory;
    }
    const std::string exe_dir = fs::canonical("/proc/self/exe").parent_path().string();
    EXPECT_EQ(executable_directory(nullptr), exe_dir);
}

TEST(SideFiles, CreatesTheDirectoryPrivatelyOnSaving) {
    TempDir dir;
    const std::string directory = dir.file("home/.config/kalvento");
    std::string error;
    ASSERT_TRUE(create_directory_for_saving(directory + "/", error)) << error;
    for (const std::string& made : {dir.file("home"), dir.file("home/.config"), directory}) {
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0) << made;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << made;
    }
    EXPECT_TRUE(create_directory_for_saving(directory, error)) << error;

    write_text(dir.file("file"), "x");
    EXPECT_FALSE(create_directory_for_saving(dir.file("file/kalvento"), error));
    EXPECT_NE(error.find("file/kalvento"), std::string::npos) << error;
    EXPECT_FALSE(create_directory_for_saving(dir.file("file"), error));
    EXPECT_NE(error.find("not a directory"), std::string::npos) << error;
}

TEST(SideFiles, PlacesThatCannotBeUsedAreNamedWithTheFix) {
    Places places;
    SideFileInputs& inputs = places.inputs;
    EXPECT_EQ(side_files_problem(choose_side_files(inputs), inputs), "");

    const auto problem = [&] { return side_files_problem(choose_side_files(inputs), inputs); };
    const std::string fix =
        "; set KALVENTO_DIR to a folder this account can write, or run it in a systemd unit with "
        "StateDirectory=kalvento and ConfigurationDirectory=kalvento";
    // A service account whose home does not exist, or that has none.
    inputs.home = "/nonexistent";
    EXPECT_EQ(problem(),
              "no usable place for the settings and the rename journal: the home directory "
              "/nonexistent does not exist" +
                  fix);
    inputs.home.clear();
    EXPECT_NE(problem().find(": this account has no home directory (HOME is not set)"),
              std::string::npos);
    // Absolute XDG directories need no home; a file where the journal's
    // folder would be made is no place for it.
    inputs.configHome = places.dir.file("config");
    inputs.stateHome = places.dir.file("state");
    EXPECT_EQ(problem(), "");
    write_text(places.dir.file("state"), "x");
    EXPECT_EQ(problem(),
              "no usable place for the settings and the rename journal: the rename journal "
              "cannot be kept in " +
                  places.dir.file("state/kalvento") + ": " + places.dir.file("state") +
                  " is not a directory" + fix);
    // KALVENTO_DIR and the systemd directories are checked alike; a missing
    // KALVENTO_DIR is made on the first save.
    inputs.configurationDirectory = places.dir.file("config");
    inputs.stateDirectory = places.dir.file("state");
    EXPECT_NE(problem().find("cannot be kept in " + places.dir.file("state") + ":"),
              std::string::npos);
    inputs.namedDirectory = places.dir.file("named/deeper");
    EXPECT_EQ(problem(), "");
}

}  // namespace
}  // namespace kalvento::test
