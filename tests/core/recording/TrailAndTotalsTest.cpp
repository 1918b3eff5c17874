// The correction trail and the hours that add up.
#include <gtest/gtest.h>

#include "people/RegisterFile.h"
#include "platform/LocalTime.h"
#include "recording/EditLog.h"
#include "recording/ReportEditSession.h"
#include "recording/WorkReport.h"
#include "recording/WorkSummary.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {
struct Office {
    explicit Office(const std::string& style = "") {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        settings = CreateConfig(t.runtime);
        report = std::make_unique<CWorkReport>(t.runtime);
        report->SetSettings(settings);
        report->SetStampSide(&side);
        reg.SetCardId("1111111111111111");
        reg.SetName("山田");
        reg.AddRecord();
        reg.SetCardId("2222222222222222");
        reg.SetName("鈴木");
        reg.AddRecord();
    }
    void Tap(const std::string& name, int month, int day, int hour, int minute, bool end) {
        side.end = end;
        t.clock->Set(CLocalTime::FromLocal(2011, month, day, hour, minute));
        report->SetStamp(name);
        ASSERT_TRUE(report->AppendRecord(end ? 1 : 0));
    }
    test::CTestRuntime t;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    CRegisterFile reg{t.runtime};
    test::CFixedSide side;
    test::CFakePrompt prompt;
};
}  // namespace

TEST(WorkSummary, DaysAndHoursIncludingAfterMidnight) {
    EXPECT_EQ(CWorkSummary::WorkedMinutes({"a", "2011/08/01", "09:00", "25:10"}), 16 * 60 + 10);
    EXPECT_EQ(CWorkSummary::WorkedMinutes({"a", "2011/08/01", "09:00", ""}), -1);
    EXPECT_TRUE(CWorkSummary::IsMissing({"a", "2011/08/01", "", "18:00"}));
    EXPECT_TRUE(CWorkSummary::IsMissing({"a", "2011/08/01", "18:00", "09:00"}));
    EXPECT_FALSE(CWorkSummary::IsMissing({"a", "2011/08/01", "", ""}));
    auto totals = CWorkSummary::Add({{"a", "2011/08/01", "09:00", "18:00"},
                                     {"a", "2011/08/02", "09:30", "25:10"},
                                     {"a", "2011/08/03", "09:00", ""},
                                     {"a", "2011/08/04", "", ""}});
    EXPECT_EQ(totals.daysWorked, 2);
    EXPECT_EQ(CWorkSummary::FormatMinutes(totals.minutes), "24:40");
    EXPECT_EQ(totals.missingDates, std::vector<std::string>{"2011/08/03"});
    EXPECT_EQ(CWorkSummary::FormatMinutes(5), "0:05");
}

TEST(WorkSummary, APayPeriodPerEmployeeAndTheCliReport) {
    Office o;
    o.Tap("山田", 7, 21, 9, 0, false);  // first day of August's period for closing day 20
    o.Tap("山田", 7, 21, 18, 0, true);
    o.Tap("山田", 8, 20, 9, 0, false);  // a missing clock-out
    o.Tap("山田", 8, 21, 9, 0, false);  // next period
    o.Tap("鈴木", 8, 1, 8, 0, false);
    o.Tap("鈴木", 8, 1, 17, 30, true);
    std::map<std::string, CWorkSummary::Totals> totals;
    ASSERT_TRUE(CWorkSummary::ForPeriod(*o.report, 2011, 8, 3, "", totals));
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals["山田"].daysWorked, 1);
    EXPECT_EQ(totals["山田"].minutes, 9 * 60);
    EXPECT_EQ(totals["山田"].missingDates, std::vector<std::string>{"2011/08/20"});
    EXPECT_EQ(totals["鈴木"].minutes, 9 * 60 + 30);
    ASSERT_TRUE(CWorkSummary::ForPeriod(*o.report, 2011, 8, 3, "鈴木", totals));
    EXPECT_EQ(totals.size(), 1u);

    auto printed = test::RunCli(o.t.dir.Path(), "report --year 2011 --month 8 --closing 20");
    EXPECT_EQ(printed.exitCode, 0) << printed.err;
    EXPECT_EQ(printed.out, "山田\t1日\t9:00\t打刻漏れ: 2011/08/20\n鈴木\t1日\t9:30\n");
    auto csv = o.t.dir / "report.csv";
    ASSERT_EQ(test::RunCli(o.t.dir.Path(),
                           "report --year 2011 --month 8 --closing 20 --csv '" + csv.string() + "'")
                  .exitCode,
              0);
    EXPECT_EQ(test::ReadBytes(csv), test::Sjis("氏名,出勤日数,合計勤務時間,打刻漏れの日\r\n"
                                               "山田,1,9:00,2011/08/20\r\n鈴木,1,9:30,\r\n"));
    // Never over the work file.
    EXPECT_EQ(test::RunCli(o.t.dir.Path(), "report --year 2011 --month 8 --closing 20 --csv '" +
                                               (o.t.dir / "KINTAI.dat").string() + "'")
                  .exitCode,
              1);
}

