// 設定 > 有給休暇 and the leave days in the record edit screen, as an administrator uses them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "UiSupport.h"
#include "admin_ui/DateField.h"
#include "admin_ui/ReportEditDialog.h"
#include "admin_ui/TimeGrid.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "people/LeaveDialog.h"
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

std::string Rows(const QTableWidget& table) {
    std::string text;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            text += (c ? "," : "") + table.item(r, c)->text().toStdString();
        }
        text += "\n";
    }
    return text;
}
}  // namespace

// A date typed the way the field shows dates is the date saved (the spin box this replaced moved
// to the month by itself after the year and saved 2025/02/08 for 2025/08/01); one that is not a
// date is refused with a message, and a whole day of leave on the statutory rest day is refused.
TEST(LeaveScreen, ADateTypedAsShownIsTheDateSavedOrRefused) {
    Office o;
    ASSERT_TRUE(o.app->InitInstance());
    test::Settle(*o.app);
    bool shown = false;
    test::RunAfterLogin(*o.app, CMainFrame::kLeave, [&] {
        CLeaveDialog& dialog = *o.app->Leave();
        QLineEdit& hired = dialog.Hired().Edit();
        hired.selectAll();
        QTest::keyClicks(&hired, QStringLiteral("2025/08/01"));
        dialog.OnSetEmployee();
        const auto book = test::RunCli(o.t.dir.Path(), "leave list --as-of 2026-12-08");
        EXPECT_NE(book.out.find("山田\t2025/08/01\t"), std::string::npos) << book.out;
        // Select all, then the year: nothing is refused silently.
        QLineEdit& day = dialog.Date().Edit();
        day.selectAll();
        QTest::keyClicks(&day, QStringLiteral("2026/02/04"));
        EXPECT_EQ(dialog.Date().date(), QDate(2026, 2, 4));
        day.selectAll();
        QTest::keyClicks(&day, QStringLiteral("2026/02/30"));
        o.prompt->messages.clear();
        dialog.OnTake();
        // No ASSERT inside the dialog's run: a failure must still reach accept() below.
        EXPECT_EQ(o.prompt->messages.size(), 1u);
        EXPECT_NE(o.prompt->messages.back().find("ある日付で入力してください（入力: 2026/02/30）"),
                  std::string::npos)
            << o.prompt->messages.back();
        // 2026/02/01 is a Sunday, the statutory rest day of the default rules.
        dialog.Date().setDate(QDate(2026, 2, 1));
        dialog.OnTake();
        EXPECT_EQ(o.prompt->messages.size(), 2u);
        EXPECT_NE(o.prompt->messages.back().find("2026/02/01（日） は法定休日です"),
                  std::string::npos)
            << o.prompt->messages.back();
        EXPECT_EQ(test::RunCli(o.t.dir.Path(), "leave ledger --name 山田").out.find("全日"),
                  std::string::npos);  // no day of leave was recorded
        shown = true;
        dialog.accept();
    });
    ASSERT_TRUE(shown);
}

TEST(LeaveScreen, TheLedgerOfTheHandWorkedEmployeeAsTheCommandLineKeepsIt) {
    Office o;
    ASSERT_TRUE(o.app->InitInstance());
    test::Settle(*o.app);
    EXPECT_EQ(o.app->Frame()->Command(CMainFrame::kLeave)->text(),
              QString::fromUtf8("有給休暇(&V)"));
    bool shown = false;
    test::RunAfterLogin(*o.app, CMainFrame::kLeave, [&] {
        CLeaveDialog& dialog = *o.app->Leave();
        ASSERT_EQ(dialog.Users().currentText(), QString::fromUtf8("山田"));
        EXPECT_EQ(dialog.Grants().rowCount(), 0);  // no hire date yet
        dialog.Hired().setDate(QDate(2024, 4, 1));
        dialog.OnSetEmployee();
        for (const auto& [date, part] :
             {std::pair{QDate(2024, 11, 5), 0}, std::pair{QDate(2025, 3, 3), 1},
              std::pair{QDate(2025, 9, 1), 0}}) {
            dialog.Date().setDate(date);
            dialog.Part().setCurrentIndex(part);
            dialog.OnTake();
        }
        // A day taken twice is refused with the reason and changes nothing.
        dialog.OnTake();
        ASSERT_FALSE(o.prompt->messages.empty());
        EXPECT_NE(o.prompt->messages.back().find("すでに有給休暇"), std::string::npos);
        EXPECT_EQ(Rows(dialog.Grants()),
                  "2024/10/01,10,2.5,7.5,2026/10/01,未達,2.5,2024/11/05 2025/03/03（午前） "
                  "2025/09/01\n"
                  "2025/10/01,11,0,11,2027/10/01,未達,0,\n"
                  "2026/10/01,12,0,12,2028/10/01,あと5日（期限まで9か月）,0,\n");
        EXPECT_EQ(dialog.Grants().item(0, 5)->foreground().color(), QColor(200, 0, 0));
        EXPECT_EQ(Rows(dialog.Days()), "2024/11/05,全日\n2025/03/03,午前\n2025/09/01,全日\n");
        EXPECT_TRUE(dialog.Balance().text().startsWith(QString::fromUtf8("残日数: 23日")))
            << dialog.Balance().text().toStdString();
        test::SaveScreenshot(dialog.grab().toImage(), "leave");
        shown = true;
        dialog.accept();
    });
    ASSERT_TRUE(shown);
    // The command line reads the same file.
    EXPECT_NE(test::RunCli(o.t.dir.Path(), "leave list --as-of 2025-10-01").out.find("\t18.5\t"),
              std::string::npos);
}

