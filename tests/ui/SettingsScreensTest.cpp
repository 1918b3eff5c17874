// The settings and mail screens as an administrator uses them after the login.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "UiSupport.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "mail/MailQueue.h"
#include "people/AdminLoginDialog.h"
#include "pgstore/PgConnection.h"
#include "platform/LocalTime.h"
#include "screen/TimeRegisterView.h"
#include "settings/ConfigDialog.h"
#include "settings/EnvironmentSettings.h"
#include "settings/SendMailDetailDialog.h"
#include "settings/SendMailDialog.h"
#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/SmtpServer.h"
#include "support/TestSupport.h"

namespace stampwell {
using V = CTimeRegisterView;

namespace {
struct Clock {
    explicit Clock(const std::string& style = "") {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        test::RunCli(t.dir.Path(), "admins add --id admin --password pw");
        test::RunCli(t.dir.Path(),
                     "users add --card 012E00FF12345678 --name 山田 --mail-name 課長 "
                     "--mail-address kacho@example.com");
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    // The menu command after a password login.
    void Menu(int command) { test::RunAfterLogin(*app, command); }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};

void Type(QLineEdit& field, const QString& text) {
    field.setFocus();
    field.selectAll();
    field.clear();
    QTest::keyClicks(&field, text);
    emit field.editingFinished();  // as when the field is left
}
}  // namespace

TEST(SettingsScreens, TheClockIsSentToTheCompanyDatabaseFromTheSettingsWindowAndTapsGoThere) {
    Clock c;
    const std::string office = test::PgOfficeFor(c.t.dir.Path());
    const auto imported = test::RunCli(
        c.t.dir.Path(), "db import '" + c.t.dir.Path().string() + "' --database '" + office + "'");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.Menu(CMainFrame::kEnvironment);
    CConfigDialog* config = c.app->Config();
    ASSERT_TRUE(config->FolderChoice().isChecked());
    EXPECT_FALSE(config->DatabaseField().isEnabled());
    QTest::mouseClick(&config->DatabaseChoice(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(config->DatabaseChoice().isChecked());
    EXPECT_TRUE(config->DatabaseField().isEnabled());
    // A string with a password is refused, and the window stays with what was typed.
    Type(config->DatabaseField(), QString::fromStdString(office + " password=x"));
    config->SiteField().setText(QString::fromUtf8("本社"));  // typed through an input method
    config->OnOk();
    test::Settle(*c.app);
    EXPECT_NE(test::LastOf(c.prompt->messages).find("パスワードは書けません"), std::string::npos);
    EXPECT_TRUE(config->isVisible());
    EXPECT_FALSE(std::filesystem::exists(c.t.dir / "Store.txt"));
    test::SaveScreenshot(config->grab().toImage(), "settings-database");

    Type(config->DatabaseField(), QString::fromStdString(office));
    config->OnOk();
    test::Settle(*c.app);
    ASSERT_FALSE(config->isVisible()) << test::LastOf(c.prompt->messages);
    V* screen = c.app->Screen();
    test::WriteBytes(c.t.dir / "card", "012E00FF12345678\n");
    screen->OnTimer(V::kPollTimer);
    test::Settle(*c.app);
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("09:05 勤務開始"));
    std::string why;
    auto connection = CPgConnection::Open(office, why);
    ASSERT_TRUE(connection) << why;
    const auto rows = connection->Exec(
        "SELECT w.time, s.name FROM stampwell.work_records w JOIN stampwell.sites s "
        "ON s.id = w.site_id");
    ASSERT_EQ(rows.Rows(), 1);
    EXPECT_EQ(rows.Value(0, 0), "09:05");
    EXPECT_EQ(rows.Value(0, 1), "本社");
    EXPECT_FALSE(std::filesystem::exists(c.t.dir / "KINTAI.dat"));
}

TEST(SettingsScreens, EnvironmentSettingsChangeWhatTheClockUsesOnceSaved) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    QAction* command = c.app->Frame()->Command(CMainFrame::kEnvironment);
    ASSERT_TRUE(command->isEnabled());
    c.Menu(CMainFrame::kEnvironment);
    CConfigDialog* config = c.app->Config();
    ASSERT_TRUE(config->isVisible());
    EXPECT_FALSE(config->isModal());
    EXPECT_FALSE(c.app->Controller()->IsBusy());  // modeless: the screen goes on reading cards
    EXPECT_EQ(config->DayChangeField().text(), QStringLiteral("0"));
    EXPECT_EQ(config->SwitchField().text(), QStringLiteral("14"));
    EXPECT_FALSE(config->BackupBox().isChecked());
    EXPECT_FALSE(config->BrowseButton(CConfigDialog::kBackupPath).isEnabled());

    // The hour rules as a user meets them: what is typed stays as typed (never a silent 0).
    Type(config->DayChangeField(), QStringLiteral("134"));
    EXPECT_EQ(config->DayChangeField().text(), QStringLiteral("13"));  // a third digit is refused
    Type(config->SwitchField(), QStringLiteral("abc"));
    EXPECT_EQ(config->SwitchField().text(), QString());  // digits only
    Type(config->SwitchField(), QStringLiteral("99"));
    EXPECT_EQ(config->SwitchField().text(), QStringLiteral("99"));
    // Up and Down (keys and buttons) step inside the range.
    QTest::keyClick(&config->SwitchField(), Qt::Key_Down);
    EXPECT_EQ(config->SwitchField().text(), QStringLiteral("23"));
    QTest::keyClick(&config->SwitchField(), Qt::Key_Up);
    EXPECT_EQ(config->SwitchField().text(), QStringLiteral("23"));
    config->DayChangeField().setText(QStringLiteral("0"));
    QTest::keyClick(&config->DayChangeField(), Qt::Key_Down);
    EXPECT_EQ(config->DayChangeField().text(), QStringLiteral("0"));
    config->DayChangeField().setText(QStringLiteral("12"));
    config->StepHour(config->DayChangeField(), 12, 1);
    EXPECT_EQ(config->DayChangeField().text(), QStringLiteral("12"));
    QStringList arrows;
    for (auto* button : config->findChildren<QToolButton*>()) arrows << button->accessibleName();
    EXPECT_TRUE(arrows.contains(QString::fromUtf8("出退社切換え時刻を1時間後にする")));
    EXPECT_TRUE(arrows.contains(QString::fromUtf8("日付更新時刻を1時間前にする")));

    // An hour out of range confirmed with Enter and OK: refused with its range, the window
    // stays open, nothing is saved.
    config->DayChangeField().setText(QStringLiteral("0"));
    config->SwitchField().setText(QStringLiteral("99"));
    QTest::keyClick(&config->SwitchField(), Qt::Key_Return);
    config->OnOk();
    EXPECT_EQ(c.prompt->messages.back(), "出退社切換え時刻は0～23の範囲で入力してください。");
    EXPECT_TRUE(config->isVisible());
    EXPECT_FALSE(std::filesystem::exists(c.t.dir / "Setting.txt"));
    EXPECT_EQ(c.app->Controller()->GetSettings()->GetSwitchHour(), 14);
    // An emptied field is no hour: refused the same way, never saved as 0.
    for (QLineEdit* field : {&config->SwitchField(), &config->DayChangeField()}) {
        config->DayChangeField().setText(QStringLiteral("0"));
        config->SwitchField().setText(QStringLiteral("14"));
        field->clear();
        config->OnOk();
        EXPECT_NE(c.prompt->messages.back().find("の範囲で入力してください。"), std::string::npos);
        EXPECT_TRUE(config->isVisible());
        EXPECT_FALSE(std::filesystem::exists(c.t.dir / "Setting.txt"));
    }
    config->DayChangeField().setText(QStringLiteral("0"));
    config->SwitchField().setText(QStringLiteral("99"));

    // A chooser that gives a file that does not exist yet; Cancel restores the path.
    const QString shared = QString::fromStdString((c.t.dir / "share" / "KINTAI.dat").string());
    config->SetChooser([&](CConfigDialog::EPath, const QString&) { return shared; });
    const QString before = config->PathField(CConfigDialog::kWorkPath).text();
    config->OnBrowse(CConfigDialog::kWorkPath);
    EXPECT_EQ(config->PathField(CConfigDialog::kWorkPath).text(), shared);
    config->reject();
    EXPECT_FALSE(config->isVisible());
    config->Open();
    EXPECT_EQ(config->PathField(CConfigDialog::kWorkPath).text(), before);

    config->DayChangeField().setText(QStringLiteral("0"));
    config->SwitchField().setText(QStringLiteral("12"));
    config->BackupBox().setChecked(true);
    EXPECT_TRUE(config->BrowseButton(CConfigDialog::kBackupPath).isEnabled());
    test::SaveScreenshot(config->grab().toImage(), "config");
    config->OnOk();
    EXPECT_FALSE(config->isVisible());
    EXPECT_EQ(c.app->Controller()->GetSettings()->GetDayChangeHour(), 0);
    auto shown = test::RunCli(c.t.dir.Path(), "settings show").out;
    EXPECT_NE(shown.find("出退社切換え時刻: 12"), std::string::npos) << shown;
    EXPECT_NE(shown.find("バックアップ: する"), std::string::npos);

    // A day-change hour of 10: the next tap at 09:05 belongs to the previous working day.
    config->Open();
    config->DayChangeField().setText(QStringLiteral("10"));
    config->OnOk();
    test::WriteBytes(c.t.dir / "card", "012E00FF12345678\n");
    c.app->Screen()->OnTimer(V::kPollTimer);
    test::Settle(*c.app);
    EXPECT_EQ(c.app->Screen()->ControlText(V::kResult), QString::fromUtf8("33:05 勤務開始"));
    EXPECT_NE(test::RunCli(c.t.dir.Path(), "records").out.find("2011/08/24,33:05,"),
              std::string::npos);
}

TEST(SettingsScreens, AFailedSaveKeepsTheDialogAndTheRunningValues) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.Menu(CMainFrame::kEnvironment);
    CConfigDialog* config = c.app->Config();
    config->SetChooser(
        [](CConfigDialog::EPath, const QString&) { return QStringLiteral("C:\\a,b\\KINTAI.dat"); });
    config->OnBrowse(CConfigDialog::kWorkPath);
    config->DayChangeField().setText(QStringLiteral("4"));
    config->OnOk();
    EXPECT_EQ(c.prompt->messages.back(),
              "設定を保存できませんでした。\n保存先を確認してください。");
    EXPECT_TRUE(config->isVisible());
    EXPECT_EQ(config->DayChangeField().text(), QStringLiteral("4"));  // the typed values stay
    EXPECT_EQ(c.app->Controller()->GetSettings()->GetDayChangeHour(), 0);
    EXPECT_NE(c.app->Controller()->GetSettings()->GetWorkFilePath().find("KINTAI.dat"),
              std::string::npos);
    EXPECT_EQ(c.app->Controller()->GetSettings()->GetWorkFilePath().find(","), std::string::npos);
}

TEST(SettingsScreens, MailSettingsFromTheScreensMakeATapSendMail) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    test::CSmtpServer server(c.t.dir / "smtp", "--auth clock:secret");
    c.app->SetMailDialogRunner([&](CSendMailDialog& mail) {
        mail.Prepare();
        mail.show();
        EXPECT_TRUE(c.app->Controller()->IsBusy());
        // No SendMail.txt: on, empty, enabled.
        EXPECT_TRUE(mail.MailSwitch().isChecked());
        EXPECT_TRUE(mail.Title().isEnabled());
        EXPECT_EQ(mail.Label(CSendMailDialog::kTitleLabel).text(),
                  QString::fromUtf8("出勤時の件名"));
        mail.MailSwitch().setChecked(false);
        for (QWidget* w :
             {static_cast<QWidget*>(&mail.Title()), static_cast<QWidget*>(&mail.InText()),
              static_cast<QWidget*>(&mail.DetailButton()),
              static_cast<QWidget*>(&mail.HelpButton())}) {
            EXPECT_FALSE(w->isEnabled());
        }
        mail.MailSwitch().setChecked(true);
        mail.OnHelp();
        EXPECT_EQ(c.prompt->messages.back().substr(0, 28), "メッセージの書き方\n");
        mail.SendName().setText(QString::fromUtf8("勤怠システム"));
        mail.SendAddress().setText(QStringLiteral("clock@example.com"));
        mail.Title().setText(QString::fromUtf8("#nameさんが出社しました"));
        mail.InText().setPlainText(QString::fromUtf8("#nameさんが出社しました。\n時刻: #time\n"));
        mail.Title2().setText(QString::fromUtf8("退社"));
        mail.OutText().setPlainText(QString::fromUtf8("#nameさんが退社しました。"));
        mail.SetDetailRunner([&](CSendMailDetailDialog& detail) {
            detail.Prepare();
            detail.show();
            EXPECT_EQ(detail.Password().echoMode(), QLineEdit::Password);
            detail.ServerName().setText(QStringLiteral("127.0.0.1"));
            detail.Port().setText(QString::number(server.Port()));
            detail.Authentication().setChecked(true);
            detail.UserId().setText(QStringLiteral("clock"));
            detail.Password().setText(QStringLiteral("wrong"));
            // The test mail reports each outcome, with the values on screen, unsaved.
            detail.TestAddress().setText(QStringLiteral("admin@example.com"));
            EXPECT_TRUE(detail.OnTestSend());
            EXPECT_FALSE(detail.TestButton().isEnabled());  // one at a time
            EXPECT_TRUE(QTest::qWaitFor([&] { return !detail.IsTestRunning(); }, 20000));
            EXPECT_NE(c.prompt->messages.back().find("認証"), std::string::npos);
            detail.Password().setText(QStringLiteral("secret"));
            EXPECT_TRUE(detail.OnTestSend());
            EXPECT_TRUE(QTest::qWaitFor([&] { return !detail.IsTestRunning(); }, 20000));
            EXPECT_EQ(c.prompt->messages.back(), "テストメールを送信しました。");
            test::SaveScreenshot(detail.grab().toImage(), "mail-detail");
            detail.OnOk();
            return detail.result();
        });
        mail.OnDetail();
        test::SaveScreenshot(mail.grab().toImage(), "mail");
        mail.OnOk();
    });
    c.Menu(CMainFrame::kMail);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
    EXPECT_EQ(std::filesystem::status(c.t.dir / "SendMailDetail.txt").permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // The texts reopen exactly as typed.
    c.app->SetMailDialogRunner([&](CSendMailDialog& mail) {
        mail.Prepare();
        EXPECT_EQ(mail.InText().toPlainText(),
                  QString::fromUtf8("#nameさんが出社しました。\n時刻: #time\n"));
        mail.reject();
    });
    c.Menu(CMainFrame::kMail);

    // A tap now mails the employee's recipient.
    const auto before = server.Messages().size();
    test::WriteBytes(c.t.dir / "card", "012E00FF12345678\n");
    c.app->Screen()->OnTimer(V::kPollTimer);
    test::Settle(*c.app);
    c.app->Controller()->MailQueue().WaitIdle();
    auto messages = server.Messages();
    ASSERT_EQ(messages.size(), before + 1);
    EXPECT_EQ(test::DecodeHeader(test::HeaderOf(messages.back(), "Subject")),
              "#nameさんが出社しました");  // subjects keep their placeholders
    EXPECT_EQ(test::BodyOf(messages.back()),
              "山田さんが出社しました。\r\n時刻: 2011/08/25 09:05\r\n");
}

TEST(SettingsScreens, RoomWordingAndAFailedMailSave) {
    Clock c("2");
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    std::filesystem::create_directory(c.t.dir / "SendMail.txt");  // cannot be replaced
    bool stayed = false;
    c.app->SetMailDialogRunner([&](CSendMailDialog& mail) {
        mail.Prepare();
        mail.show();
        EXPECT_EQ(mail.Label(CSendMailDialog::kInLabel).text(),
                  QString::fromUtf8("入室時のメッセージ"));
        EXPECT_EQ(mail.Label(CSendMailDialog::kOutLabel).text(),
                  QString::fromUtf8("退室時のメッセージ"));
        mail.OnOk();
        stayed = mail.isVisible();
        mail.reject();
    });
    c.Menu(CMainFrame::kMail);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(c.prompt->messages.back(),
              "設定を保存できませんでした。\n保存先を確認してください。");
}

}  // namespace stampwell
