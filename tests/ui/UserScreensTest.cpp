// The employee screens as an administrator uses them: log in, open ユーザー情報, register a new
// employee with a card from the reader, change and delete.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "UiSupport.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "people/AdminLoginDialog.h"
#include "people/UserInfoDialog.h"
#include "people/UserRegisterDialog.h"
#include "platform/LocalTime.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {
struct Clock {
    explicit Clock(const std::string& style = "") {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        test::RunCli(t.dir.Path(), "admins add --id admin --password pw");
        test::RunCli(t.dir.Path(), "users add --card 012E00FF12345678 --name 山田");
        test::RunCli(t.dir.Path(), "users add --card 0123456789ABCDEF --name 鈴木");
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    void Hold(const std::string& card) { test::WriteBytes(t.dir / "card", card + "\n"); }
    // Logs in by password, then runs body on the employee list.
    void WithUsers(std::function<void(CUserInfoDialog&)> body) {
        app->SetUserDialogRunner([body](CUserInfoDialog& users) {
            users.Prepare();
            users.show();
            body(users);
        });
        test::RunAfterLogin(*app, CMainFrame::kUsers);
    }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};

void Select(QListWidget& list, const char* name) {
    auto found = list.findItems(QString::fromUtf8(name), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list.setCurrentItem(found.front());
}
}  // namespace

TEST(UserScreens, RegisterChangeAndDeleteAfterTheLogin) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    bool busy = false;
    c.WithUsers([&](CUserInfoDialog& users) {
        busy = c.app->Controller()->IsBusy();
        EXPECT_EQ(users.windowTitle(), QString::fromUtf8("ユーザー情報"));
        ASSERT_EQ(users.List().count(), 2);
        EXPECT_EQ(users.List().currentRow(), 0);
        test::SaveScreenshot(users.grab().toImage(), "user-list");

        users.SetRegisterDialogRunner([&](CUserRegisterDialog& form) {
            form.Prepare();
            form.show();
            EXPECT_EQ(form.windowTitle(), QString::fromUtf8("新規ユーザー登録"));
            EXPECT_EQ(form.CardState().text(), QString::fromUtf8("カード未登録"));
            EXPECT_EQ(form.Instruction().text(),
                      QString::fromUtf8(
                          "出退勤登録に使用するFeliCaカードをセンサーにかざしてください。"));
            form.NameField().setText(QString::fromUtf8("伊藤"));
            form.OnOk();  // no card yet
            EXPECT_EQ(c.prompt->messages.back(), "登録名またはカードが未登録です");
            c.Hold("012E00FF12345678");  // 山田's card
            form.OnTimer();
            EXPECT_EQ(c.prompt->messages.back(), "すでに登録されているカードです。");
            c.Hold("00000000000000A1");
            form.OnTimer();
            EXPECT_EQ(c.prompt->messages.back(), "カードが登録されました。");
            EXPECT_EQ(form.CardState().text(), QString::fromUtf8("カード登録済"));
            EXPECT_TRUE(form.IsPolling());
            form.MailNameField().setText(QString::fromUtf8("課長"));
            form.MailAddressField().setText(QStringLiteral("kacho@example.com"));
            test::SaveScreenshot(form.grab().toImage(), "user-register");
            form.OnOk();
            EXPECT_FALSE(form.IsPolling());
            return form.result();
        });
        users.OnNew();
        EXPECT_EQ(users.List().count(), 3);

        Select(users.List(), "伊藤");
        users.SetRegisterDialogRunner([&](CUserRegisterDialog& form) {
            form.Prepare();
            EXPECT_EQ(form.windowTitle(), QString::fromUtf8("ユーザー情報変更"));
            EXPECT_EQ(form.NameField().text(), QString::fromUtf8("伊藤"));
            EXPECT_EQ(form.CardState().text(), QString::fromUtf8("カード登録済"));
            EXPECT_EQ(form.MailAddressField().text(), QStringLiteral("kacho@example.com"));
            form.NameField().setText(QString::fromUtf8("鈴木"));  // another's name
            form.OnOk();
            EXPECT_EQ(c.prompt->messages.back(), "既に登録された登録名です。");
            form.NameField().setText(QString::fromUtf8("伊藤 一郎"));
            form.OnOk();
            return form.result();
        });
        users.OnChange();
        EXPECT_FALSE(
            users.List().findItems(QString::fromUtf8("伊藤 一郎"), Qt::MatchExactly).isEmpty());

        Select(users.List(), "鈴木");
        users.OnDelete();
        EXPECT_EQ(c.prompt->questions.back(), "鈴木さんを削除しますか？");
        EXPECT_EQ(users.List().count(), 2);
        users.accept();
    });
    EXPECT_TRUE(busy);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
    const std::string listed = test::RunCli(c.t.dir.Path(), "users list").out;
    EXPECT_EQ(listed,  // in Japanese order: 伊藤 before 山田
              "00000000000000A1,伊藤 一郎,課長,kacho@example.com\n012E00FF12345678,山田,,\n");

