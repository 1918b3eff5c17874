#include <gtest/gtest.h>

#include <map>

#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkLine.h"
#include "workfile/WorkReport.h"

namespace stampwell {
using test::CTestRuntime;

namespace {

std::int64_t At(int y, int mo, int d, int h, int mi) {
    return CLocalTime::FromLocal(y, mo, d, h, mi);
}

// A work report on a temp folder with settings (day-change hour) and a side switch.
struct Fixture {
    explicit Fixture(int dayChangeHour = 0, const std::string& style = "") {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        settings = CreateConfig(t.runtime);
        settings->SetDayChangeHour(dayChangeHour);
        report = CreateWorkReport(t.runtime);
        report->SetSettings(settings);
        report->SetStampSide(&side);
    }
    int Tap(const std::string& name, std::int64_t when) {
        t.clock->Set(when);
        report->SetStamp(name);
        return report->CheckToday();
    }
    std::filesystem::path Work() const { return t.dir / "KINTAI.dat"; }
    CTestRuntime t;
    test::CFixedSide side;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::shared_ptr<CWorkReport> report;
};

}  // namespace

TEST(WorkReport, RecordLinesAreFiftyOneBytesWithThePaddedName) {
    Fixture f;
    f.Tap("ABCDEF", At(2011, 8, 25, 9, 5));
    ASSERT_TRUE(f.report->RegisterStamp());
    f.side.end = true;
    f.Tap("ABCDEF", At(2011, 8, 25, 18, 30));
    ASSERT_TRUE(f.report->RegisterStamp());
    f.Tap(std::string(32, 'N'), At(2011, 8, 25, 18, 31));
    ASSERT_TRUE(f.report->RegisterStamp());
    auto blocks = test::WorkBlocks(f.Work());
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], "ABCDEF" + std::string(26, ' ') + ",2011/08/25,09:05,\n");
    EXPECT_EQ(blocks[1], "ABCDEF" + std::string(26, ' ') + ",2011/08/25,,18:30\n");
    EXPECT_EQ(blocks[2], std::string(32, 'N') + ",2011/08/25,,18:31\n");
    EXPECT_EQ(test::ReadBytes(f.Work()).size(), 153u);
    EXPECT_EQ(f.report->MakeResultText(0), "18:31 勤務終了");
    EXPECT_EQ(f.report->MakeResultText(1), "18:31 勤務開始");
}

TEST(WorkReport, ANameThatDoesNotFitIsNeverWritten) {
    Fixture f;
    f.Tap(std::string(33, 'N'), At(2011, 8, 25, 9, 0));
    EXPECT_FALSE(f.report->RegisterStamp());
    f.Tap("あいうえおかきくけこさしすせそたち", At(2011, 8, 25, 9, 0));  // 34 bytes in CP932
    EXPECT_FALSE(f.report->RegisterStamp());
    f.Tap("\xF0\x9F\x98\x80", At(2011, 8, 25, 9, 0));
    EXPECT_FALSE(f.report->RegisterStamp());
    EXPECT_TRUE(test::WorkBlocks(f.Work()).empty());
}

TEST(WorkReport, EarlyHoursBelongToThePreviousWorkingDay) {
    Fixture f(5);
    f.side.end = true;
    EXPECT_EQ(f.Tap("Ito", At(2011, 8, 26, 1, 10)), 0);
    EXPECT_EQ(f.report->StampDateText(), "2011/08/25");
    EXPECT_EQ(f.report->StampTimeText(), "25:10");
    ASSERT_TRUE(f.report->RegisterStamp());
    EXPECT_EQ(f.report->MakeResultText(2), "25:10 勤務終了");

    f.t.clock->Set(At(2011, 8, 26, 4, 59));
    EXPECT_TRUE(f.report->IsToday("2011/08/25"));
    EXPECT_TRUE(f.report->IsToday("2011/8/25"));
    std::vector<std::string> lines;
    f.report->ListToday(lines);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"2011/08/25 25:10 退社 Ito" + std::string(29, ' ')}));
    EXPECT_EQ(f.Tap("Ito", At(2011, 8, 26, 4, 59)), 1);

    f.t.clock->Set(At(2011, 8, 26, 5, 0));
    EXPECT_FALSE(f.report->IsToday("2011/08/25"));
    f.report->ListToday(lines);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(f.Tap("Ito", At(2011, 8, 26, 5, 0)), 0);
    EXPECT_EQ(f.report->StampTimeText(), "05:00");
    EXPECT_FALSE(f.report->IsToday(""));
    EXPECT_EQ(CWorkReport::DateNumber("2011/8"), -1);
}

