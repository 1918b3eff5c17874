#include <gtest/gtest.h>

#include "settings/ConfigForm.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(ConfigForm, HourRules) {
    EXPECT_EQ(CConfigForm::ParseHour("", 12), 0);
    EXPECT_EQ(CConfigForm::ParseHour("5", 12), 5);
    EXPECT_EQ(CConfigForm::ParseHour("12", 12), 12);
    EXPECT_FALSE(CConfigForm::ParseHour("13", 12));
    EXPECT_FALSE(CConfigForm::ParseHour("123", 23));  // too many digits
    EXPECT_FALSE(CConfigForm::ParseHour("-1", 23));
    EXPECT_FALSE(CConfigForm::ParseHour("9999999999999999999", 23));
    EXPECT_EQ(CConfigForm::FixHourText("13", 12), "0");
    EXPECT_EQ(CConfigForm::FixHourText("123", 23), "0");
    EXPECT_EQ(CConfigForm::FixHourText("23", 23), "23");
}

TEST(ConfigForm, NewValuesReachTheProgramOnlyOnceTheFileHoldsThem) {
    test::CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    auto values = CConfigForm::Read(*settings);
    values.dayChangeHour = 5;
    values.switchHour = 12;
    values.workFilePath = (t.dir / "share" / "KINTAI.dat").string();
    values.backupChecked = true;
    ASSERT_TRUE(CConfigForm::Apply(*settings, values, *t.sink));
    EXPECT_EQ(settings->GetDayChangeHour(), 5);
    auto reread = CreateConfig(t.runtime);
    EXPECT_EQ(reread->GetDayChangeHour(), 5);
    EXPECT_EQ(reread->GetSwitchHour(), 12);
    EXPECT_EQ(reread->GetWorkFilePath(), values.workFilePath);
    EXPECT_TRUE(reread->IsBackupChecked());

    // A path the file cannot hold: a message, the running values and the file unchanged.
    const std::string before = test::ReadBytes(t.dir / "Setting.txt");
    values.dayChangeHour = 3;
    values.backupPath = "C:\\a,b.bak";
    EXPECT_FALSE(CConfigForm::Apply(*settings, values, *t.sink));
    EXPECT_EQ(t.sink->messages.back(), "設定を保存できませんでした。\n保存先を確認してください。");
    EXPECT_EQ(settings->GetDayChangeHour(), 5);
    EXPECT_EQ(test::ReadBytes(t.dir / "Setting.txt"), before);
}

TEST(ConfigForm, TheCliChangesSettingsThroughTheSameRules) {
    test::CTempDir dir;
    auto data = dir / "data";
    auto set = test::RunCli(data, "settings set --day-change 5 --switch 13 --work '" +
                                      (dir / "share" / "KINTAI.dat").string() + "' --backup-on");
    EXPECT_EQ(set.exitCode, 0) << set.err;
    auto shown = test::RunCli(data, "settings show").out;
    EXPECT_NE(shown.find("day-change hour (日付更新時刻): 5"), std::string::npos) << shown;
    EXPECT_NE(shown.find("switch hour (出退社切換え時刻): 13"), std::string::npos);
    EXPECT_NE(shown.find("backup: on"), std::string::npos);
    const std::string before = test::ReadBytes(data / "Setting.txt");
    for (const char* refused : {"settings set --day-change 13", "settings set --switch 24",
                                "settings set --switch abc", "settings set --backup 'a,b'"}) {
        auto result = test::RunCli(data, refused);
        EXPECT_EQ(result.exitCode, 1) << refused;
        EXPECT_FALSE(result.err.empty()) << refused;
    }
    EXPECT_EQ(test::ReadBytes(data / "Setting.txt"), before);
    EXPECT_EQ(test::RunCli(data, "settings set --backup-on --backup-off").exitCode, 2);
}

}  // namespace stampwell
