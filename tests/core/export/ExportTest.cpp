#include <gtest/gtest.h>

#include <set>

#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {
using test::CTestRuntime;

namespace {
void Record(CTestRuntime& t, CWorkReport& report, test::CFixedSide& side, const std::string& name,
            std::int64_t when, bool end) {
    side.end = end;
    t.clock->Set(when);
    report.SetStamp(name);
    ASSERT_TRUE(report.RegisterStamp());
}
}  // namespace

TEST(Export, PeriodsCoverTheirClosingDaysIncludingYearEndAndLeapFebruary) {
    CTestRuntime t;
    CWorkReport report(t.runtime);
    report.SetExportYear(2012);
    report.SetExportMonth(1);
    report.SetExportClosing(3);
    EXPECT_TRUE(report.IsOutsidePeriod("2011/12/20"));
    EXPECT_FALSE(report.IsOutsidePeriod("2011/12/21"));
    EXPECT_FALSE(report.IsOutsidePeriod("2012/01/20"));
    EXPECT_TRUE(report.IsOutsidePeriod("2012/01/21"));
    EXPECT_TRUE(report.IsOutsidePeriod("garbage"));

    report.SetExportMonth(2);
    report.SetExportClosing(5);
    EXPECT_FALSE(report.IsOutsidePeriod("2012/02/29"));
    EXPECT_TRUE(report.IsOutsidePeriod("2012/03/01"));
    EXPECT_FALSE(report.IsOutsidePeriod("2012/2/1"));
    report.SetExportYear(2011);
    EXPECT_FALSE(report.IsOutsidePeriod("2011/02/28"));
    EXPECT_TRUE(report.IsOutsidePeriod("2011/02/29"));  // that is March 1st

    report.SetExportYear(2011);
    report.SetExportMonth(8);
    report.SetExportClosing(0);
    EXPECT_FALSE(report.IsOutsidePeriod("2011/07/06"));
    EXPECT_TRUE(report.IsOutsidePeriod("2011/07/05"));
    EXPECT_FALSE(report.IsOutsidePeriod("2011/08/05"));
}

TEST(Export, WritesNineFieldLinesOfThePeriodAndReplacesTheFile) {
    CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    settings->SetDayChangeHour(5);
    CWorkReport report(t.runtime);
    report.SetSettings(settings);
    test::CFixedSide side;
    report.SetStampSide(&side);
    Record(t, report, side, "ABCDEF", CLocalTime::FromLocal(2011, 8, 25, 9, 5), false);
    Record(t, report, side, "ABCDEF", CLocalTime::FromLocal(2011, 8, 26, 1, 10), true);
    Record(t, report, side, "山田", CLocalTime::FromLocal(2011, 8, 21, 9, 0), false);
    Record(t, report, side, "Gone", CLocalTime::FromLocal(2011, 7, 1, 9, 0), false);

    auto out = t.dir / "out.csv";
    test::WriteBytes(out, "old content that must go\r\n");
    report.SetExportYear(2011);
    report.SetExportMonth(8);
    report.SetExportClosing(5);
    report.SetExportPath(out.string());
    ASSERT_TRUE(report.Export());
    std::string pad6(26, ' ');
    EXPECT_EQ(test::ReadBytes(out),
              ",,ABCDEF" + pad6 + ",,2011/08/25,09:05,,,\r\n" + ",,ABCDEF" + pad6 +
                  ",,2011/08/25,,,,25:10\r\n" +
                  test::Sjis(",,山田" + std::string(28, ' ') + ",,2011/08/21,09:00,,,\r\n"));

    report.SetExportYear(2030);
    ASSERT_TRUE(report.Export());
    EXPECT_EQ(test::ReadBytes(out), "");
    report.SetExportPath((t.dir / "missing" / "x.csv").string());
    EXPECT_FALSE(report.Export());
}

TEST(Export, NoWorkFileGivesTheMessageInEachMode) {
    CTestRuntime t;
    CWorkReport attendance(t.runtime);
    attendance.SetExportPath((t.dir / "a.csv").string());
    EXPECT_FALSE(attendance.Export());
    test::WriteBytes(t.dir / "Style.txt", "2");
    CWorkReport room(t.runtime);
    room.SetExportPath((t.dir / "a.csv").string());
    EXPECT_FALSE(room.Export());
    EXPECT_EQ(t.sink->messages,
              (std::vector<std::string>{"エクスポートする出退勤データが見つかりません。",
                                        "エクスポートする入退室データが見つかりません。"}));
    EXPECT_FALSE(std::filesystem::exists(t.dir / "a.csv"));
}