TEST(WorkReport, ATornTailIsCutBeforeAppendingSoNewRecordsStayReadable) {
    Fixture f;
    for (int i = 0; i < 3; ++i) {
        f.Tap("P" + std::to_string(i), At(2011, 8, 25, 9, i));
        f.report->RegisterStamp();
    }
    std::filesystem::resize_file(f.Work(), 51 * 2 + 25);
    EXPECT_EQ(test::WorkBlocks(f.Work()).size(), 2u);
    f.Tap("P2", At(2011, 8, 25, 9, 30));
    EXPECT_EQ(f.report->CheckToday(), 0);
    ASSERT_TRUE(f.report->RegisterStamp());
    auto blocks = test::WorkBlocks(f.Work());
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[2].substr(0, 2), "P2");
    EXPECT_NE(test::ReadBytes(f.t.dir / "ErrorLog.txt").find("CWorkReport::AppendRecord"),
              std::string::npos);
}

TEST(WorkReport, AMissingWorkFolderUsesTheTemporaryFileUntilItReturns) {
    Fixture f;
    auto folder = f.t.dir / "share";
    f.settings->SetWorkFilePath((folder / "KINTAI.dat").string());
    f.Tap("Ito", At(2011, 8, 25, 9, 0));
    ASSERT_TRUE(f.report->RegisterStamp());
    EXPECT_TRUE(f.report->IsUsingTemporary());
    EXPECT_EQ(test::WorkBlocks(f.t.dir / "TemporaryRecord.dat").size(), 1u);
    EXPECT_EQ(f.Tap("Ito", At(2011, 8, 25, 9, 10)), 1);  // today's record is found there

    std::filesystem::create_directory(folder);
    f.side.end = true;
    EXPECT_EQ(f.Tap("Ito", At(2011, 8, 25, 18, 0)), 0);
    EXPECT_FALSE(f.report->IsUsingTemporary());
    EXPECT_FALSE(std::filesystem::exists(f.t.dir / "TemporaryRecord.dat"));
    ASSERT_TRUE(f.report->RegisterStamp());
    auto blocks = test::WorkBlocks(folder / "KINTAI.dat");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_NE(blocks[0].find("09:00"), std::string::npos);
}

TEST(WorkReport, AFailedWriteDuringRegistTempKeepsTheTemporaryRecords) {
    Fixture f;
    for (int i = 0; i < 3; ++i) {
        f.Tap("Ito", At(2011, 8, 25, 8, i));
        ASSERT_TRUE(f.report->RegisterStamp());
    }
    // Two taps of other people wait (the same person's would be merged, not appended).
    std::string two;
    for (const char* name : {"Abe", "Ueda"}) {
        two += CCipherRecordFile::Encipher(WorkLine::Format(name, "2011/08/25", "08:30", 0), 51);
    }
    test::WriteBytes(f.t.dir / "TemporaryRecord.dat", two);
    // The work file (153 bytes) may not grow: the append of the temporary records fails.
    int code = test::RunWithFileSizeLimit(153, [&] { return f.report->RegistTemp() ? 0 : 1; });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(test::ReadBytes(f.t.dir / "TemporaryRecord.dat").size(), 102u);
    EXPECT_EQ(test::ReadBytes(f.Work()).size(), 153u);
    EXPECT_NE(test::ReadBytes(f.t.dir / "ErrorLog.txt").find("CWorkReport::RegistTemp"),
              std::string::npos);
    // Once writing works again, nothing is lost and nothing doubled.
    EXPECT_TRUE(f.report->RegistTemp());
    EXPECT_EQ(test::WorkBlocks(f.Work()).size(), 5u);
    EXPECT_FALSE(std::filesystem::exists(f.t.dir / "TemporaryRecord.dat"));
}

