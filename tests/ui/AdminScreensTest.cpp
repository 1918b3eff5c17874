// The administrator screens as a user meets them: the login in front of the menu command, the
// administrator list, the entry form and the card dialog, and the first run.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiSupport.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "people/AdminAddDialog.h"
#include "people/AdminLoginDialog.h"
#include "people/AdminModifyDialog.h"
#include "people/CardRegisterDialog.h"
#include "platform/LocalTime.h"
#include "screen/TimeRegisterView.h"
#include "store/IAdminStore.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {
using V = CTimeRegisterView;

namespace {
constexpr const char* kAdminCard = "0123456789ABCDEF";
constexpr const char* kEmployeeCard = "012E00FF12345678";
constexpr const char* kFreeCard = "00112233445566FF";

// A time clock on a temp folder; `admins` false starts with no administrator (the first run).
struct Clock {
    explicit Clock(bool admins = true) {
        if (admins) {
            EXPECT_EQ(test::RunCli(t.dir.Path(), "admins add --id admin --password pw --card " +
                                                     std::string(kAdminCard))
                          .exitCode,
                      0);
        }
        EXPECT_EQ(test::RunCli(t.dir.Path(),
                               "users add --card " + std::string(kEmployeeCard) + " --name 山田")
                      .exitCode,
                  0);
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    void Hold(const std::string& card) { test::WriteBytes(t.dir / "card", card + "\n"); }
    void TakeAway() { test::WriteBytes(t.dir / "card", ""); }
    // Runs body once the modal loop that is about to start is running.
    // Runs body once a modal dialog is open (the first-run check waits for the clock's window
    // to be on the screen before it opens the administrator list).
    static void Then(std::function<void()> body) {
        auto* poll = new QTimer();  // deletes itself once it has run body
        QObject::connect(poll, &QTimer::timeout, [poll, body = std::move(body)] {
            if (QApplication::activeModalWidget() == nullptr) return;
            poll->stop();
            poll->deleteLater();
            body();
        });
        poll->start(10);
    }
    void Menu(int command) { app->Frame()->Command(command)->trigger(); }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};

// Fills and confirms an administrator form run from the list.
std::function<int(CAdminAddDialog&)> FillForm(const std::string& id, const std::string& password,
                                              const std::string& confirm) {
    return [=](CAdminAddDialog& form) {
        form.Prepare();
        form.IdField().setText(QString::fromStdString(id));
        form.PasswordField().setText(QString::fromStdString(password));
        form.ConfirmField().setText(QString::fromStdString(confirm));
        form.OnOk();
        return form.result();
    };
}

void Select(QListWidget& list, const QString& id) {
    auto found = list.findItems(id, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list.setCurrentItem(found.front());
}
}  // namespace

TEST(AdminScreens, ThePasswordLoginOpensTheListAndBusyIsClearedAfterwards) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    QAction* admins = c.app->Frame()->Command(CMainFrame::kAdmins);
    ASSERT_TRUE(admins->isEnabled());
    bool listShown = false;
    Clock::Then([&] {
        CAdminLoginDialog* login = c.app->Login();
        EXPECT_TRUE(login->isVisible());
        EXPECT_TRUE(c.app->Controller()->IsBusy());
        EXPECT_EQ(login->windowTitle(), QString::fromUtf8("管理者認証"));
        EXPECT_EQ(login->PasswordField().echoMode(), QLineEdit::Password);
        test::SaveScreenshot(login->grab().toImage(), "admin-login");
        login->OnOk();  // empty fields
        EXPECT_EQ(c.prompt->messages.back(), "登録名またはパスが未入力です");
        login->IdField().setText(QStringLiteral("admin"));
        login->PasswordField().setText(QStringLiteral("PW"));
        login->OnOk();
        EXPECT_EQ(c.prompt->messages.back(), "登録名またはパスが異なります。");
        EXPECT_FALSE(login->IsTimerActive(CAdminLoginDialog::kTimeoutTimer));
        login->PasswordField().setText(QStringLiteral("pw"));
        Clock::Then([&] {
            CAdminModifyDialog* list = c.app->Admins();
            listShown = list->isVisible();
            EXPECT_TRUE(c.app->Controller()->IsBusy());
            EXPECT_EQ(list->List().count(), 1);
            test::SaveScreenshot(list->grab().toImage(), "admin-list");
            list->OnClose();
        });
        login->OnOk();
    });
    c.Menu(CMainFrame::kAdmins);
    EXPECT_TRUE(listShown);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
    EXPECT_FALSE(c.app->Login()->IsTimerActive(CAdminLoginDialog::kPollTimer));
    EXPECT_EQ(c.app->Controller()->GetAdminStore()->GetLoginId(), "admin");
}

TEST(AdminScreens, AnAdministratorCardLogsInAndAnEmployeeCardWaitsForTheScreen) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    V* screen = c.app->Screen();
    bool listShown = false;
    Clock::Then([&] {
        CAdminLoginDialog* login = c.app->Login();
        // An employee's card during the login: not read by the screen, refused by the login.
        c.Hold(kEmployeeCard);
        screen->OnTimer(V::kPollTimer);
        test::Settle(*c.app);
        EXPECT_FALSE(screen->IsResultShown());
        login->OnTimer(CAdminLoginDialog::kPollTimer);
        EXPECT_EQ(c.prompt->messages.back(), "管理者認証用として登録されていないカードです。");
        EXPECT_TRUE(login->IsTimerActive(CAdminLoginDialog::kPollTimer));
        c.Hold(kAdminCard);
        Clock::Then([&] {
            listShown = c.app->Admins()->isVisible();
            c.app->Admins()->OnClose();
        });
        login->OnTimer(CAdminLoginDialog::kPollTimer);
    });
    c.Menu(CMainFrame::kAdmins);
    EXPECT_TRUE(listShown);
    // Back on the screen the card on the reader is read as usual.
    c.Hold(kEmployeeCard);
    screen->OnTimer(V::kPollTimer);
    test::Settle(*c.app);
    EXPECT_TRUE(screen->IsResultShown());
}

