// The record edit screen's decisions: the time text, the editor's mask, the month sheet, the
// session, and the month save that leaves everything else on disk as it is.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "calendar/TimeText.h"
#include "corrections/ReportEditSession.h"
#include "corrections/TimeMask.h"
#include "folderstore/FolderPeopleStore.h"
#include "folderstore/FolderWorkStore.h"
#include "officestore/OfficeStores.h"
#include "people/RegisterFile.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "trail/EditLog.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
// A work file with a few taps of two people around August 2011.
struct Office {
    Office() {
        settings = CreateConfig(t.runtime);
        report.SetSettings(settings);
        report.SetStampSide(&side);
        Tap("山田", 2011, 8, 1, 9, 0, false);
        Tap("鈴木", 2011, 8, 1, 9, 10, false);
        Tap("山田", 2011, 8, 1, 18, 0, true);
        Tap("山田", 2011, 8, 2, 9, 5, false);
        Tap("山田", 2011, 7, 31, 9, 0, false);
        for (const char* name : {"山田", "鈴木"}) {
            reg.SetCardId(std::string(name) == "山田" ? "1111111111111111" : "2222222222222222");
            reg.SetName(name);
            reg.SetMailName("");
            reg.SetMailAddress("");
            reg.AddRecord();
        }
    }
    void Tap(const std::string& name, int y, int mo, int d, int h, int mi, bool end) {
        side.end = end;
        t.clock->Set(CLocalTime::FromLocal(y, mo, d, h, mi));
        report.SetStamp(name);
        ASSERT_TRUE(report.RegisterStamp());
    }
    std::string Records() { return test::RunCli(t.dir.Path(), "records").out; }
    test::CTestRuntime t;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::shared_ptr<IWorkStore> store = OpenWorkStore(t.runtime);
    IWorkStore& report = *store;
    CFolderPeopleStore reg{CRegisterFile(t.runtime)};
    test::CFixedSide side;
    test::CFakePrompt prompt;
};