TEST(WorkReport, AFailedBlockWriteIsReportedAsFailure) {
    Fixture f;
    f.Tap("Ito", At(2011, 8, 25, 8, 0));
    ASSERT_TRUE(f.report->RegisterStamp());
    int code = test::RunWithFileSizeLimit(51, [&] {
        f.report->SetStamp("Sato");
        return f.report->RegisterStamp() ? 0 : 1;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(test::WorkBlocks(f.Work()).size(), 1u);
    // An unopenable target gives the path message.
    std::filesystem::create_directory(f.t.dir / "dir.dat");
    f.settings->SetWorkFilePath((f.t.dir / "dir.dat").string());
    f.report->SetStamp("Sato");
    EXPECT_FALSE(f.report->RegisterStamp());
    ASSERT_FALSE(f.t.sink->messages.empty());
    EXPECT_EQ(f.t.sink->messages.back(),
              "勤務時間を保存するファイルパスが無効です。\n保存はされません。");
}

TEST(WorkReport, LoadAndSaveRoundTripSortsByDateAndKeepsLaterTaps) {
    Fixture f;
    f.Tap("Late", At(2011, 8, 26, 9, 0));
    f.report->RegisterStamp();
    f.Tap("Early", At(2011, 8, 25, 9, 0));
    f.report->RegisterStamp();
    f.side.end = true;
    f.Tap("Early", At(2011, 8, 25, 18, 0));
    f.report->RegisterStamp();
    WorkRecordTable table;
    f.report->LoadTable(table);
    ASSERT_EQ(table.Size(), 2u);
    EXPECT_EQ(table.FindRecord("Early", "2011/08/25"),
              (std::pair<std::string, std::string>{"09:00", "18:00"}));

    // A tap arrives while the table is open in the editor.
    f.Tap("Late", At(2011, 8, 26, 19, 0));
    f.report->RegisterStamp();
    ASSERT_TRUE(f.report->SaveTable(table));
    auto blocks = test::WorkBlocks(f.Work());
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[0], "Early" + std::string(27, ' ') + ",2011/08/25,09:00,\n");
    EXPECT_EQ(blocks[1], "Early" + std::string(27, ' ') + ",2011/08/25,,18:00\n");
    EXPECT_EQ(blocks[2], "Late" + std::string(28, ' ') + ",2011/08/26,09:00,\n");
    EXPECT_EQ(blocks[3], "Late" + std::string(28, ' ') + ",2011/08/26,,19:00\n");
    EXPECT_EQ(test::FilesIn(f.t.dir.Path()),
              (std::vector<std::string>{"KINTAI.dat", "KINTAI.dat.index", "KINTAI.dat.lock",
                                        "TemporaryRecord.dat.lock", "TemporaryRecord.dat.today"}));
    // Saving the same table again keeps that tap too.
    ASSERT_TRUE(f.report->SaveTable(table));
    EXPECT_EQ(test::WorkBlocks(f.Work()).size(), 4u);
}

TEST(WorkReport, AFailedSaveLeavesTheWorkFileUntouched) {
    Fixture f;
    f.Tap("Ito", At(2011, 8, 25, 9, 0));
    f.report->RegisterStamp();
    std::string before = test::ReadBytes(f.Work());
    WorkRecordTable table;
    table.PutRecord({"Other", "2011/08/01", "09:00", ""});
    EXPECT_EQ(test::RunWithFileSizeLimit(40, [&] { return f.report->SaveTable(table) ? 1 : 0; }),
              0);
    EXPECT_EQ(test::ReadBytes(f.Work()), before);
    table.PutRecord({std::string(40, 'x'), "2011/08/02", "09:00", ""});
    EXPECT_FALSE(f.report->SaveTable(table));
    EXPECT_EQ(test::ReadBytes(f.Work()), before);
}

// Under load an append may be refused after the lock wait, which is said; what matters is that
// every append reported as done is in the file exactly once and nothing is torn.
TEST(WorkReport, TwoProcessesAppendingConcurrentlyLeaveEveryRecordWhole) {
    Fixture f;
    constexpr int kEach = 1000;
    auto appender = [&](const std::string& name) {
        pid_t child = ::fork();
        if (child == 0) {
            auto report = CreateWorkReport(f.t.runtime);
            report->SetSettings(f.settings);
            std::string done;
            for (int i = 0; i < kEach; ++i) {
                f.t.clock->Set(At(2011, 8, 25, 0, 0) + 60 * i);  // one minute each: told apart
                report->SetStamp(name);
                if (report->AppendRecord(i % 2)) done += report->StampTimeText() + "\n";
            }
            test::WriteBytes(f.t.dir / ("done-" + name), done);
            ::_exit(0);
        }
        return child;
    };
    pid_t a = appender("Alpha");
    pid_t b = appender("Beta");
    int statusA = 0, statusB = 0;
    ::waitpid(a, &statusA, 0);
    ::waitpid(b, &statusB, 0);
    ASSERT_TRUE(WIFEXITED(statusA) && WIFEXITED(statusB));
    std::map<std::string, std::string> inFile;  // name -> its times, one a line, in file order
    for (const auto& block : test::WorkBlocks(f.Work())) {
        ASSERT_TRUE(block.starts_with("Alpha ") || block.starts_with("Beta ")) << block;
        ASSERT_EQ(block.substr(32, 12), ",2011/08/25,");
        const WorkLine line = WorkLine::Parse(block);
        inFile[block.substr(0, block.find(' '))] += std::string(line.Time()) + "\n";
    }
    for (const std::string name : {"Alpha", "Beta"}) {
        const std::string reported = test::ReadBytes(f.t.dir / ("done-" + name));
        EXPECT_EQ(inFile[name], reported) << name;
        // Nearly all of them: a refusal is for a machine under heavy load only.
        EXPECT_GT(std::count(reported.begin(), reported.end(), '\n'), kEach * 9 / 10);
    }
}

TEST(WorkReport, AWorkFileThatCannotBeReadIsNeverReplacedByASave) {
    Fixture f;
    f.Tap("Ito", At(2011, 8, 25, 9, 0));
    ASSERT_TRUE(f.report->RegisterStamp());
    const std::string before = test::ReadBytes(f.Work());
    // A path that opens but fails on the first read.
    std::filesystem::create_directory(f.t.dir / "unreadable.dat");
    f.settings->SetWorkFilePath((f.t.dir / "unreadable.dat").string());
    WorkRecordTable table;
    EXPECT_FALSE(f.report->LoadTable(table));
    EXPECT_EQ(table.Size(), 0u);
    f.settings->SetWorkFilePath(f.Work().string());
    table.PutRecord({"Other", "2011/08/01", "09:00", ""});
    EXPECT_FALSE(f.report->SaveTable(table));
    EXPECT_EQ(test::ReadBytes(f.Work()), before);
    // After a good load saving works again.
    ASSERT_TRUE(f.report->LoadTable(table));
    EXPECT_TRUE(f.report->SaveTable(table));
}

TEST(WorkReport, DatesOutOfAnyCalendarAreUnreadableNotOverflowing) {
    EXPECT_EQ(CWorkReport::DateNumber("-2147483648/1/1"), -1);
    EXPECT_EQ(CWorkReport::DateNumber("2011/-2147483648/1"), -1);
    EXPECT_EQ(CWorkReport::DateNumber("99999999999/1/1"), -1);
    EXPECT_EQ(CWorkReport::DateNumber("2011/8/25"), 20110825);
    EXPECT_EQ(CWorkReport::DateNumber(" 2011/08/25"), 20110825);
    Fixture f;
    f.report->SetExportYear(2011);
    f.report->SetExportMonth(8);
    f.report->SetExportClosing(5);
    EXPECT_TRUE(f.report->IsOutsidePeriod("-2147483648/1/1"));
    EXPECT_TRUE(f.report->IsOutsidePeriod("2011/08/2147483647"));
    EXPECT_FALSE(f.report->IsOutsidePeriod("2011/08/31"));
}

TEST(WorkReport, TheCliListsTheWaitingRecordsWhileTheWorkFolderIsAway) {
    Fixture f;
    f.settings->SetWorkFilePath((f.t.dir / "share" / "KINTAI.dat").string());
    ASSERT_TRUE(f.settings->SaveSettings());
    f.Tap("Ito", At(2011, 8, 25, 9, 0));
    ASSERT_TRUE(f.report->RegisterStamp());
    auto listed = test::RunCli(f.t.dir.Path(), "records");
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_NE(listed.out.find("Ito"), std::string::npos);
    EXPECT_NE(listed.err.find("接続できません"), std::string::npos) << listed.err;
}

TEST(WorkReport, BackupFollowsTheSwitchAndReplacesThePreviousCopy) {
    Fixture f;
    f.Tap("Ito", At(2011, 8, 25, 9, 0));
    f.report->RegisterStamp();
    auto fresh = CreateWorkReport(f.t.runtime);
    EXPECT_TRUE(fresh->Backup());
    EXPECT_FALSE(std::filesystem::exists(f.t.dir / "KINTAI.dat.bak"));

    f.settings->SetBackupChecked(true);
    ASSERT_TRUE(f.settings->SaveSettings());
    test::WriteBytes(f.t.dir / "KINTAI.dat.bak", "old backup");
    EXPECT_TRUE(CreateWorkReport(f.t.runtime)->Backup());
    EXPECT_EQ(test::ReadBytes(f.t.dir / "KINTAI.dat.bak"), test::ReadBytes(f.Work()));

    std::filesystem::remove(f.Work());
    EXPECT_TRUE(CreateWorkReport(f.t.runtime)->Backup());  // nothing to copy is no error
}

}  // namespace stampwell
