// The decisions behind the administrator screens, driven without a window.
#include <gtest/gtest.h>

#include "folderstore/FolderAdminStore.h"
#include "people/AdminFile.h"
#include "personnel/AdminCardCapture.h"
#include "personnel/AdminForm.h"
#include "personnel/AdminListForm.h"
#include "personnel/AdminLoginSession.h"
#include "platform/FileSystem.h"
#include "reader/FelicaReader.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {
constexpr const char* kBossCard = "0123456789ABCDEF";
constexpr const char* kFreeCard = "012E00FF12345678";

struct Admins {
    Admins() {
        Add("boss", "secret", kBossCard);
        Add("clerk", "pw", "");
        reader = CreateFelicaReader("simulated:" + (t.dir / "card").string(), true, prompt);
    }
    void Add(const std::string& id, const std::string& password, const std::string& card) {
        store.SetId(id);
        store.SetPassword(password);
        store.SetCardId(card);
        ASSERT_EQ(store.AddAdmin(), 1);
    }
    void Hold(const std::string& card) { test::WriteBytes(t.dir / "card", card + "\n"); }
    test::CTestRuntime t;
    CFolderAdminStore store{CAdminFile(t.runtime)};
    test::CFakePrompt prompt;
    std::shared_ptr<CFelicaReader> reader;
};
}  // namespace

TEST(AdminLoginSession, ACardOrTheRightPasswordLogsInAndNothingElseChangesTheLogin) {
    Admins a;
    ASSERT_EQ(a.store.GetLoginId(), "boss");  // the first administrator added
    a.store.SetLoginId("");
    CAdminLoginSession login(a.store, a.prompt);
    login.Begin();
    EXPECT_EQ(login.OnCardTick(nullptr), CAdminLoginSession::kContinue);         // no reader
    EXPECT_EQ(login.OnCardTick(a.reader.get()), CAdminLoginSession::kContinue);  // no card
    a.Hold(kFreeCard);
    EXPECT_EQ(login.OnCardTick(a.reader.get()), CAdminLoginSession::kContinue);
    EXPECT_EQ(a.prompt.messages.back(), "管理者認証用として登録されていないカードです。");
    a.Hold(kBossCard);
    EXPECT_EQ(login.OnCardTick(a.reader.get()), CAdminLoginSession::kAccepted);
    EXPECT_EQ(a.store.GetLoginId(), "boss");

    login.Begin();
    EXPECT_EQ(login.OnOk("", "pw"), CAdminLoginSession::kContinue);
    EXPECT_EQ(a.prompt.messages.back(), "登録名またはパスが未入力です");
    EXPECT_EQ(login.OnOk("clerk", "PW"), CAdminLoginSession::kContinue);  // case matters
    EXPECT_EQ(a.prompt.messages.back(), "登録名またはパスが異なります。");
    EXPECT_EQ(a.store.GetLoginId(), "boss");  // a failed attempt changes nothing
    EXPECT_EQ(login.OnOk("clerk", "pw"), CAdminLoginSession::kAccepted);
    EXPECT_EQ(a.store.GetLoginId(), "clerk");
}

TEST(AdminLoginSession, TheWaitingTimeCancelsUntilOkIsPressedOnce) {
    Admins a;
    CAdminLoginSession login(a.store, a.prompt);
    login.Begin();
    EXPECT_EQ(login.OnTimeout(), CAdminLoginSession::kCancelled);
    login.Begin();
    login.OnOk("clerk", "wrong");
    EXPECT_TRUE(login.IsTimeoutStopped());
    EXPECT_EQ(login.OnTimeout(), CAdminLoginSession::kContinue);
    login.Begin();  // the next run waits again
    EXPECT_EQ(login.OnTimeout(), CAdminLoginSession::kCancelled);
}

TEST(AdminListForm, LimitSelfDeleteQuestionAndClosingAnEmptyList) {
    Admins a;
    CAdminListForm list(a.store, a.prompt);
    a.Add("alpha", "pw", "");
    EXPECT_EQ(list.Ids(), (std::vector<std::string>{"alpha", "boss", "clerk"}));
    EXPECT_FALSE(list.MayAdd());
    EXPECT_EQ(a.prompt.messages.back(), "これ以上の管理者は作成できません。");

    EXPECT_FALSE(list.Delete("boss"));  // boss is logged in
    EXPECT_EQ(a.prompt.messages.back(), "ログインしている管理者は削除できません。");
    a.prompt.answer = IPrompt::kNo;
    EXPECT_FALSE(list.Delete("alpha"));
    EXPECT_EQ(a.prompt.questions.back(), "管理者「alpha」を削除しますか？");
    a.prompt.nobodyAnswers = true;  // the question left alone answers no
    EXPECT_FALSE(list.Delete("alpha"));
    a.prompt.nobodyAnswers = false;
    a.prompt.answer = IPrompt::kYes;
    EXPECT_TRUE(list.Delete("alpha"));
    EXPECT_TRUE(list.MayAdd());

    EXPECT_EQ(list.Close(), CAdminListForm::kClose);
    CFolderAdminStore empty{CAdminFile(test::CTestRuntime().runtime)};
    CAdminListForm none(empty, a.prompt);
    a.prompt.yesNo = false;
    EXPECT_EQ(none.Close(), CAdminListForm::kStay);
    a.prompt.yesNo = true;
    EXPECT_EQ(none.Close(), CAdminListForm::kQuitProgram);
}

