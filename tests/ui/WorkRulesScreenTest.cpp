// The work rules screen and the payroll figures of the record edit screen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "UiSupport.h"
#include "admin_ui/ReportEditDialog.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "platform/LocalTime.h"
#include "settings/WorkRulesDialog.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"
#include "support/WorkedExample.h"

namespace stampwell {

namespace {
struct Clock {
    Clock() { test::RunCli(t.dir.Path(), "admins add --id admin --password pw"); }
    void Start() {
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
        ASSERT_TRUE(app->InitInstance());
    }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};
}  // namespace

TEST(WorkRulesScreen, WritesTheSameFileAsTheCommandLine) {
    Clock c;
    c.Start();
    EXPECT_EQ(c.app->Frame()->Command(CMainFrame::kWorkRules)->text(),
              QString::fromUtf8("勤務ルール設定(&R)"));
    bool saved = false;
    test::RunAfterLogin(*c.app, CMainFrame::kWorkRules, [&] {
        CWorkRulesDialog& dialog = *c.app->WorkRules();
        // No file yet: the legal minimum, weeks from Sunday, Sunday as the rest day.
        EXPECT_TRUE(dialog.LegalBreaks().isChecked());
        EXPECT_FALSE(dialog.Windows().isEnabled());
        EXPECT_EQ(dialog.WeekStart().currentText(), QString::fromUtf8("日曜日"));
        EXPECT_EQ(dialog.RestDay().currentText(), QString::fromUtf8("日曜日"));

        dialog.FixedBreaks().setChecked(true);
        EXPECT_TRUE(dialog.Windows().isEnabled());
        dialog.Windows().setText(QStringLiteral("12:00-13:00 12:30-13:30"));
        EXPECT_FALSE(dialog.OnOk());  // overlapping: the window stays open
        EXPECT_EQ(c.prompt->messages.back(), "休憩時間帯が重なっています。");
        EXPECT_FALSE(std::filesystem::exists(c.t.dir / "WorkRules.txt"));

        dialog.Windows().setText(QStringLiteral("12:00-13:00 15:00-15:15"));
        dialog.WeekStart().setCurrentIndex(1);
        dialog.RestDay().setCurrentIndex(dialog.RestDay().findText(QString::fromUtf8("なし")));
        EXPECT_EQ(dialog.WeekHours().currentText(), QString::fromUtf8("40時間"));
        EXPECT_EQ(dialog.AgreementStart().currentText(), QString::fromUtf8("4月"));
        dialog.WeekHours().setCurrentIndex(1);
        dialog.AgreementStart().setCurrentIndex(9);
        test::SaveScreenshot(dialog.grab().toImage(), "work-rules");
        saved = dialog.OnOk();
        if (!saved) dialog.reject();
    });
    ASSERT_TRUE(saved);
    test::CTempDir other;
    ASSERT_EQ(test::RunCli(other.Path(),
                           "rules set --breaks 固定 --windows '12:00-13:00 "
                           "15:00-15:15' --week-start 月 --rest-day なし --week-hours 44 "
                           "--agreement-start 10")
                  .exitCode,
              0);
    EXPECT_EQ(test::ReadBytes(c.t.dir / "WorkRules.txt"), test::ReadBytes(other / "WorkRules.txt"));

    // Opened again, the screen shows what the file holds.
    test::RunAfterLogin(*c.app, CMainFrame::kWorkRules, [&] {
        CWorkRulesDialog& dialog = *c.app->WorkRules();
        EXPECT_TRUE(dialog.FixedBreaks().isChecked());
        EXPECT_EQ(dialog.Windows().text(), QStringLiteral("12:00-13:00 15:00-15:15"));
        EXPECT_EQ(dialog.WeekStart().currentText(), QString::fromUtf8("月曜日"));
        EXPECT_EQ(dialog.RestDay().currentText(), QString::fromUtf8("なし"));
        EXPECT_EQ(dialog.WeekHours().currentIndex(), 1);
        EXPECT_EQ(dialog.AgreementStart().currentText(), QString::fromUtf8("10月"));
        dialog.reject();
    });
}

TEST(WorkRulesScreen, TheRecordEditScreenShowsTheWorkedExample) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    Clock c;
    ASSERT_EQ(test::MakeWorkedExample(c.t.dir.Path()), "");
    c.t.clock->Set(CLocalTime::FromLocal(2026, 6, 30, 12, 0));
    c.Start();
    bool shown = false;
    test::RunAfterLogin(*c.app, CMainFrame::kEditRecords, [&] {
        CReportEditDialog& dialog = *c.app->ReportEdit();
        EXPECT_EQ(dialog.Users().currentText(), QString::fromUtf8("山田"));
        EXPECT_EQ(dialog.Year().value(), 2026);
        EXPECT_EQ(dialog.Month().currentText(), QStringLiteral("6"));
        // The same figures as the command-line report of the month.
        EXPECT_EQ(dialog.Totals().text(),
                  QString::fromUtf8("出勤日数: 10日　合計: 75:00　打刻漏れ: 1日\n"
                                    "実労働: 68:30　残業: 6:30　深夜: 10:00　休日: 7:00\n"
                                    "休憩不足: 1日"));
        test::SaveScreenshot(dialog.grab().toImage(), "record-edit-payroll");
        shown = true;
        dialog.reject();
    });
    EXPECT_TRUE(shown);
}

}  // namespace stampwell
