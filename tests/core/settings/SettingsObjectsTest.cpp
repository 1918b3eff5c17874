#include <gtest/gtest.h>

#include <random>

#include "settings/ChimeSettings.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ExportSettings.h"
#include "settings/ModeFiles.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CTestRuntime;
using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

TEST(EnvironmentSettings, MissingFileGivesDefaultsSilently) {
    CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    EXPECT_EQ(settings->GetDayChangeHour(), 0);
    EXPECT_EQ(settings->GetSwitchHour(), 14);
    EXPECT_EQ(settings->GetIdFilePath(), (t.dir / "Register.txt").string());
    EXPECT_EQ(settings->GetWorkFilePath(), (t.dir / "KINTAI.dat").string());
    EXPECT_EQ(settings->GetBackupPath(), (t.dir / "KINTAI.dat.bak").string());
    EXPECT_FALSE(settings->IsBackupChecked());
    EXPECT_TRUE(t.sink->messages.empty());
}

TEST(EnvironmentSettings, SavedDefaultsMatchTheWorkedExampleByteForByte) {
    CTestRuntime t;
    ASSERT_TRUE(CreateConfig(t.runtime)->SaveSettings());
    std::string folder = t.dir.Path().string() + "/";
    std::string expected = Sjis(
        "Stampwell設定,2\r\n日付更新時刻,0\r\n出退社切換え時刻,14\r\n"
        "ＩＤファイルパス," +
        folder +
        "Register.txt\r\n"
        "勤務ファイルパス," +
        folder +
        "KINTAI.dat\r\n"
        "バックアップパス," +
        folder + "KINTAI.dat.bak\r\n");
    std::string written = ReadBytes(t.dir / "Setting.txt");
    // The six lines come first, byte for byte; the backup switch follows them.
    EXPECT_EQ(written.substr(0, expected.size()), expected);
    EXPECT_EQ(written.substr(expected.size()), Sjis("バックアップ,0\r\n"));
}

TEST(EnvironmentSettings, RoundTripsEveryValueIncludingTheBackupSwitch) {
    CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    settings->SetDayChangeHour(5);
    settings->SetSwitchHour(13);
    settings->SetWorkFilePath("/srv/勤務/KINTAI.dat");
    settings->SetBackupChecked(true);
    ASSERT_TRUE(settings->SaveSettings());
    auto again = CreateConfig(t.runtime);
    EXPECT_EQ(again->GetDayChangeHour(), 5);
    EXPECT_EQ(again->GetSwitchHour(), 13);
    EXPECT_EQ(again->GetWorkFilePath(), "/srv/勤務/KINTAI.dat");
    EXPECT_TRUE(again->IsBackupChecked());
}

TEST(EnvironmentSettings, APathThatCannotBeStoredIsRefusedAndTheFileKept) {
    CTestRuntime t;
    ASSERT_TRUE(CreateConfig(t.runtime)->SaveSettings());
    std::string before = ReadBytes(t.dir / "Setting.txt");
    auto settings = CreateConfig(t.runtime);
    settings->SetIdFilePath("/a,b/Register.txt");
    EXPECT_FALSE(settings->SaveSettings());
    EXPECT_EQ(ReadBytes(t.dir / "Setting.txt"), before);
}

TEST(EnvironmentSettings, AWrongSecondNameWarnsForEveryLaterItemAndKeepsDefaults) {
    CTestRuntime t;
    WriteBytes(t.dir / "Setting.txt",
               Sjis("Stampwell設定,2\r\n日付X,5\r\n出退社切換え時刻,9\r\nＩＤファイルパス,/x\r\n"
                    "勤務ファイルパス,/y\r\nバックアップパス,/z\r\n"));
    auto settings = CreateConfig(t.runtime);
    EXPECT_EQ(settings->GetDayChangeHour(), 0);
    EXPECT_EQ(settings->GetSwitchHour(), 14);
    EXPECT_EQ(settings->GetIdFilePath(), (t.dir / "Register.txt").string());
    ASSERT_GE(t.sink->messages.size(), 5u);
    EXPECT_EQ(t.sink->messages[0], "ファイルの項目名が異なります。日付更新時刻");
    EXPECT_EQ(t.sink->messages[1], "ファイルの項目名が異なります。出退社切換え時刻");
    EXPECT_EQ(t.sink->messages[4], "ファイルの項目名が異なります。バックアップパス");
}

