// 設定 > 勤務カレンダー and the closing of a month in the record edit screen, as a payroll clerk
// uses them: a holiday and a pattern set in the window show in the grid and its totals, a closed
// month refuses a correction, and reopening wants a reason.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>

#include "UiSupport.h"
#include "admin_ui/ReportEditDialog.h"
#include "admin_ui/ScheduleDialog.h"
#include "admin_ui/TimeGrid.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "corrections/ReportEditSession.h"
#include "platform/LocalTime.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {
struct Office {
    Office() {
        EXPECT_EQ(test::RunCli(t.dir.Path(), "admins add --id admin --password pw").exitCode, 0);
        EXPECT_EQ(
            test::RunCli(t.dir.Path(), "users add --card 1111111111111111 --name 山田").exitCode,
            0);
        t.clock->Set(CLocalTime::FromLocal(2026, 12, 8, 12, 0));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};

// As typed (keyClicks knows no Japanese; the field takes the text the same way).
void Type(QLineEdit& field, const char* text) {
    field.setText(QString::fromUtf8(text));
}
}  // namespace

TEST(ScheduleScreen, AHolidayAndAPatternSetInTheWindowShowInTheRecordEditScreen) {
    Office o;
    ASSERT_TRUE(o.app->InitInstance());
    test::Settle(*o.app);
    EXPECT_EQ(o.app->Frame()->Command(CMainFrame::kSchedule)->text(),
              QString::fromUtf8("勤務カレンダー(&K)"));
    bool shown = false;
    test::RunAfterLogin(*o.app, CMainFrame::kSchedule, [&] {
        CScheduleDialog& dialog = *o.app->Schedule();
        // 2026's national holidays are listed: 勤労感謝の日 among them.
        EXPECT_FALSE(dialog.Holidays()
                         .findItems(QString::fromUtf8("勤労感謝の日"), Qt::MatchContains)
                         .isEmpty());
        Type(dialog.HolidayDate(), "2026/12/01");
        Type(dialog.HolidayName(), "創立記念日");
        dialog.OnAddHoliday();
        EXPECT_EQ(test::LastOf(o.prompt->messages),
                  "2026/12/01 を会社の休日「創立記念日」にしました。");
        dialog.Tabs().setCurrentIndex(1);
        Type(dialog.PatternName(), "日勤");
        Type(dialog.PatternStart(), "09:00");
        Type(dialog.PatternEnd(), "18:00");
        Type(dialog.PatternBreaks(), "12:00-13:00");
        Type(dialog.PatternDays(), "月火水木金");
        dialog.OnSavePattern();
        EXPECT_EQ(test::LastOf(o.prompt->messages), "勤務パターン「日勤」を保存しました。");
        dialog.Person().setCurrentText(QString::fromUtf8("山田"));
        Type(dialog.AssignFrom(), "2026/11/01");
        dialog.AssignPattern().setCurrentText(QString::fromUtf8("日勤"));
        dialog.OnAssign();
        EXPECT_EQ(dialog.Patterns().count(), 2);
        // An end before the start is refused in the window's words.
        Type(dialog.PatternEnd(), "08:00");
        dialog.OnSavePattern();
        EXPECT_NE(test::LastOf(o.prompt->messages).find("終業時刻は始業時刻より後"),
                  std::string::npos);
        test::SaveScreenshot(dialog.grab().toImage(), "schedule-patterns");
        // 振替 and 代休 for 山田, listed with who decided them, then the swap taken back.
        dialog.Tabs().setCurrentIndex(2);
        Type(dialog.SwapRest(), "2026/12/13");
        Type(dialog.SwapWork(), "2026/12/16");
        dialog.OnSwap();
        EXPECT_EQ(test::LastOf(o.prompt->messages),
                  "山田さんの 2026/12/13 を出勤日に、2026/12/16 を休日にしました。");
        Type(dialog.LieuOff(), "2026/12/09");
        Type(dialog.LieuFor(), "2026/12/06");
        dialog.OnDayInLieu();
        ASSERT_EQ(dialog.Swaps().count(), 2);
        EXPECT_TRUE(dialog.Swaps().item(0)->text().contains(QString::fromUtf8(" admin）")));
        test::SaveScreenshot(dialog.grab().toImage(), "schedule-swaps");
        dialog.Swaps().setCurrentRow(0);
        dialog.OnTakeBack();
        EXPECT_EQ(dialog.Swaps().count(), 1);
        EXPECT_TRUE(dialog.Swaps().item(0)->text().startsWith(QString::fromUtf8("代休")));
        dialog.Tabs().setCurrentIndex(0);
        test::SaveScreenshot(dialog.grab().toImage(), "schedule-holidays");
        shown = true;
        dialog.reject();
    });
    ASSERT_TRUE(shown);
    EXPECT_NE(test::RunCli(o.t.dir.Path(), "holidays list --year 2026")
                  .out.find("2026/12/01（火）\t創立記念日"),
              std::string::npos);

    shown = false;
    test::RunAfterLogin(*o.app, CMainFrame::kEditRecords, [&] {
        CReportEditDialog& dialog = *o.app->ReportEdit();
        auto* model = dialog.Grid().model();
        // December 1st is the office's holiday: named and a day off; the 2nd to the 7th's
        // weekdays with no record are absences.
        EXPECT_EQ(model->index(0, 0).data().toString(), QString::fromUtf8("12/01 (火) 創立記念日"));
        EXPECT_TRUE(model->index(0, 0).data(Qt::BackgroundRole).isValid());
        EXPECT_TRUE(dialog.Totals().text().contains(QString::fromUtf8("欠勤: 4日")))
            << dialog.Totals().text().toStdString();
        // November: closed, then a correction is refused; reopening wants a reason.
        dialog.Month().setCurrentIndex(10);
        o.prompt->answer = IPrompt::kYes;
        dialog.OnCloseMonth();
        EXPECT_EQ(test::LastOf(o.prompt->messages), "2026年11月分（末締め）を締めました。");
        EXPECT_TRUE(dialog.ClosedLabel().text().contains(QString::fromUtf8("締め済み")));
        test::SaveScreenshot(dialog.grab().toImage(), "record-edit-closed");
        // A time typed into the closed month is refused at once.
        EXPECT_FALSE(dialog.Session().Edit(2, 1, "09:00"));
        EXPECT_NE(test::LastOf(o.prompt->messages).find("締め済みのため変更できません"),
                  std::string::npos)
            << test::LastOf(o.prompt->messages);
        EXPECT_FALSE(dialog.Session().IsModified());
        EXPECT_EQ(test::RunCli(o.t.dir.Path(), "records").out.find("2026/11/03"),
                  std::string::npos);
        dialog.Reason().clear();
        dialog.OnReopenMonth();
        EXPECT_NE(test::LastOf(o.prompt->messages).find("締めを解除する理由を入れてください"),
                  std::string::npos);
        dialog.Reason().setText(QString::fromUtf8("打刻漏れの訂正"));
        dialog.OnReopenMonth();
        EXPECT_EQ(test::LastOf(o.prompt->messages), "2026年11月分（末締め）の締めを解除しました。");
        EXPECT_TRUE(dialog.ClosedLabel().text().isEmpty());
        // Reopened, the month takes the correction again.
        EXPECT_TRUE(dialog.Session().Edit(2, 1, "09:00"));
        // Another administrator closes it meanwhile: the save is refused all the same.
        ASSERT_EQ(
            test::RunCli(o.t.dir.Path(), "close --year 2026 --month 11 --admin 事務").exitCode, 0);
        dialog.OnSave();
        EXPECT_NE(test::LastOf(o.prompt->messages).find("締め済みのため変更できません"),
                  std::string::npos)
            << test::LastOf(o.prompt->messages);
        EXPECT_EQ(test::RunCli(o.t.dir.Path(), "records").out.find("2026/11/03"),
                  std::string::npos);
        o.prompt->yesNo = true;  // the correction is discarded on closing
        shown = true;
        dialog.reject();
    });
    EXPECT_TRUE(shown);
    const auto trail = test::RunCli(o.t.dir.Path(), "closings");
    EXPECT_NE(trail.out.find("解除\t2026年11月分（末締め）\tadmin\t理由: 打刻漏れの訂正"),
              std::string::npos)
        << trail.out;
    EXPECT_NE(trail.out.find("締め\t2026年11月分（末締め）\t事務"), std::string::npos);
}

}  // namespace stampwell