TEST(AdminScreens, ACancelledOrTimedOutLoginOpensNothing) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    bool listShown = false;
    Clock::Then([&] { c.app->Login()->reject(); });
    c.Menu(CMainFrame::kAdmins);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
    EXPECT_FALSE(c.app->Admins()->isVisible());

    // Timer.txt says 1 s: the login cancels itself without any input.
    test::WriteBytes(c.t.dir / "Timer.txt", "1");
    QElapsedTimer waited;
    waited.start();
    Clock::Then([&] { listShown = c.app->Admins()->isVisible(); });
    c.Menu(CMainFrame::kAdmins);
    EXPECT_GE(waited.elapsed(), 900);
    EXPECT_LT(waited.elapsed(), 5000);
    EXPECT_FALSE(listShown);
    EXPECT_EQ(c.app->Login()->result(), QDialog::Rejected);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
}

TEST(AdminScreens, ARefusalDuringATimeOutNeitherRestartsPollingNorOpensASecondBox) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    CAdminLoginDialog* login = c.app->Login();
    login->Prepare();
    login->show();
    c.Hold(kEmployeeCard);
    // A second tick arrives while the refusal is open: no second box.
    c.prompt->whileShown = [&] { login->OnTimer(CAdminLoginDialog::kPollTimer); };
    login->OnTimer(CAdminLoginDialog::kPollTimer);
    EXPECT_EQ(c.prompt->messages.size(), 1u);
    // The waiting time runs out while the refusal is open: the dialog closes for good.
    c.prompt->whileShown = [&] { login->OnTimer(CAdminLoginDialog::kTimeoutTimer); };
    login->OnTimer(CAdminLoginDialog::kPollTimer);
    EXPECT_EQ(login->result(), QDialog::Rejected);
    EXPECT_FALSE(login->isVisible());
    EXPECT_FALSE(login->IsTimerActive(CAdminLoginDialog::kPollTimer));
    EXPECT_FALSE(login->IsTimerActive(CAdminLoginDialog::kTimeoutTimer));
}