TEST(Export, TheCliExportsAndListsRecords) {
    test::CTempDir dir;
    auto data = dir / "data";
    EXPECT_EQ(test::RunCli(data, "export --year 2011 --month 8 --closing end --out x").exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(data));  // a command that only reads creates nothing
    std::filesystem::create_directory(data);
    auto none = test::RunCli(data, "export --year 2011 --month 8 --closing end --out '" +
                                       (dir / "x.csv").string() + "'");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("エクスポートする出退勤データが見つかりません。"), std::string::npos);
    EXPECT_EQ(test::RunCli(data, "export --year 2011 --month 13 --closing end --out x").exitCode,
              2);
    EXPECT_EQ(test::RunCli(data, "export --year 2011 --month 8 --closing 7 --out x").exitCode, 2);

    CRuntime runtime(data, std::make_shared<CManualClock>(CLocalTime::FromLocal(2011, 8, 25, 9, 5)),
                     std::make_shared<test::CRecordingMessageSink>());
    CWorkReport report(runtime);
    report.SetStamp("ABCDEF");
    ASSERT_TRUE(report.RegisterStamp());
    auto records = test::RunCli(data, "records");
    EXPECT_EQ(records.out, "1\tABCDEF                          ,2011/08/25,09:05,\n");
    EXPECT_EQ(test::RunCli(data, "records --today").out, "");
    EXPECT_EQ(test::RunCli(data, "export --year 2011 --month 8 --closing 25 --out '" +
                                     (dir / "p.csv").string() + "'")
                  .exitCode,
              0);
    EXPECT_EQ(test::ReadBytes(dir / "p.csv"),
              ",,ABCDEF" + std::string(26, ' ') + ",,2011/08/25,09:05,,,\r\n");
}

namespace {
// A work file of twenty records in August 2011.
struct Filled {
    Filled() {
        for (int i = 0; i < 20; ++i) {
            Record(t, report, side, "Name" + std::to_string(i),
                   CLocalTime::FromLocal(2011, 8, 1 + i, 9, 0), false);
        }
        work = test::ReadBytes(t.dir / "KINTAI.dat");
        report.SetExportYear(2011);
        report.SetExportMonth(8);
        report.SetExportClosing(5);
    }
    CTestRuntime t;
    CWorkReport report{t.runtime};
    test::CFixedSide side;
    std::string work;
};
}  // namespace

TEST(Export, NeverWritesOverAFileStampwellKeeps) {
    Filled f;
    f.report.SetStampSide(&f.side);
    test::WriteBytes(f.t.dir / "Register.txt", "keep");
    std::filesystem::create_symlink(f.t.dir / "KINTAI.dat", f.t.dir / "link.csv");
    for (const auto& target :
         {f.t.dir / "KINTAI.dat", f.t.dir / "sub" / ".." / "KINTAI.dat", f.t.dir / "link.csv",
          f.t.dir / "Register.txt", f.t.dir / "TemporaryRecord.dat", f.t.dir / "Admin.dat",
          f.t.dir / "SendMailDetail.txt", f.t.dir / "Setting.txt"}) {
        f.report.SetExportPath(target.string());
        EXPECT_FALSE(f.report.Export()) << target;
        EXPECT_FALSE(f.report.LastExportError().empty());
    }
    EXPECT_EQ(test::ReadBytes(f.t.dir / "KINTAI.dat"), f.work);
    EXPECT_EQ(test::ReadBytes(f.t.dir / "Register.txt"), "keep");
    EXPECT_FALSE(std::filesystem::exists(f.t.dir / "Admin.dat"));

    auto cli = test::RunCli(f.t.dir.Path(), "export --year 2011 --month 8 --closing end --out '" +
                                                (f.t.dir / "KINTAI.dat").string() + "'");
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_NE(cli.err.find("指定できません"), std::string::npos) << cli.err;
    EXPECT_EQ(test::ReadBytes(f.t.dir / "KINTAI.dat"), f.work);
}

TEST(Export, AFailedWriteIsReportedAndKeepsThePreviousFile) {
    Filled f;
    auto out = f.t.dir / "out.csv";
    test::WriteBytes(out, "previous");
    f.report.SetExportPath(out.string());
    // The CSV (about 1,200 bytes) may not grow past 600: the disk is "full" mid-file.
    EXPECT_EQ(test::RunWithFileSizeLimit(600, [&] { return f.report.Export() ? 0 : 1; }), 1);
    EXPECT_EQ(test::ReadBytes(out), "previous");
    EXPECT_NE(test::ReadBytes(f.t.dir / "ErrorLog.txt").find("CWorkReport::Export"),
              std::string::npos);
    // No scratch file is left: only the files of the taps, the log and the old export.
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(f.t.dir.Path())) {
        left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, (std::set<std::string>{"ErrorLog.txt", "KINTAI.dat", "KINTAI.dat.lock",
                                           "TemporaryRecord.dat.lock", "TemporaryRecord.dat.today",
                                           "out.csv"}));

    // The command-line tool, under the same limit and with the signal's default action, says
    // why and exits 1 instead of dying silently.
    auto cli = test::RunCli(
        f.t.dir.Path(), "export --year 2011 --month 8 --closing end --out '" + out.string() + "'",
        "ulimit -f 1;");
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_NE(cli.err.find("書き込めませんでした"), std::string::npos) << cli.err;
    EXPECT_EQ(test::ReadBytes(out), "previous");
}

}  // namespace stampwell
