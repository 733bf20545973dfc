#include "app/app_settings.h"

#include <gtest/gtest.h>

#include "platform/profile_file.h"
#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

TEST(AppSettings, RoundTripKeepsBlanksOfSeparators) {
    TempDir dir;
    const std::string path = dir.file("kalvento.ini");
    AppSettings s;
    s.readStartPos = 0;
    s.readSize = 120;
    s.showProgress = false;
    s.filenameSetSp = {" ", "  ", "", " _ ", "\"q\""};
    s.filenameSet = {1, 26, 3, 0};
    s.columnWidths = {10, 20, 30, 40, 50, 60, 70, 80};
    s.windowX = -8;
    s.windowY = 4;
    s.windowCX = 1200;
    s.windowCY = 640;
    s.ombrixRename = false;
    s.notRename = s.gopRename = s.wildRename = s.fileDate = s.iconStart = true;
    s.scheduleBaseUrl = "http://127.0.0.1";
    {
        ProfileFile profile = ProfileFile::load(path);
        save_app_settings(profile, s);
        ASSERT_TRUE(profile.save().ok());
    }
    const AppSettings back = load_app_settings(ProfileFile::load(path));
    EXPECT_EQ(back.filenameSetSp, s.filenameSetSp);
    EXPECT_EQ(back.filenameSet, s.filenameSet);
    EXPECT_EQ(back.columnWidths, s.columnWidths);
    EXPECT_TRUE(back.readStartPos == 0 && back.readSize == 120 && back.windowX == -8 &&
                back.windowY == 4 && back.windowCX == 1200 && back.windowCY == 640);
    EXPECT_FALSE(back.showProgress || back.ombrixRename);
    EXPECT_TRUE(back.notRename && back.gopRename && back.wildRename && back.fileDate &&
                back.iconStart);
    EXPECT_EQ(back.scheduleBaseUrl, "http://127.0.0.1");

    // The file reads as Windows wrote it: quoted separators, decimal numbers,
    // keys in the order of saving.
    const std::string bytes = read_all(path);
    EXPECT_EQ(bytes.rfind("[KalventoDlg]\r\nOLDW=10\r\nNEWW=20\r\n", 0), 0u);
    EXPECT_NE(bytes.find("WindowX=-8\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("FilenameSetSp1012=\" \"\r\nFilenameSetSp1013=\"  \"\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("IconStart=1\r\nReadStartPos=0\r\nReadSize=120\r\nShowProgress=0\r\n"),
              std::string::npos);
}

TEST(AppSettings, ForeignAndDamagedValues) {
    TempDir dir;
    const std::string path = dir.file("kalvento.ini");
    // FilenameSetSp1013 unquoted, as an old file may hold it; 1014 present but empty.
    write_text(path,
               "[kalventodlg]\r\nFilenameSetSp1013=  _  \r\nFilenameSetSp1014=\r\n"
               "FilenameSet1000=27\r\nFilenameSet1001=-1\r\nFilenameSet1002=5\r\nWindowX=\r\n"
               "WindowY=abc\r\nWindowCX=\"800\"\r\nShowProgress=2\r\nReadSize=\r\n"
               "FilenameSetSp1015=\"" +
                   std::string(300, 's') + "\"\r\n");
    const AppSettings s = load_app_settings(ProfileFile::load(path));
    EXPECT_EQ(s.filenameSetSp[1], "_");
    EXPECT_EQ(s.filenameSetSp[2], "");
    EXPECT_EQ(s.filenameSetSp[3], std::string(255, 's'));
    EXPECT_EQ(s.filenameSet, (std::array<int, 4>{0, 0, 5, 0}));
    EXPECT_TRUE(s.windowX == 0 && s.windowY == 0 && s.windowCX == 800 && s.windowCY == 500);
    EXPECT_TRUE(s.showProgress);
    EXPECT_EQ(s.readSize, 50);
}

}  // namespace
}  // namespace kalvento::test
