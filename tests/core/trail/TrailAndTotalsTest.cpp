// The correction trail and the hours that add up.
#include <gtest/gtest.h>

#include "corrections/ReportEditSession.h"
#include "folderstore/FolderPeopleStore.h"
#include "folderstore/FolderWorkStore.h"
#include "folderstore/TrailSettlement.h"
#include "people/RegisterFile.h"
#include "platform/LocalTime.h"
#include "reporting/WorkSummary.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "trail/EditLog.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
struct Office {
    explicit Office(const std::string& style = "") {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        settings = CreateConfig(t.runtime);
        report = std::make_unique<CWorkReport>(t.runtime);
        store = std::make_unique<CFolderWorkStore>(*report);
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
    std::unique_ptr<CFolderWorkStore> store;  // the same records through the store's face
    CFolderPeopleStore reg{CRegisterFile(t.runtime)};
    test::CFixedSide side;
    test::CFakePrompt prompt;
};
}  // namespace

TEST(WorkSummary, DaysAndHoursTodayStillGoingOnAndTimesOutOfOrder) {
    EXPECT_EQ(CWorkSummary::WorkedMinutes({"a", "2011/08/01", "09:00", "25:10"}), 16 * 60 + 10);
    EXPECT_EQ(CWorkSummary::WorkedMinutes({"a", "2011/08/01", "09:00", ""}), -1);
    using EDay = CWorkSummary::EDay;
    const std::string today = "2011/08/03";
    EXPECT_EQ(CWorkSummary::StateOf({"a", "2011/08/01", "", "18:00"}, today), EDay::kMissing);
    EXPECT_EQ(CWorkSummary::StateOf({"a", "2011/08/01", "09:00", ""}, today), EDay::kMissing);
    // Still at work today: nothing is missing yet.
    EXPECT_EQ(CWorkSummary::StateOf({"a", "2011/08/03", "09:00", ""}, today), EDay::kInProgress);
    EXPECT_EQ(CWorkSummary::StateOf({"a", "2011/08/03", "", "18:00"}, today), EDay::kMissing);
    // 01:10 typed for 25:10: its own case, not a missing time.
    EXPECT_EQ(CWorkSummary::StateOf({"a", "2011/08/01", "18:00", "01:10"}, today),
              EDay::kInconsistent);
    EXPECT_EQ(CWorkSummary::StateOf({"a", "2011/08/01", "", ""}, today), EDay::kEmpty);
    EXPECT_STREQ(CWorkSummary::Label(EDay::kInconsistent), "時刻不整合");
    EXPECT_STREQ(CWorkSummary::Label(EDay::kInProgress), "");
    auto totals = CWorkSummary::Add({{"a", "2011/08/01", "09:00", "18:00"},
                                     {"a", "2011/08/02", "09:30", "25:10"},
                                     {"a", "2011/08/03", "09:00", ""},
                                     {"a", "2011/08/04", "", ""},
                                     {"a", "2011/07/30", "", "17:00"},
                                     {"a", "2011/07/31", "18:00", "01:10"}},
                                    today);
    EXPECT_EQ(totals.daysWorked, 2);
    EXPECT_EQ(CWorkSummary::FormatMinutes(totals.minutes), "24:40");
    EXPECT_EQ(totals.missingDates, std::vector<std::string>{"2011/07/30"});
    EXPECT_EQ(totals.inconsistentDates, std::vector<std::string>{"2011/07/31"});
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
    o.Tap("鈴木", 8, 2, 18, 0, false);
    o.Tap("鈴木", 8, 2, 1, 10, true);  // typed as 01:10: the end before the start
    std::map<std::string, CWorkSummary::Totals> totals;
    ASSERT_TRUE(CWorkSummary::ForPeriod(*o.store, 2011, 8, 3, "", totals));
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals["山田"].daysWorked, 1);
    EXPECT_EQ(totals["山田"].minutes, 9 * 60);
    EXPECT_EQ(totals["山田"].missingDates, std::vector<std::string>{"2011/08/20"});
    EXPECT_EQ(totals["鈴木"].minutes, 9 * 60 + 30);
    EXPECT_EQ(totals["鈴木"].inconsistentDates, std::vector<std::string>{"2011/08/02"});
    ASSERT_TRUE(CWorkSummary::ForPeriod(*o.store, 2011, 8, 3, "鈴木", totals));
    EXPECT_EQ(totals.size(), 1u);

    auto printed = test::RunCli(o.t.dir.Path(), "report --year 2011 --month 8 --closing 20");
    EXPECT_EQ(printed.exitCode, 0) << printed.err;
    EXPECT_EQ(printed.out,
              "山田\t1日\t9:00\t休憩 1:00\t実労働 8:00\t残業 0:00\t深夜 0:00\t休日 0:00"
              "\t打刻漏れ: 2011/08/20\n"
              "鈴木\t1日\t9:30\t休憩 1:00\t実労働 8:30\t残業 0:30\t深夜 0:00\t休日 0:00"
              "\t時刻不整合: 2011/08/02\n");
    auto csv = o.t.dir / "report.csv";
    ASSERT_EQ(test::RunCli(o.t.dir.Path(),
                           "report --year 2011 --month 8 --closing 20 --csv '" + csv.string() + "'")
                  .exitCode,
              0);
    EXPECT_EQ(
        test::ReadBytes(csv),
        test::Sjis("氏名,出勤日数,合計勤務時間,打刻漏れの日,時刻不整合の日,休憩,実労働時間,"
                   "法定外残業,深夜労働,法定休日労働,上限超過,60時間超残業,休憩不足の日,"
                   "有休取得日数,有休残日数,有休日の打刻,"
                   "所定労働日数,遅刻回数,遅刻時間,早退回数,早退時間,欠勤日数,欠勤日,法定内残業,"
                   "所定休日労働,代休日数,振替日,端数処理,締め\r\n"
                   "山田,1,9:00,2011/08/20,,1:00,8:00,0:00,0:00,0:00,,0:00,,0,,,,,,,,,,,,,,,\r\n"
                   "鈴木,1,9:30,,2011/08/02,1:00,8:30,0:30,0:00,0:00,,0:00,,0,,,,,,,,,,,,,,,\r\n"));
    // Never over the work file, nor over the trail beside it.
    for (const char* stored : {"KINTAI.dat", "EditLog.txt"}) {
        EXPECT_EQ(test::RunCli(o.t.dir.Path(), "report --year 2011 --month 8 --closing 20 --csv '" +
                                                   (o.t.dir / stored).string() + "'")
                      .exitCode,
                  1);
    }
}