TEST(EnvironmentSettings, SurvivesRandomBytesAndOldSixLineFiles) {
    CTestRuntime t;
    std::mt19937 random(42);
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>(random() & 0xFF);
    WriteBytes(t.dir / "Setting.txt", noise);
    auto settings = CreateConfig(t.runtime);
    // Nothing out of its range is ever used, whatever the file holds.
    EXPECT_GE(settings->GetDayChangeHour(), 0);
    EXPECT_LE(settings->GetDayChangeHour(), 12);
    EXPECT_GE(settings->GetSwitchHour(), 0);
    EXPECT_LE(settings->GetSwitchHour(), 23);

    t.sink->messages.clear();
    WriteBytes(t.dir / "Setting.txt",
               Sjis("Stampwell設定,2\n日付更新時刻,3\n出退社切換え時刻,12\nＩＤファイルパス,/r\n"
                    "勤務ファイルパス,/w\nバックアップパス,/b\n"));
    auto old = CreateConfig(t.runtime);
    EXPECT_EQ(old->GetDayChangeHour(), 3);
    EXPECT_EQ(old->GetBackupPath(), "/b");
    EXPECT_FALSE(old->IsBackupChecked());
    EXPECT_TRUE(t.sink->messages.empty());
}

TEST(ChimeSettings, SkipsEmptyPlacesAndWritesTwentyValues) {
    CTestRuntime t;
    WriteBytes(t.dir / "Setting2.txt",
               Sjis("チャイム,,,45000,,,,32400,,,,,,,,,,,,,\r\nチャイム使用,1\r\n"));
    auto chime = CreateChimeSettings(t.runtime);
    EXPECT_EQ(chime->GetChimeTimes(), (std::vector<std::int64_t>{45000, 32400}));
    EXPECT_TRUE(chime->IsChimeEnabled());

    CChimeSettings fresh(t.runtime);
    EXPECT_EQ(fresh.AddTime(45000), EChimeAddResult::Added);
    EXPECT_EQ(fresh.AddTime(32400), EChimeAddResult::Added);
    EXPECT_EQ(fresh.AddTime(32400), EChimeAddResult::Duplicate);
    fresh.SetChimeEnabled(true);
    ASSERT_TRUE(fresh.SaveSettings());
    EXPECT_EQ(ReadBytes(t.dir / "Setting2.txt"),
              Sjis("チャイム,32400,45000" + std::string(18, ',') + "\r\nチャイム使用,1\r\n"));
}

TEST(ChimeSettings, HoldsAtMostTwentyTimes) {
    CTestRuntime t;
    CChimeSettings chime(t.runtime);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(chime.AddTime(i * 900), EChimeAddResult::Added);
    EXPECT_EQ(chime.AddTime(86000), EChimeAddResult::Full);
    EXPECT_EQ(chime.GetChimeTimes().size(), 20u);
}

TEST(ExportSettings, RoundTripsTheFolder) {
    CTestRuntime t;
    CExportSettings settings(t.runtime);
    EXPECT_EQ(settings.GetExportFolder(), t.dir.Path().string() + "/");
    settings.SetExportFolder("/home/給与/");
    ASSERT_TRUE(settings.SaveSettings());
    CExportSettings again(t.runtime);
    again.LoadSettings();
    EXPECT_EQ(again.GetExportFolder(), "/home/給与/");
}

TEST(ModeFiles, StyleReadsOnlyTheFirstCharacter) {
    test::CTempDir dir;
    EXPECT_EQ(CModeFiles::ReadMode(dir.Path()), kAttendanceMode);
    for (auto [content, mode] : std::vector<std::pair<std::string, int>>{{"2", kRoomMode},
                                                                         {"20", kRoomMode},
                                                                         {"1", kAttendanceMode},
                                                                         {"3", kAttendanceMode},
                                                                         {"", kAttendanceMode}}) {
        WriteBytes(dir / "Style.txt", content);
        EXPECT_EQ(CModeFiles::ReadMode(dir.Path()), mode) << content;
    }
}

TEST(ModeFiles, TimerIsSecondsAsMilliseconds) {
    test::CTempDir dir;
    EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 60000);
    WriteBytes(dir / "Timer.txt", "5");
    EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 5000);
    WriteBytes(dir / "Timer.txt", " 12\r\n");
    EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 12000);
    WriteBytes(dir / "Timer.txt", "abc");
    EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 0);
    WriteBytes(dir / "Timer.txt", "");
    EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 60000);
    // Out of range reads like a number that cannot be read, never as a wrapped value.
    for (const char* huge : {"9999999999999999", "99999999999999999999999", "2147484"}) {
        WriteBytes(dir / "Timer.txt", huge);
        EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 0) << huge;
    }
    WriteBytes(dir / "Timer.txt", "2147483");
    EXPECT_EQ(CModeFiles::ReadTimerMilliseconds(dir.Path()), 2147483000);
}

}  // namespace stampwell
