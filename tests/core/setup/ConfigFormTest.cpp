#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "setup/ConfigForm.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "text/TextCodec.h"

namespace stampwell {

TEST(ConfigForm, HourRulesRefuseAValueOutOfRangeWithItsRange) {
    EXPECT_FALSE(CConfigForm::ParseHour("", 12));  // an emptied field is refused, never 0
    EXPECT_EQ(CConfigForm::ParseHour("5", 12), 5);
    EXPECT_EQ(CConfigForm::ParseHour("12", 12), 12);
    EXPECT_FALSE(CConfigForm::ParseHour("13", 12));
    EXPECT_FALSE(CConfigForm::ParseHour("123", 23));  // too many digits
    EXPECT_FALSE(CConfigForm::ParseHour("-1", 23));
    EXPECT_FALSE(CConfigForm::ParseHour("9999999999999999999", 23));
    test::CRecordingMessageSink sink;
    CConfigForm::Values values;
    values.switchHour = 14;
    EXPECT_FALSE(CConfigForm::ReadHours("5", "99", values, sink));
    EXPECT_EQ(sink.messages.back(), "出退社切換え時刻は0～23の範囲で入力してください。");
    EXPECT_EQ(values.switchHour, 14);  // never 0
    EXPECT_FALSE(CConfigForm::ReadHours("13", "9", values, sink));
    EXPECT_EQ(sink.messages.back(), "日付更新時刻は0～12の範囲で入力してください。");
    ASSERT_TRUE(CConfigForm::ReadHours("5", "15", values, sink));
    EXPECT_EQ(values.dayChangeHour, 5);
    EXPECT_EQ(values.switchHour, 15);
}

TEST(ConfigForm, NewValuesReachTheProgramOnlyOnceTheFileHoldsThem) {
    test::CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    const auto shown = CConfigForm::Read(*settings);
    auto values = shown;
    values.dayChangeHour = 5;
    values.switchHour = 12;
    values.workFilePath = (t.dir / "share" / "KINTAI.dat").string();
    values.backupChecked = true;
    ASSERT_TRUE(CConfigForm::Apply(*settings, shown, values, *t.sink));
    EXPECT_EQ(settings->GetDayChangeHour(), 5);
    auto reread = CreateConfig(t.runtime);
    EXPECT_EQ(reread->GetDayChangeHour(), 5);
    EXPECT_EQ(reread->GetSwitchHour(), 12);
    EXPECT_EQ(reread->GetWorkFilePath(), values.workFilePath);
    EXPECT_TRUE(reread->IsBackupChecked());

    // A path the file cannot hold: a message, the running values and the file unchanged.
    const std::string before = test::ReadBytes(t.dir / "Setting.txt");
    const auto now = CConfigForm::Read(*settings);
    values = now;
    values.dayChangeHour = 3;
    values.backupPath = "C:\\a,b.bak";
    EXPECT_FALSE(CConfigForm::Apply(*settings, now, values, *t.sink));
    EXPECT_EQ(t.sink->messages.back(), "設定を保存できませんでした。\n保存先を確認してください。");
    EXPECT_EQ(settings->GetDayChangeHour(), 5);
    EXPECT_EQ(test::ReadBytes(t.dir / "Setting.txt"), before);
}

TEST(ConfigForm, PathsThatAreStampwellsOtherFilesAFolderOrEmptyAreRefused) {
    test::CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    const auto shown = CConfigForm::Read(*settings);
    std::filesystem::create_directories(t.dir / "share");
    test::WriteBytes(t.dir / "Admin.dat", "");
    auto refused = [&](auto change) {
        auto values = shown;
        change(values);
        return !CConfigForm::Apply(*settings, shown, values, *t.sink);
    };
    EXPECT_TRUE(refused([&](auto& v) { v.workFilePath = (t.dir / "Admin.dat").string(); }));
    EXPECT_NE(t.sink->messages.back().find("勤務登録ファイル"), std::string::npos);
    EXPECT_TRUE(refused([&](auto& v) { v.backupPath = (t.dir / "Register.txt").string(); }));
    EXPECT_TRUE(refused([&](auto& v) { v.backupPath = v.workFilePath; }));
    // The field that was changed is the one named: the register set to the work file.
    EXPECT_TRUE(refused([&](auto& v) { v.idFilePath = v.workFilePath; }));
    EXPECT_EQ(t.sink->messages.back().rfind("カード登録者ファイルに", 0), 0u)
        << t.sink->messages.back();
    EXPECT_TRUE(refused([&](auto& v) { v.workFilePath = v.idFilePath; }));
    EXPECT_EQ(t.sink->messages.back().rfind("勤務登録ファイルに", 0), 0u);
    EXPECT_TRUE(refused([&](auto& v) { v.backupPath = v.idFilePath; }));
    EXPECT_EQ(t.sink->messages.back().rfind("バックアップに", 0), 0u);
    EXPECT_TRUE(refused([&](auto& v) { v.workFilePath = ""; }));
    EXPECT_TRUE(refused([&](auto& v) { v.backupPath = (t.dir / "share").string(); }));
    EXPECT_TRUE(
        refused([&](auto& v) { v.workFilePath = (t.dir / "share" / "EditLog.txt").string(); }));
    EXPECT_TRUE(refused([&](auto& v) { v.backupPath = (t.dir / "Setting.txt").string(); }));
    // The same file through a link counts as that file.
    std::filesystem::create_symlink(t.dir / "Register.txt", t.dir / "share" / "link.bak");
    EXPECT_TRUE(refused([&](auto& v) { v.backupPath = (t.dir / "share" / "link.bak").string(); }));
    EXPECT_FALSE(std::filesystem::exists(t.dir / "Setting.txt"));
    EXPECT_FALSE(refused([&](auto& v) {
        v.workFilePath = (t.dir / "share" / "KINTAI.dat").string();
        v.backupPath = (t.dir / "share" / "KINTAI.dat.bak").string();
    }));
}

TEST(ConfigForm, TwoWritersAtOnceBothKeepTheirChange) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "settings set --day-change 0 --switch 14").exitCode, 0);
    // Each process sets its own value again and again; every round reads, changes and writes.
    auto writer = [&](const std::string& option, int rounds) {
        pid_t child = ::fork();
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < rounds; ++i) {
                const std::string value =
                    std::to_string(option == "--switch" ? 10 + i % 10 : i % 10);
                failures +=
                    test::RunCli(dir.Path(), "settings set " + option + " " + value).exitCode != 0;
            }
            ::_exit(failures);
        }
        return child;
    };
    pid_t a = writer("--day-change", 30);
    pid_t b = writer("--switch", 30);
    for (pid_t child : {a, b}) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string shown = test::RunCli(dir.Path(), "settings show").out;
    EXPECT_NE(shown.find("日付更新時刻: 9"), std::string::npos) << shown;
    EXPECT_NE(shown.find("出退社切換え時刻: 19"), std::string::npos) << shown;
}