TEST(WorkSummary, TodaysOpenDayIsNoMissingTimeInTheReport) {
    Office o;
    o.Tap("山田", 8, 24, 9, 0, false);
    o.Tap("山田", 8, 25, 9, 0, false);  // today, the clock-out is still to come
    auto printed = test::RunCli(o.t.dir.Path(), "report --year 2011 --month 8 --closing end");
    // The command-line tool runs on the real clock: there 2011/08/25 is long past.
    EXPECT_NE(printed.out.find("打刻漏れ: 2011/08/24 2011/08/25"), std::string::npos);
    std::map<std::string, CWorkSummary::Totals> totals;
    ASSERT_TRUE(CWorkSummary::ForPeriod(*o.store, 2011, 8, 5, "", totals));
    EXPECT_EQ(totals["山田"].missingDates, std::vector<std::string>{"2011/08/24"});
}

TEST(EditLog, BatchesAreWrittenInCp932WithCrLfAndReadBackWithTheirState) {
    test::CTempDir dir;
    CEditLog log(dir / "KINTAI.dat", dir.Path());
    EXPECT_EQ(log.FilePath(), dir / "EditLog.txt");
    const CEditLog::Entry marker{
        "2011/08/25 12:00:00", "admin", "山田", "", "", "", "", "打刻忘れ"};
    ASSERT_TRUE(log.BeginBatch(marker, {{"2011/08/25 12:00:00", "admin", "山田", "2011/08/24",
                                         "出社", "09:00", "08:50", "打刻忘れ"}}));
    CEditLog::Entry open;
    std::vector<CEditLog::Entry> pending;
    ASSERT_TRUE(log.FindOpenBatch(open, pending));
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].after, "08:50");
    ASSERT_TRUE(log.EndBatch(marker, true, {}));
    EXPECT_FALSE(log.FindOpenBatch(open, pending));
    const CEditLog::Entry second{"2011/08/25 12:01:00", "admin", "山田", "", "", "", "", ""};
    ASSERT_TRUE(log.BeginBatch(
        second, {{"2011/08/25 12:01:00", "admin", "山田", "2011/08/24", "退社", "23:55", "", ""}}));
    ASSERT_TRUE(log.EndBatch(second, false, {"2011/08/24"}));
    EXPECT_EQ(test::ReadBytes(dir / "EditLog.txt"),
              test::Sjis("#日時,管理者ID,氏名,勤務日,区分,修正前,修正後,修正理由\r\n"
                         "2011/08/25 12:00:00,admin,山田,,保存開始,,,打刻忘れ\r\n"
                         "2011/08/25 12:00:00,admin,山田,2011/08/24,出社,09:00,08:50,打刻忘れ\r\n"
                         "2011/08/25 12:00:00,admin,山田,,保存完了,,,打刻忘れ\r\n"
                         "2011/08/25 12:01:00,admin,山田,,保存開始,,,\r\n"
                         "2011/08/25 12:01:00,admin,山田,2011/08/24,退社,23:55,,\r\n"
                         "2011/08/25 12:01:00,admin,山田,2011/08/24,保存失敗,,,\r\n"));
    EXPECT_FALSE(log.BeginBatch(marker, {{"t", "a", "n", "d", "s", "", "", "a,b"}}));
    EXPECT_FALSE(log.BeginBatch(marker, {{"t", "a", "n", "d", "s", "", "", "two\nlines"}}));
    std::vector<CEditLog::Entry> entries;
    ASSERT_TRUE(log.Read(entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].state, CEditLog::EState::kDone);
    EXPECT_EQ(entries[1].before, "23:55");
    EXPECT_EQ(entries[1].state, CEditLog::EState::kFailed);
    EXPECT_EQ(entries[2].side, CEditLog::kSaveFailed);
    EXPECT_EQ(entries[2].day, "2011/08/24");
}