    // The same people through the command-line tool give the same bytes.
    test::CTempDir other;
    test::RunCli(other.Path(), "users add --card 012E00FF12345678 --name 山田");
    test::RunCli(other.Path(),
                 "users add --card 00000000000000a1 --name '伊藤 一郎' --mail-name 課長 "
                 "--mail-address kacho@example.com");
    EXPECT_EQ(test::ReadBytes(c.t.dir / "Register.txt"), test::ReadBytes(other / "Register.txt"));
}

TEST(UserScreens, AfterARefillOnlyAVisibleChoiceIsChangedOrDeleted) {
    Clock c;
    for (const char* line : {"0000000000000001 --name 中島", "0000000000000002 --name 阿部",
                             "0000000000000003 --name 中村", "0000000000000004 --name 佐藤"}) {
        test::RunCli(c.t.dir.Path(), std::string("users add --card ") + line);
    }
    ASSERT_TRUE(c.app->InitInstance());
    auto texts = [](const QListWidget& list) {
        std::vector<std::string> out;
        for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i)->text().toStdString());
        return out;
    };
    auto buttonEnabled = [](CUserInfoDialog& users, const char* text) {
        for (auto* button : users.findChildren<QPushButton*>()) {
            if (button->text() == QString::fromUtf8(text)) return button->isEnabled();
        }
        return false;
    };
    int formsRun = 0;
    c.WithUsers([&](CUserInfoDialog& users) {
        users.SetRegisterDialogRunner([&](CUserRegisterDialog& form) {
            ++formsRun;
            form.Prepare();
            form.NameField().setText(QString::fromUtf8("新人"));
            c.Hold("00000000000000B2");
            form.OnTimer();
            form.OnOk();
            return form.result();
        });
        users.OnNew();
        // Japanese order, and the one just added is the visible choice.
        EXPECT_EQ(texts(users.List()), (std::vector<std::string>{"阿部", "佐藤", "山田", "新人",
                                                                 "中村", "中島", "鈴木"}));
        ASSERT_EQ(users.List().selectedItems().size(), 1);
        EXPECT_EQ(users.List().selectedItems().front()->text(), QString::fromUtf8("新人"));
        users.OnDelete();
        EXPECT_EQ(c.prompt->questions.back(), "新人さんを削除しますか？");
        // After a delete nothing is chosen: 変更 and 削除 wait for a new choice.
        EXPECT_TRUE(users.List().selectedItems().isEmpty());
        EXPECT_FALSE(buttonEnabled(users, "変更"));
        EXPECT_FALSE(buttonEnabled(users, "削除"));
        // A row that is current but not chosen (the keyboard's focus) is no choice either.
        users.List().setCurrentRow(2, QItemSelectionModel::NoUpdate);
        ASSERT_NE(users.List().currentItem(), nullptr);
        ASSERT_TRUE(users.List().selectedItems().isEmpty());
        const auto asked = c.prompt->questions.size();
        users.OnDelete();
        users.OnChange();
        EXPECT_EQ(c.prompt->questions.size(), asked);
        EXPECT_EQ(formsRun, 1);  // the one for 新規登録 only
        EXPECT_EQ(users.List().count(), 6);
        Select(users.List(), "中島");
        EXPECT_TRUE(buttonEnabled(users, "削除"));
        users.accept();
    });
    // The command-line tool lists them in the same order.
    EXPECT_EQ(test::RunCli(c.t.dir.Path(), "users list").out,
              "0000000000000002,阿部,,\n0000000000000004,佐藤,,\n012E00FF12345678,山田,,\n"
              "0000000000000003,中村,,\n0000000000000001,中島,,\n0123456789ABCDEF,鈴木,,\n");
}

TEST(UserScreens, RoomModeWordingAndAnEmptyRegister) {
    Clock c("2");
    ASSERT_TRUE(c.app->InitInstance());
    c.WithUsers([&](CUserInfoDialog& users) {
        users.SetRegisterDialogRunner([&](CUserRegisterDialog& form) {
            form.Prepare();
            EXPECT_EQ(form.Instruction().text(),
                      QString::fromUtf8(
                          "入退室登録に使用するFeliCaカードをセンサーにかざしてください。"));
            form.reject();
            EXPECT_FALSE(form.IsPolling());
            return form.result();
        });
        users.OnNew();
        EXPECT_EQ(users.List().count(), 2);
        users.reject();
    });
    std::filesystem::remove(c.t.dir / "Register.txt");
    c.WithUsers([&](CUserInfoDialog& users) {
        EXPECT_EQ(users.List().count(), 0);
        for (auto* button : users.findChildren<QPushButton*>()) {
            if (button->text() == QString::fromUtf8("変更") ||
                button->text() == QString::fromUtf8("削除")) {
                EXPECT_FALSE(button->isEnabled());
            }
        }
        users.OnChange();  // nothing selected: nothing happens
        users.reject();
    });
}

}  // namespace stampwell