TEST(AdminScreens, FirstRunRegistersTheFirstAdministratorWithACardAndNoLogin) {
    Clock c(false);
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    CAdminModifyDialog* list = c.app->Admins();
    list->SetAddDialogRunner([&](CAdminAddDialog& form) {
        form.Prepare();
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("管理者登録"));
        EXPECT_EQ(form.CardState().text(), QString::fromUtf8("未登録"));
        EXPECT_FALSE(form.ClearCardButton().isEnabled());
        test::SaveScreenshot(form.grab().toImage(), "admin-add");
        form.SetCardDialogRunner([&](CCardRegisterDialog& card) {
            card.Prepare();
            card.show();
            test::SaveScreenshot(card.grab().toImage(), "admin-card");
            card.OnTimer();  // nothing on the reader yet
            EXPECT_TRUE(card.IsPolling());
            c.Hold(kFreeCard);
            card.OnTimer();
            EXPECT_FALSE(card.IsPolling());
            return card.result();
        });
        form.OnRegisterCard();
        EXPECT_EQ(form.CardState().text(), QString::fromUtf8("登録済"));
        EXPECT_FALSE(form.RegisterCardButton().isEnabled());
        form.IdField().setText(QString::fromUtf8("管理者"));
        form.PasswordField().setText(QStringLiteral("first"));
        form.ConfirmField().setText(QStringLiteral("first"));
        form.OnOk();
        return form.result();
    });
    bool busyDuringList = false;
    Clock::Then([&] {
        busyDuringList = c.app->Controller()->IsBusy();
        EXPECT_EQ(list->List().count(), 0);
        list->OnNew();
        EXPECT_EQ(list->List().count(), 1);
        list->OnClose();
    });
    // Start-up's first-run check runs from the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return busyDuringList && !list->isVisible(); }, 20000));
    EXPECT_EQ(c.prompt->messages.front(),
              "管理者が登録されていません。\n新規に管理者を登録してください。");
    EXPECT_TRUE(busyDuringList);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(test::RunCli(c.t.dir.Path(), "admins list").out, "管理者 (カード登録あり)\n");
    EXPECT_EQ(c.app->Controller()->GetAdminStore()->GetLoginId(), "管理者");

    // The same administrator by the command-line tool gives the same bytes.
    test::CTempDir other;
    test::RunCli(other.Path(),
                 "admins add --id 管理者 --password first --card " + std::string(kFreeCard));
    EXPECT_EQ(test::ReadBytes(c.t.dir / "Admin.dat"), test::ReadBytes(other / "Admin.dat"));
}

TEST(AdminScreens, ClosingAnEmptyListEndsTheProgramOnlyWhenTheAnswerIsYes) {
    Clock c(false);
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    CAdminModifyDialog* list = c.app->Admins();
    Clock::Then([&] {
        c.prompt->yesNo = false;
        list->OnClose();
        EXPECT_TRUE(list->isVisible());  // "いいえ": the list stays
        c.prompt->yesNo = true;
        list->reject();  // the close box asks the same
    });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return list->IsQuitRequested() && !list->isVisible(); }, 20000));
    EXPECT_TRUE(list->IsQuitRequested());
    EXPECT_FALSE(list->isVisible());
    EXPECT_FALSE(c.app->Frame()->isVisible());  // the program ends
    EXPECT_FALSE(c.app->Controller()->IsBusy());
}