TEST(EditLog, ALineCutShortIsDroppedBeforeTheNextAndLoggedOnce) {
    test::CTempDir dir;
    CEditLog log(dir / "KINTAI.dat", dir.Path());
    const CEditLog::Entry marker{"2026/12/08 10:00:00", "admin", "山田", "", "", "", "", ""};
    ASSERT_TRUE(log.BeginBatch(marker, {}));
    ASSERT_TRUE(log.EndBatch(marker, true, {}));
    const std::string whole = test::ReadBytes(dir / "EditLog.txt");
    test::WriteBytes(dir / "EditLog.txt", whole + "2026/12/08");  // a crash mid-line
    ASSERT_TRUE(log.BeginBatch(marker, {}));
    EXPECT_EQ(test::ReadBytes(dir / "EditLog.txt"),
              whole + test::Sjis("2026/12/08 10:00:00,admin,山田,,保存開始,,,\r\n"));
    EXPECT_NE(test::ReadBytes(dir / "ErrorLog.txt").find("CEditLog::Append"), std::string::npos);
}

TEST(EditLog, EverySaveLeavesItsTrailFirstAndAFailedReplaceNamesItsDays) {
    Office o("2");
    o.Tap("山田", 8, 24, 9, 0, false);
    o.Tap("山田", 8, 24, 23, 55, true);
    CReportEditSession session(*o.store, o.reg, o.prompt, 2);
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
    EXPECT_EQ(
        listed.out,
        "2011/08/25 12:00:30\tboss\t山田\t2011/08/24\t入室\t09:00 -> 08:50\t打刻の訂正\t保存済\n"
        "2011/08/25 12:00:30\tboss\t山田\t2011/08/24\t退室\t23:55 -> -\t打刻の訂正\t保存済\n");
    EXPECT_EQ(test::RunCli(o.t.dir.Path(), "edits --year 2011 --month 7").out, "");

    // The replace fails (the work file may not grow, the smaller trail may): the trail says the
    // save failed, on the working day of the change, so the month's listing shows it.
    for (int day = 1; day <= 20; ++day) o.Tap("鈴木", 7, day, 9, 0, false);
    session.Edit(0, 1, "09:00");
    const auto size = std::filesystem::file_size(o.t.dir / "KINTAI.dat");
    int failed = test::RunWithFileSizeLimit(size + 10, [&] { return session.Save("x") ? 1 : 0; });
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(std::filesystem::file_size(o.t.dir / "KINTAI.dat"), size);
    listed = test::RunCli(o.t.dir.Path(), "edits --year 2011 --month 8");
    EXPECT_NE(listed.out.find("2011/08/01\t入室\t- -> 09:00\tx\t保存失敗\n"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("山田\t2011/08/01\t保存失敗\t-\tx\n"), std::string::npos)
        << listed.out;
}

TEST(EditLog, ASaveCutShortByACrashIsSettledAgainstTheWorkFile) {
    Office o;
    o.Tap("山田", 8, 24, 9, 0, false);
    CEditLog log(o.t.dir / "KINTAI.dat", o.t.dir.Path());
    const CEditLog::Entry marker{"2011/08/25 12:00:00", "boss", "山田", "", "", "", "", ""};
    // The lines reached the disk, the work file was never replaced.
    ASSERT_TRUE(log.BeginBatch(
        marker, {{marker.when, "boss", "山田", "2011/08/24", "出社", "09:00", "08:30", ""}}));
    auto listed = test::RunCli(o.t.dir.Path(), "edits");
    EXPECT_NE(listed.out.find("09:00 -> 08:30\t\t保存失敗"), std::string::npos) << listed.out;
    // The work file was replaced, the closing line never written.
    ASSERT_TRUE(log.BeginBatch(
        marker, {{marker.when, "boss", "山田", "2011/08/24", "出社", "09:00", "09:00", ""}}));
    listed = test::RunCli(o.t.dir.Path(), "edits");
    EXPECT_NE(listed.out.find("09:00 -> 09:00\t\t保存済"), std::string::npos) << listed.out;
    CEditLog::Entry open;
    std::vector<CEditLog::Entry> pending;
    EXPECT_FALSE(log.FindOpenBatch(open, pending));
}

}  // namespace stampwell