TEST(ConfigForm, TheCliChangesSettingsThroughTheSameRules) {
    test::CTempDir dir;
    auto data = dir / "data";
    auto set = test::RunCli(data, "settings set --day-change 5 --switch 13 --work '" +
                                      (dir / "share" / "KINTAI.dat").string() + "' --backup-on");
    EXPECT_EQ(set.exitCode, 0) << set.err;
    auto shown = test::RunCli(data, "settings show").out;
    EXPECT_NE(shown.find("日付更新時刻: 5"), std::string::npos) << shown;
    EXPECT_NE(shown.find("出退社切換え時刻: 13"), std::string::npos);
    EXPECT_NE(shown.find("バックアップ: する"), std::string::npos);
    const std::string before = test::ReadBytes(data / "Setting.txt");
    for (const std::string& refused :
         {std::string("settings set --day-change 13"), std::string("settings set --switch 24"),
          std::string("settings set --switch abc"), std::string("settings set --backup 'a,b'"),
          "settings set --work '" + (data / "Admin.dat").string() + "'",
          "settings set --backup '" + (data / "Register.txt").string() + "' --backup-on",
          std::string("settings set --backup ''"),
          "settings set --work '" + dir.Path().string() + "'"}) {
        auto result = test::RunCli(data, refused);
        EXPECT_EQ(result.exitCode, 1) << refused;
        EXPECT_FALSE(result.err.empty()) << refused;
    }
    EXPECT_EQ(test::ReadBytes(data / "Setting.txt"), before);
    EXPECT_EQ(test::RunCli(data, "settings set --backup-on --backup-off").exitCode, 2);
}

}  // namespace stampwell