TEST(AdminListForm, AFailedDeleteShowsTheWriteMessage) {
    Admins a;
    CAdminListForm list(a.store, a.prompt);
    // The message is shown in the child that failed; its prompt is the one to look at.
    int shown = test::RunWithFileSizeLimit(10, [&] {
        list.Delete("clerk");
        return a.prompt.messages.empty() ? 0
               : a.prompt.messages.back() ==
                       "登録ファイルを記録できませんでした。\nパス設定を確認してください。"
                   ? 1
                   : 2;
    });
    EXPECT_EQ(shown, 1);
}

TEST(AdminForm, OkChecksInOrderThenAddsOrChanges) {
    Admins a;
    CAdminForm add(a.store, a.prompt, false);
    add.Open();
    EXPECT_FALSE(add.HasCard());
    EXPECT_FALSE(add.Submit("", "x", "x"));
    EXPECT_EQ(a.prompt.messages.back(), "登録名またはパスが未入力です");
    EXPECT_FALSE(add.Submit("new", "abc", "ABC"));
    EXPECT_EQ(a.prompt.messages.back(),
              "確認用パスワードと一致しません。\nパスワードを確認してください。");
    EXPECT_FALSE(add.Submit("clerk", "abc", "abc"));
    EXPECT_EQ(a.prompt.messages.back(), "既に登録された登録名です。");
    // 32 characters fit the field but not the 32-byte record: refused, never cut.
    EXPECT_FALSE(
        add.Submit(std::string(16, 'a') + "あいうえおかきくけこさしすせそた", "abc", "abc"));
    EXPECT_NE(a.prompt.messages.back().find("32バイト"), std::string::npos);
    a.store.SetCardId(kFreeCard);  // as the card dialog leaves it
    ASSERT_TRUE(add.Submit("third", "abc", "abc"));
    std::vector<std::string> ids;
    a.store.GetIdList(ids);
    EXPECT_EQ(ids.back(), "third");

    a.store.SetPreviousId("clerk");
    CAdminForm change(a.store, a.prompt, true);
    change.Open();
    EXPECT_EQ(change.InitialId(), "clerk");
    EXPECT_EQ(change.InitialPassword(), "pw");
    // Renaming to another administrator's ID would merge two records: refused.
    EXPECT_FALSE(change.Submit("boss", "pw", "pw"));
    EXPECT_EQ(a.prompt.messages.back(), "既に登録された登録名です。");
    EXPECT_TRUE(change.Submit("clerk", "pw2", "pw2"));  // the same ID stays allowed
    a.store.SetPreviousId("boss");
    CAdminForm withCard(a.store, a.prompt, true);
    withCard.Open();
    EXPECT_TRUE(withCard.HasCard());
    a.prompt.answer = IPrompt::kNo;
    EXPECT_FALSE(withCard.ClearCard());
    EXPECT_TRUE(withCard.HasCard());
    a.prompt.answer = IPrompt::kYes;
    EXPECT_TRUE(withCard.ClearCard());
    EXPECT_EQ(a.prompt.questions.back(), "管理者認証用カードをリセットしますか？");
    ASSERT_TRUE(withCard.Submit("chief", "secret", "secret"));  // the logged-in one renamed
    EXPECT_EQ(a.store.GetLoginId(), "chief");
    EXPECT_EQ(a.store.GetAdminList()[0].hasCard, false);
}

TEST(AdminCardCapture, ACardAnyAdministratorHoldsIsRefusedAndAFreeOneTaken) {
    Admins a;
    a.store.SetId("clerk");
    CAdminCardCapture capture(a.store, a.prompt);
    EXPECT_FALSE(capture.OnCardTick(a.reader.get()));  // nothing on the reader
    a.Hold(kBossCard);
    EXPECT_FALSE(capture.OnCardTick(a.reader.get()));
    EXPECT_EQ(a.prompt.messages.back(), "既に登録されたカードです。");
    EXPECT_EQ(a.store.GetCardId(), "");
    EXPECT_EQ(a.store.GetId(), "clerk");  // the lookup leaves the edited ID alone
    a.Hold(kFreeCard);
    EXPECT_TRUE(capture.OnCardTick(a.reader.get()));
    EXPECT_EQ(capture.Card(), kFreeCard);
    EXPECT_EQ(a.store.GetCardId(), kFreeCard);
}

}  // namespace stampwell