// Another time clock in its own process: overwrites (or adds) today's clock-out of a person.
void OtherClockTaps(Office& o, const std::string& name, int day, int hour, int minute) {
    pid_t other = ::fork();
    if (other == 0) {
        CWorkReport clock(o.t.runtime);
        clock.SetSettings(o.settings);
        test::CFixedSide end;
        end.end = true;
        clock.SetStampSide(&end);
        o.t.clock->Set(CLocalTime::FromLocal(2011, 8, day, hour, minute));
        clock.SetStamp(name);
        int found = clock.CheckToday();
        bool ok = found > 0 ? clock.OverwriteRecord(found) : clock.RegisterStamp();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(other, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
}
}  // namespace

TEST(TimeText, NormalisingAnEditedTime) {
    EXPECT_EQ(CTimeText::Normalise("__:__"), "__:__");
    EXPECT_EQ(CTimeText::Normalise("1_:3_"), "10:30");
    EXPECT_EQ(CTimeText::Normalise("93:0_"), "__:__");  // 93 hours
    EXPECT_EQ(CTimeText::Normalise("8_:__"), "__:__");  // 80 hours
    EXPECT_EQ(CTimeText::Normalise("25:30"), "25:30");  // after midnight, previous working day
    EXPECT_EQ(CTimeText::Normalise("3_:4_"), "30:40");
    EXPECT_EQ(CTimeText::Normalise("35:59"), "35:59");
    EXPECT_EQ(CTimeText::Normalise("36:00"), "__:__");
    EXPECT_EQ(CTimeText::Normalise("12:60"), "__:__");
    EXPECT_EQ(CTimeText::Normalise("ab:cd"), "__:__");
    EXPECT_EQ(CTimeText::Minutes("25:10"), 25 * 60 + 10);
}

TEST(TimeMask, OneCharacterIsAlwaysSelectedAndTheColonNever) {
    CTimeMask mask("__:__");
    EXPECT_EQ(mask.Selection(), 0);
    for (char c : std::string("2x530")) mask.Type(c);  // letters are ignored
    EXPECT_EQ(mask.Text(), "25:30");
    EXPECT_EQ(mask.Selection(), 4);  // stays on the last character
    EXPECT_TRUE(mask.IsModified());
    mask.Left();
    EXPECT_EQ(mask.Selection(), 3);
    mask.Left();
    EXPECT_EQ(mask.Selection(), 1);  // over the colon
    mask.Backspace();
    EXPECT_EQ(mask.Text(), "2_:30");
    EXPECT_EQ(mask.Selection(), 0);
    mask.Left();
    EXPECT_EQ(mask.Selection(), 0);
    mask.Delete();
    EXPECT_EQ(mask.Text(), "__:30");
    EXPECT_EQ(mask.Selection(), 0);
    mask.Right();
    mask.Right();
    EXPECT_EQ(mask.Selection(), 3);
    mask.Click(2);
    EXPECT_EQ(mask.Selection(), 3);
    mask.Click(9);
    EXPECT_EQ(mask.Selection(), 4);
    mask.Click(1);
    EXPECT_EQ(mask.Selection(), 1);
    CTimeMask same("09:00");
    same.Type('0');
    EXPECT_FALSE(same.IsModified());  // the same digit again changes nothing
}

TEST(MonthSheet, RowsOfTheMonthWithWeekdaysAndEmptyCells) {
    Office o;
    CMonthSheet sheet;
    ASSERT_TRUE(sheet.Load(o.report, "山田", 2011, 8));
    EXPECT_EQ(sheet.Rows(), 31);
    EXPECT_EQ(sheet.Cell(0, 0), "08/01 (月)");
    EXPECT_EQ(sheet.Cell(0, 1), "09:00");
    EXPECT_EQ(sheet.Cell(0, 2), "18:00");
    EXPECT_EQ(sheet.Cell(1, 2), "__:__");
    EXPECT_EQ(sheet.Cell(6, 0), "08/07 (日)");
    ASSERT_TRUE(sheet.Load(o.report, "山田", 2012, 2));
    EXPECT_EQ(sheet.Rows(), 29);  // leap year
    ASSERT_TRUE(sheet.Load(o.report, "山田", 2011, 2));
    EXPECT_EQ(sheet.Rows(), 28);
    ASSERT_TRUE(sheet.Load(o.report, "山田", 2000, 8));
    EXPECT_EQ(sheet.Rows(), 0);
    ASSERT_TRUE(sheet.Load(o.report, "", 2011, 8));
    EXPECT_EQ(sheet.Rows(), 0);
}

TEST(ReportEditSession, SavingChangesOnlyTheEditedDaysAndSaysSo) {
    Office o;
    const std::string before = o.Records();
    CReportEditSession session(o.report, o.reg, o.prompt, 1);
    EXPECT_EQ(session.Names(), (std::vector<std::string>{"山田", "鈴木"}));
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    EXPECT_TRUE(session.Edit(0, 1, "08:45"));   // a corrected clock-in
    EXPECT_TRUE(session.Edit(0, 2, "__:__"));   // a cleared clock-out marks the sheet modified
    EXPECT_TRUE(session.Edit(1, 2, "25:10"));   // after midnight
    EXPECT_FALSE(session.Edit(2, 1, "__:__"));  // an empty cell cleared: no change
    EXPECT_TRUE(session.IsModified());

    // Changing the month with unsaved changes asks; "いいえ" keeps them.
    o.prompt.yesNo = false;
    EXPECT_FALSE(session.Select("山田", 2011, 7));
    EXPECT_EQ(session.ShownMonth(), 8);
    EXPECT_EQ(session.Sheet().Cell(0, 1), "08:45");

    ASSERT_TRUE(session.Save());
    EXPECT_EQ(test::LastOf(o.prompt.questions), "このデータで保存しますか？");
    EXPECT_EQ(test::LastOf(o.prompt.messages), "出退勤編集が完了しました。");
    EXPECT_FALSE(session.IsModified());
    const std::string after = o.Records();
    EXPECT_EQ(after.find("2011/08/01,09:00,"), std::string::npos);
    EXPECT_NE(after.find("山田                            ,2011/08/01,08:45,"), std::string::npos);
    EXPECT_EQ(after.find(",2011/08/01,,18:00"), std::string::npos);
    EXPECT_NE(after.find(",2011/08/02,,25:10"), std::string::npos);
    EXPECT_NE(after.find(",2011/08/02,09:05,"), std::string::npos);
    // Everybody else's records and the other months are as they were.
    EXPECT_NE(after.find("鈴木                            ,2011/08/01,09:10,"), std::string::npos);
    EXPECT_NE(after.find(",2011/07/31,09:00,"), std::string::npos);
    CMonthSheet reread;
    ASSERT_TRUE(reread.Load(o.report, "山田", 2011, 8));
    EXPECT_EQ(reread.Cell(0, 1), "08:45");
    EXPECT_EQ(reread.Cell(0, 2), "__:__");
    EXPECT_EQ(reread.Cell(1, 2), "25:10");
    EXPECT_NE(before, after);

    o.prompt.yesNo = true;
    EXPECT_TRUE(session.MayClose());
}

TEST(ReportEditSession, TapsMadeWhileTheScreenWasOpenStay) {
    Office o;
    CReportEditSession session(o.report, o.reg, o.prompt, 1);
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    session.Edit(1, 2, "18:30");
    // Other time clocks record taps (one for this very person) between load and save.
    OtherClockTaps(o, "山田", 3, 18, 0);
    OtherClockTaps(o, "鈴木", 3, 18, 0);
    ASSERT_TRUE(session.Save());
    const std::string after = o.Records();
    EXPECT_NE(after.find("山田                            ,2011/08/03,,18:00"), std::string::npos);
    EXPECT_NE(after.find("鈴木                            ,2011/08/03,,18:00"), std::string::npos);
    EXPECT_NE(after.find(",2011/08/02,,18:30"), std::string::npos);
}

TEST(ReportEditSession, AFailedSaveSaysSoKeepsTheChangesAndTheFile) {
    Office o;
    const std::string work = test::ReadBytes(o.t.dir / "KINTAI.dat");
    CReportEditSession session(o.report, o.reg, o.prompt, 2);
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    session.Edit(3, 1, "09:00");
    int result = test::RunWithFileSizeLimit(100, [&] {
        bool saved = session.Save();
        return (!saved && session.IsModified() &&
                test::LastOf(o.prompt.messages) ==
                    "ディスクの空き容量が足りないため、保存できませんでした。\n変更は画面に残って"
                    "います。")
                   ? 1
                   : 0;
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(test::ReadBytes(o.t.dir / "KINTAI.dat"), work);

    // A work file that cannot be read is never replaced by the sheet.
    std::filesystem::create_directory(o.t.dir / "broken.dat");
    o.settings->SetWorkFilePath((o.t.dir / "broken.dat").string());
    o.prompt.yesNo = true;
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    EXPECT_NE(test::LastOf(o.prompt.messages).find("読み込めませんでした"), std::string::npos);
    EXPECT_FALSE(session.Save());
    EXPECT_TRUE(std::filesystem::is_directory(o.t.dir / "broken.dat"));

    // Nobody registered: nothing to save.
    std::filesystem::remove(o.t.dir / "Register.txt");
    EXPECT_FALSE(session.Save());
    EXPECT_EQ(test::LastOf(o.prompt.messages),
              "登録ユーザーが指定されていないため保存できません。");
}

TEST(ReportEditSession, ASaveWritesOnlyTheChangedTimesAndKeepsAnotherClocksTapOfThatDay) {
    Office o;
    CReportEditSession session(o.report, o.reg, o.prompt, 1);
    session.SetTrail("boss", o.t.clock.get());
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    EXPECT_EQ(session.Sheet().Cell(0, 2), "18:00");
    // The clock-out of that day is changed from another clock while the screen is open.
    OtherClockTaps(o, "山田", 1, 18, 30);
    ASSERT_TRUE(session.Edit(0, 1, "08:40"));  // only the clock-in is corrected
    ASSERT_TRUE(session.Save("遅刻の訂正"));
    const std::string after = o.Records();
    EXPECT_NE(after.find("山田                            ,2011/08/01,08:40,"), std::string::npos);
    EXPECT_NE(after.find("山田                            ,2011/08/01,,18:30"), std::string::npos);
    EXPECT_EQ(after.find(",2011/08/01,,18:00"), std::string::npos);
    // The screen and its totals show the month as the file holds it now.
    EXPECT_EQ(session.Sheet().Cell(0, 2), "18:30");
    EXPECT_FALSE(session.IsModified());
    std::vector<CEditLog::Entry> trail;
    ASSERT_TRUE(CEditLog(o.t.dir / "KINTAI.dat", o.t.dir.Path()).Read(trail));
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].side, "出社");
    EXPECT_EQ(trail[0].before, "09:00");
    EXPECT_EQ(trail[0].after, "08:40");

    // A later save of another cell does not write the stale clock-out back.
    ASSERT_TRUE(session.Edit(1, 2, "18:10"));
    ASSERT_TRUE(session.Save());
    EXPECT_NE(o.Records().find(",2011/08/01,,18:30"), std::string::npos);
}

TEST(ReportEditSession, ATimeChangedOnBothSidesIsNotOverwrittenWithoutAQuestion) {
    Office o;
    CReportEditSession session(o.report, o.reg, o.prompt, 1);
    session.SetTrail("boss", o.t.clock.get());
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    ASSERT_TRUE(session.Edit(0, 2, "19:00"));
    ASSERT_TRUE(session.Edit(1, 1, "08:55"));
    OtherClockTaps(o, "山田", 1, 18, 30);

    // "いいえ": nothing is written; the cell shows what the other clock wrote, the other
    // change stays unsaved on screen.
    o.prompt.yesNo = false;
    EXPECT_FALSE(session.Save());
    EXPECT_EQ(test::LastOf(o.prompt.questions), "このデータで保存しますか？");
    EXPECT_NE(o.Records().find(",2011/08/01,,18:30"), std::string::npos);
    EXPECT_EQ(o.Records().find("08:55"), std::string::npos);
    EXPECT_EQ(session.Sheet().Cell(0, 2), "18:30");
    EXPECT_EQ(session.Sheet().Cell(1, 1), "08:55");
    EXPECT_TRUE(session.IsModified());
    EXPECT_EQ(test::LastOf(o.prompt.messages).rfind("保存していません。", 0), 0u);
    EXPECT_NE(test::LastOf(o.prompt.messages).find("ほかの変更は画面に残っています。"),
              std::string::npos);

    // Asked again with a new change over the other clock's time: "はい" writes it, and the trail
    // names the time it replaced.
    ASSERT_TRUE(session.Edit(0, 2, "19:00"));
    OtherClockTaps(o, "山田", 1, 18, 45);
    o.prompt.yesNo = true;
    ASSERT_TRUE(session.Save());
    const std::string after = o.Records();
    EXPECT_NE(after.find(",2011/08/01,,19:00"), std::string::npos);
    EXPECT_NE(after.find(",2011/08/02,08:55,"), std::string::npos);
    std::vector<CEditLog::Entry> trail;
    ASSERT_TRUE(CEditLog(o.t.dir / "KINTAI.dat", o.t.dir.Path()).Read(trail));
    ASSERT_EQ(trail.size(), 2u);
    EXPECT_EQ(trail[0].before, "18:45");
    EXPECT_EQ(trail[0].after, "19:00");
    EXPECT_EQ(trail[1].before, "09:05");
}

TEST(ReportEditSession, AnImpossibleTimeIsRefusedAndTheCellKeepsItsValue) {
    Office o;
    CReportEditSession session(o.report, o.reg, o.prompt, 1);
    ASSERT_TRUE(session.Select("山田", 2011, 8));
    // Impossible times, and times with a place left unfilled (BackSpace on 17:01 gives "_7:01",
    // which must not become 07:01).
    for (const char* slip : {"12:60", "36:00", "9_:__", "_7:01", "1_:3_", "08:3_"}) {
        EXPECT_FALSE(session.Edit(0, 1, slip)) << slip;
        EXPECT_EQ(test::LastOf(o.prompt.messages).rfind("時刻が正しくありません。", 0), 0u);
        EXPECT_EQ(session.Sheet().Cell(0, 1), "09:00");
    }
    EXPECT_FALSE(session.IsModified());
    EXPECT_TRUE(session.Edit(0, 1, "10:30"));
    EXPECT_EQ(session.Sheet().Cell(0, 1), "10:30");
    EXPECT_TRUE(session.Edit(0, 2, "__:__"));  // every digit erased, or Delete, empties a cell
    EXPECT_EQ(session.Sheet().Cell(0, 2), "__:__");
}

}  // namespace stampwell