namespace stampwell {

namespace {
// A data folder whose clock has one employee, one tap and one correction, and an empty share.
struct COfficeMoving {
    COfficeMoving() {
        EXPECT_EQ(test::RunCli(data, "users add --card 0101000000000001 --name 山田").exitCode, 0);
        EXPECT_EQ(test::RunCli(data, "tap 0101000000000001 --start").exitCode, 0);
        EXPECT_EQ(test::RunCli(data, "leave set --name 山田 --hired 2024-04-01").exitCode, 0);
        test::WriteBytes(data / "EditLog.txt", "trail\r\n");
        std::filesystem::create_directories(share);
    }
    test::CTempDir dir;
    std::filesystem::path data = dir / "data", share = dir / "share";
};
}  // namespace

TEST(ConfigForm, MovingToAnEmptySharedFolderOffersToTakeTheFilesAlong) {
    COfficeMoving office;
    CRuntime runtime(office.data, std::make_shared<CManualClock>(),
                     std::make_shared<test::CRecordingMessageSink>());
    auto settings = CreateConfig(runtime);
    const auto shown = CConfigForm::Read(*settings);
    auto values = shown;
    values.idFilePath = (office.share / "Register.txt").string();
    values.workFilePath = (office.share / "KINTAI.dat").string();

    // いいえ: nothing is copied, the settings are saved and the empty start is said.
    {
        test::CFakePrompt prompt;
        prompt.answer = IPrompt::kNo;
        auto unchanged = CreateConfig(runtime);
        ASSERT_TRUE(CConfigForm::ApplyAsking(*unchanged, shown, values, prompt));
        ASSERT_EQ(prompt.questions.size(), 1u);
        EXPECT_NE(prompt.questions[0].find("カード登録者ファイル: " + values.idFilePath),
                  std::string::npos);
        EXPECT_NE(prompt.questions[0].find("勤務登録ファイル: " + values.workFilePath),
                  std::string::npos);
        // Every file that moves is named, the paid-leave book and the trail among them.
        for (const char* name : {"PaidLeave.txt", "EditLog.txt"}) {
            EXPECT_NE(prompt.questions[0].find((office.share / name).string()), std::string::npos)
                << name;
        }
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_NE(prompt.messages[0].find("最初から始めます"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(office.share / "Register.txt"));
        // Back to the old place for the next try (the old files are still there).
        ASSERT_TRUE(CConfigForm::Apply(*unchanged, values, shown, prompt));
    }

    // はい: the register, the records and the trail are in the share before it is used.
    test::CFakePrompt prompt;
    prompt.answer = IPrompt::kYes;
    ASSERT_TRUE(CConfigForm::ApplyAsking(*settings, shown, values, prompt));
    EXPECT_TRUE(prompt.messages.empty());
    for (const char* name : {"Register.txt", "KINTAI.dat", "EditLog.txt", "PaidLeave.txt"}) {
        EXPECT_EQ(test::ReadBytes(office.share / name), test::ReadBytes(office.data / name))
            << name;
    }
    // The leave records follow the register: nobody lost their hire date by the move.
    const auto ledger = test::RunCli(office.data, "leave list --as-of 2026-12-09");
    EXPECT_EQ(ledger.exitCode, 0) << ledger.err;
    EXPECT_NE(ledger.out.find("山田"), std::string::npos) << ledger.out;
    EXPECT_NE(test::RunCli(office.data, "users list").out.find("山田"), std::string::npos);
    EXPECT_NE(test::RunCli(office.data, "records").out.find("山田"), std::string::npos);
    EXPECT_NE(CTextCodec::FromCp932(test::ReadBytes(office.data / "ErrorLog.txt"))
                  .find("ファイルをコピー"),
              std::string::npos);

    // A place that already holds files is never offered a copy (nor overwritten).
    EXPECT_TRUE(CConfigForm::FilesToCarry(values, shown).empty());
}

TEST(ConfigForm, TheCliSaysTheNewPlaceIsEmptyOrCopiesWithCopy) {
    COfficeMoving office;
    const std::string to = " --register '" + (office.share / "Register.txt").string() +
                           "' --work '" + (office.share / "KINTAI.dat").string() + "'";
    auto plain = test::RunCli(office.data, "settings set" + to);
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("最初から始めます"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("--copy"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(office.share / "KINTAI.dat"));

    COfficeMoving second;
    auto copied = test::RunCli(second.data, "settings set --copy" + to);
    EXPECT_EQ(copied.exitCode, 0) << copied.err;
    EXPECT_NE(copied.out.find("勤務登録ファイルをコピーしました"), std::string::npos);
    EXPECT_NE(copied.out.find("有給休暇管理簿をコピーしました"), std::string::npos);
    EXPECT_NE(test::RunCli(second.data, "users list").out.find("山田"), std::string::npos);

    // A PC moving to a share where another PC's register already is: the leave book of this
    // PC is not mixed into it, but the move says where it stayed.
    std::filesystem::remove(office.share / "PaidLeave.txt");
    COfficeMoving third;
    auto late = test::RunCli(third.data, "settings set" + to);
    EXPECT_EQ(late.exitCode, 0) << late.err;
    EXPECT_NE(late.out.find("有給休暇管理簿: " + (third.data / "PaidLeave.txt").string()),
              std::string::npos)
        << late.out;
    EXPECT_FALSE(std::filesystem::exists(office.share / "PaidLeave.txt"));
}

}  // namespace stampwell