TEST(EditLog, LinesAreAppendedInCp932WithCrLfAndReadBack) {
    test::CTempDir dir;
    CEditLog log(dir / "KINTAI.dat");
    EXPECT_EQ(log.FilePath(), dir / "EditLog.txt");
    ASSERT_TRUE(log.Append({{"2011/08/25 12:00:00", "admin", "山田", "2011/08/24", "出社", "09:00",
                             "08:50", "打刻忘れ"}}));
    ASSERT_TRUE(log.Append(
        {{"2011/08/25 12:01:00", "admin", "山田", "2011/08/24", "退社", "23:55", "", ""}}));
    EXPECT_EQ(test::ReadBytes(dir / "EditLog.txt"),
              test::Sjis("#日時,管理者ID,氏名,勤務日,区分,修正前,修正後,修正理由\r\n"
                         "2011/08/25 12:00:00,admin,山田,2011/08/24,出社,09:00,08:50,打刻忘れ\r\n"
                         "2011/08/25 12:01:00,admin,山田,2011/08/24,退社,23:55,,\r\n"));
    EXPECT_FALSE(log.Append({{"t", "a", "n", "d", "s", "", "", "a,b"}}));
    EXPECT_FALSE(log.Append({{"t", "a", "n", "d", "s", "", "", "two\nlines"}}));
    std::vector<CEditLog::Entry> entries;
    ASSERT_TRUE(log.Read(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].before, "23:55");
    EXPECT_EQ(entries[1].after, "");
    EXPECT_EQ(entries[0].reason, "打刻忘れ");
}

TEST(EditLog, EverySaveLeavesItsTrailFirstAndAFailedReplaceSaysSo) {
    Office o("2");
    o.Tap("山田", 8, 24, 9, 0, false);
    o.Tap("山田", 8, 24, 23, 55, true);
    CReportEditSession session(*o.report, o.reg, o.prompt, 2);
    o.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 12, 0, 30));
    session.SetTrail("boss", o.t.clock.get());
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    session.Edit(23, 1, "08:50");
    session.Edit(23, 2, "__:__");
    EXPECT_FALSE(session.Save("理由,カンマ"));
    EXPECT_EQ(o.prompt.messages.back(), "修正理由にカンマや改行は使えません。");
    EXPECT_FALSE(std::filesystem::exists(o.t.dir / "EditLog.txt"));
    ASSERT_TRUE(session.Save("打刻の訂正"));
    auto listed = test::RunCli(o.t.dir.Path(), "edits --name 山田 --year 2011 --month 8");
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "2011/08/25 12:00:30\tboss\t山田\t2011/08/24\t入室\t09:00 -> 08:50\t打刻の訂正\n"
              "2011/08/25 12:00:30\tboss\t山田\t2011/08/24\t退室\t23:55 -> -\t打刻の訂正\n");
    EXPECT_EQ(test::RunCli(o.t.dir.Path(), "edits --year 2011 --month 7").out, "");

    // The replace fails (the work file may not grow, the smaller trail may): the trail says the
    // save failed.
    for (int day = 1; day <= 20; ++day) o.Tap("鈴木", 7, day, 9, 0, false);
    session.Edit(0, 1, "09:00");
    const auto size = std::filesystem::file_size(o.t.dir / "KINTAI.dat");
    int failed = test::RunWithFileSizeLimit(size + 10, [&] { return session.Save("x") ? 1 : 0; });
    EXPECT_EQ(failed, 0);
    std::vector<CEditLog::Entry> entries;
    ASSERT_TRUE(CEditLog(o.t.dir / "KINTAI.dat").Read(entries));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].day, "2011/08/01");
    EXPECT_EQ(entries[3].side, CEditLog::kSaveFailed);
    EXPECT_EQ(std::filesystem::file_size(o.t.dir / "KINTAI.dat"), size);
}

}  // namespace stampwell