TEST(AdminScreens, TheListKeepsItsRules) {
    Clock c;
    test::RunCli(c.t.dir.Path(), "admins add --id clerk --password pw2");
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.app->Controller()->GetAdminStore()->SetLoginId("admin");
    CAdminModifyDialog* list = c.app->Admins();
    list->Prepare();
    list->show();
    EXPECT_EQ(list->List().count(), 2);

    // Renaming to another administrator's ID is refused; to the same ID allowed.
    Select(list->List(), QStringLiteral("clerk"));
    list->SetAddDialogRunner([&](CAdminAddDialog& form) {
        form.Prepare();
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("管理者変更"));
        EXPECT_EQ(form.IdField().text(), QStringLiteral("clerk"));
        test::SaveScreenshot(form.grab().toImage(), "admin-change");
        form.IdField().setText(QStringLiteral("admin"));
        form.OnOk();
        EXPECT_EQ(c.prompt->messages.back(), "既に登録された登録名です。");
        form.IdField().setText(QStringLiteral("clerk"));
        form.PasswordField().setText(QStringLiteral("new"));
        form.ConfirmField().setText(QStringLiteral("new"));
        form.OnOk();
        return form.result();
    });
    list->OnChange();
    EXPECT_TRUE(c.app->Controller()->GetAdminStore()->LoginWithPassword("clerk", "new"));
    c.app->Controller()->GetAdminStore()->SetLoginId("admin");

    // The one logged in cannot delete himself.
    Select(list->List(), QStringLiteral("admin"));
    list->OnDelete();
    EXPECT_EQ(c.prompt->messages.back(), "ログインしている管理者は削除できません。");

    // At most three.
    list->SetAddDialogRunner(FillForm("third", "pw3", "pw3"));
    list->OnNew();
    EXPECT_EQ(list->List().count(), 3);
    // The one just added is the visible choice.
    ASSERT_EQ(list->List().selectedItems().size(), 1);
    EXPECT_EQ(list->List().selectedItems().front()->text(), QStringLiteral("third"));
    list->OnNew();
    EXPECT_EQ(c.prompt->messages.back(), "これ以上の管理者は作成できません。");

    // The card dialog refuses the card another administrator holds.
    CCardRegisterDialog card(*c.app->Controller(), list);
    card.Prepare();
    c.Hold(kAdminCard);
    card.OnTimer();
    EXPECT_EQ(c.prompt->messages.back(), "既に登録されたカードです。");
    EXPECT_TRUE(card.IsPolling());
    card.reject();
    EXPECT_FALSE(card.IsPolling());

    Select(list->List(), QStringLiteral("third"));
    list->OnDelete();
    EXPECT_EQ(c.prompt->questions.back(), "管理者「third」を削除しますか？");
    EXPECT_EQ(list->List().count(), 2);
    // Nothing is chosen after a delete: 変更 changes nobody.
    EXPECT_TRUE(list->List().selectedItems().isEmpty());
    bool changeOpened = false;
    list->SetAddDialogRunner([&](CAdminAddDialog&) {
        changeOpened = true;
        return 0;
    });
    list->OnChange();
    EXPECT_FALSE(changeOpened);
    list->OnClose();
    EXPECT_EQ(test::RunCli(c.t.dir.Path(), "admins list").out,
              "admin (カード登録あり)\nclerk (カード未登録)\n");
}

TEST(AdminScreens, ChimeAndVersionNeedNoLogin) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.Menu(CMainFrame::kChime);
    EXPECT_FALSE(c.app->Login()->isVisible());
    EXPECT_FALSE(c.app->Controller()->IsBusy());
    Clock::Then([] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    c.Menu(CMainFrame::kVersion);
    EXPECT_FALSE(c.app->Login()->isVisible());
}

TEST(AdminScreens, HelpOpensTheGuideAndTheVersionBoxShowsThisProgram) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    EXPECT_EQ(c.app->Frame()->Command(CMainFrame::kGuide)->text(), QString::fromUtf8("使い方(&H)"));
    std::vector<std::filesystem::path> opened;
    c.app->SetGuideOpener([&](const std::filesystem::path& page) {
        opened.push_back(page);
        return true;
    });
    c.Menu(CMainFrame::kGuide);
    ASSERT_EQ(opened.size(), 1u);
    // The page made from the guide at build time, with its pictures beside it.
    const std::string page = test::ReadBytes(opened[0]);
    EXPECT_NE(page.find("<title>Stampwell 利用者向け説明書</title>"), std::string::npos);
    EXPECT_NE(page.find("id=\"管理者の方へ\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(opened[0].parent_path() / "config.png"));
    EXPECT_TRUE(c.prompt->messages.empty());
    // No browser: where the guide is, said in words.
    c.app->SetGuideOpener([](const std::filesystem::path&) { return false; });
    c.Menu(CMainFrame::kGuide);
    ASSERT_EQ(c.prompt->messages.size(), 1u);
    EXPECT_NE(c.prompt->messages[0].find(opened[0].string()), std::string::npos);

    QString shown;
    Clock::Then([&shown] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        for (auto* label : box->findChildren<QLabel*>()) shown += label->text() + "\n";
        box->close();
    });
    c.Menu(CMainFrame::kVersion);
    EXPECT_TRUE(shown.contains(QStringLiteral("Stampwell Ver" STAMPWELL_TEST_VERSION " 20")))
        << shown.toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral("2011")));
}

}  // namespace stampwell