// A grant withheld for attendance under 80 %: only on a chosen row, asked first (left alone, the
// question answers no), refused when days were already taken from it, and taken back again.
TEST(LeaveScreen, AGrantIsWithheldAndGrantedAgainOnlyOnAChosenRow) {
    Office o;
    ASSERT_EQ(test::RunCli(o.t.dir.Path(), "leave set --name 山田 --hired 2024-04-01").exitCode, 0);
    ASSERT_EQ(test::RunCli(o.t.dir.Path(), "leave take --name 山田 --date 2024-11-05").exitCode, 0);
    ASSERT_TRUE(o.app->InitInstance());
    test::Settle(*o.app);
    const auto ledger = [&] {
        return test::RunCli(o.t.dir.Path(), "leave ledger --name 山田").out;
    };
    bool shown = false;
    test::RunAfterLogin(*o.app, CMainFrame::kLeave, [&] {
        CLeaveDialog& dialog = *o.app->Leave();
        EXPECT_FALSE(dialog.WithholdButton().isEnabled());  // no row chosen
        dialog.Grants().setCurrentCell(1, 0, QItemSelectionModel::NoUpdate);
        EXPECT_FALSE(dialog.WithholdButton().isEnabled());  // current is no choice
        const std::string before = ledger();

        dialog.Grants().selectRow(1);
        ASSERT_TRUE(dialog.WithholdButton().isEnabled());
        o.prompt->nobodyAnswers = true;
        dialog.OnWithhold();
        ASSERT_FALSE(o.prompt->questions.empty());
        EXPECT_EQ(o.prompt->questions.back(),
                  "山田さんの 2025/10/01 "
                  "の付与を見送りますか？\n（基準日までの1年の出勤率が8割に満たないとき）");
        EXPECT_EQ(ledger(), before);

        o.prompt->nobodyAnswers = false;
        dialog.Grants().selectRow(1);
        dialog.OnWithhold();
        EXPECT_EQ(dialog.Grants().item(1, 1)->text(), QString::fromUtf8("0（見送り）"));
        EXPECT_NE(ledger().find("2025/10/01\t0（見送り）"), std::string::npos) << ledger();
        dialog.Grants().selectRow(1);
        EXPECT_EQ(dialog.WithholdButton().text(), QString::fromUtf8("見送りを取り消す…"));
        EXPECT_GE(dialog.WithholdButton().width(), dialog.WithholdButton().sizeHint().width());
        test::SaveScreenshot(dialog.grab().toImage(), "leave-withheld");

        // The first grant already gave a day: withholding it is refused and changes nothing.
        const std::string withheld = ledger();
        const auto said = o.prompt->messages.size();
        dialog.Grants().selectRow(0);
        EXPECT_EQ(dialog.WithholdButton().text(), QString::fromUtf8("付与を見送る…"));
        dialog.OnWithhold();
        ASSERT_GT(o.prompt->messages.size(), said);
        EXPECT_EQ(o.prompt->messages.back(),
                  "山田さんの 2024/10/01 の付与からは、すでに取得した日があるため見送れません。"
                  "先にその取得日を取り消してください。");
        EXPECT_EQ(ledger(), withheld);

        dialog.Grants().selectRow(1);
        dialog.OnWithhold();
        EXPECT_EQ(o.prompt->questions.back(),
                  "山田さんの 2025/10/01 の付与の見送りを取り消し、付与しますか？");
        EXPECT_EQ(ledger(), before);
        EXPECT_EQ(dialog.Grants().item(1, 1)->text(), QString::fromUtf8("11"));
        shown = true;
        dialog.accept();
    });
    EXPECT_TRUE(shown);
}

TEST(LeaveScreen, TheRecordEditScreenShowsTheLeaveDaysAndNoMissingTimeOnThem) {
    Office o;
    ASSERT_EQ(test::RunCli(o.t.dir.Path(), "leave set --name 山田 --hired 2024-04-01").exitCode, 0);
    ASSERT_EQ(test::RunCli(o.t.dir.Path(), "leave take --name 山田 --date 2026-12-01").exitCode, 0);
    ASSERT_EQ(
        test::RunCli(o.t.dir.Path(), "leave take --name 山田 --date 2026-12-02 --half am").exitCode,
        0);
    ASSERT_TRUE(o.app->InitInstance());
    test::Settle(*o.app);
    bool shown = false;
    test::RunAfterLogin(*o.app, CMainFrame::kEditRecords, [&] {
        CReportEditDialog& dialog = *o.app->ReportEdit();
        auto* model = dialog.Grid().model();
        EXPECT_EQ(model->index(0, 3).data().toString(), QString::fromUtf8("有休"));
        EXPECT_EQ(model->index(1, 3).data().toString(), QString::fromUtf8("午前有休"));
        EXPECT_TRUE(dialog.Totals().text().contains(QString::fromUtf8("有休: 1.5日")))
            << dialog.Totals().text().toStdString();
        EXPECT_TRUE(dialog.Totals().text().contains(QString::fromUtf8("打刻漏れ: 0日")));
        shown = true;
        dialog.reject();
    });
    EXPECT_TRUE(shown);
}

}  // namespace stampwell
