// The decisions behind the employee screens, driven without a window.
#include <gtest/gtest.h>

#include "folderstore/FolderPeopleStore.h"
#include "people/RegisterFile.h"
#include "personnel/UserCardCapture.h"
#include "personnel/UserForm.h"
#include "personnel/UserListForm.h"
#include "reader/FelicaReader.h"
#include "support/FailingWrites.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {
constexpr const char* kYamada = "012E00FF12345678";
constexpr const char* kFree1 = "1111111111111111";
constexpr const char* kFree2 = "2222222222222222";

struct People {
    People() {
        Add(kYamada, "山田", "", "");
        Add("0123456789ABCDEF", "鈴木", "部長", "boss@example.com");
        reader = CreateFelicaReader("simulated:" + (t.dir / "card").string(), true, prompt);
    }
    void Add(const std::string& card, const std::string& name, const std::string& mailName,
             const std::string& address) {
        reg.SetCardId(card);
        reg.SetName(name);
        reg.SetMailName(mailName);
        reg.SetMailAddress(address);
        ASSERT_EQ(reg.AddRecord(), 1);
    }
    void Hold(const std::string& card) { test::WriteBytes(t.dir / "card", card + "\n"); }
    test::CTestRuntime t;
    CFolderPeopleStore reg{CRegisterFile(t.runtime)};
    test::CFakePrompt prompt;
    std::shared_ptr<CFelicaReader> reader;
};
}  // namespace

TEST(UserCardCapture, EveryRowOfTheCapture) {
    People p;
    CUserCardCapture capture(p.reg, p.prompt);
    EXPECT_EQ(capture.OnCardTick(nullptr), CUserCardCapture::kNothing);
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kNothing);
    p.Hold(kYamada);  // somebody else's card
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kRefused);
    EXPECT_EQ(p.prompt.messages.back(), "すでに登録されているカードです。");
    EXPECT_EQ(capture.Card(), "");
    p.Hold(kFree1);  // the first free card
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kCaptured);
    EXPECT_EQ(p.prompt.messages.back(), "カードが登録されました。");
    const auto shown = p.prompt.messages.size();
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kSame);  // again: nothing
    EXPECT_EQ(p.prompt.messages.size(), shown);
    p.Hold(kYamada);  // a taken card keeps the captured one
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kRefused);
    EXPECT_EQ(capture.Card(), kFree1);
    p.Hold(kFree2);  // a different free card: asked
    p.prompt.yesNo = false;
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kKept);
    EXPECT_EQ(capture.Card(), kFree1);
    p.prompt.yesNo = true;
    EXPECT_EQ(capture.OnCardTick(p.reader.get()), CUserCardCapture::kCaptured);
    EXPECT_EQ(capture.Card(), kFree2);
    EXPECT_EQ(p.reg.GetName(), "鈴木");  // the lookups left the working record alone

    // In change mode the person's own card counts as taken too.
    CUserCardCapture own(p.reg, p.prompt, kYamada);
    p.Hold(kYamada);
    EXPECT_EQ(own.OnCardTick(p.reader.get()), CUserCardCapture::kRefused);
    EXPECT_EQ(own.Card(), kYamada);

    // A tick while the message is open does nothing.
    CUserCardCapture busy(p.reg, p.prompt);
    p.Hold(kFree1);
    int nested = -1;
    p.prompt.whileShown = [&] { nested = busy.OnCardTick(p.reader.get()); };
    busy.OnCardTick(p.reader.get());
    EXPECT_EQ(nested, CUserCardCapture::kNothing);
}

TEST(UserForm, OkChecksInOrderThenAddsOrChanges) {
    People p;
    CUserForm add(p.reg, p.prompt, false);
    add.Open();
    EXPECT_FALSE(add.Submit("", kFree1, "", ""));
    EXPECT_EQ(p.prompt.messages.back(), "登録名またはカードが未登録です");
    EXPECT_FALSE(add.Submit("伊藤", "", "", ""));
    EXPECT_EQ(p.prompt.messages.back(), "登録名またはカードが未登録です");
    EXPECT_FALSE(add.Submit("伊藤", kFree1, "課長", ""));
    EXPECT_EQ(p.prompt.messages.back(),
              "メールを利用する場合は受信者名と受信アドレスを記入してください。");
    EXPECT_FALSE(add.Submit("山田", kFree1, "", ""));
    EXPECT_EQ(p.prompt.messages.back(), "既に登録された登録名です。");
    EXPECT_FALSE(add.Submit("伊藤", kFree1, "課長", "kacho"));
    EXPECT_NE(p.prompt.messages.back().find("受信アドレス"), std::string::npos);
    // 32 characters fit the field, not the 32-byte name: refused, never cut.
    EXPECT_FALSE(add.Submit("あいうえおかきくけこさしすせそたち", kFree1, "", ""));
    EXPECT_NE(p.prompt.messages.back().find("32バイト"), std::string::npos);
    ASSERT_TRUE(add.Submit("伊藤", kFree1, "課長", "kacho@example.com"));
    EXPECT_EQ(p.reg.GetMailAddressByName("伊藤"), "kacho@example.com");

    p.reg.SetName("鈴木");
    p.reg.SetPreviousName("鈴木");
    CUserForm change(p.reg, p.prompt, true);
    change.Open();
    EXPECT_EQ(change.InitialName(), "鈴木");
    EXPECT_EQ(change.InitialCard(), "0123456789ABCDEF");
    EXPECT_EQ(change.InitialMailName(), "部長");
    EXPECT_FALSE(change.Submit("伊藤", "0123456789ABCDEF", "", ""));  // another's name
    EXPECT_EQ(p.prompt.messages.back(), "既に登録された登録名です。");
    ASSERT_TRUE(change.Submit("鈴木 花子", "0123456789ABCDEF", "", ""));
    EXPECT_EQ(p.reg.GetAllNames(), (std::vector<std::string>{"山田", "鈴木 花子", "伊藤"}));
    EXPECT_EQ(p.reg.GetMailNameByName("鈴木 花子"), "");

    // A register that cannot be written says so.
    CUserForm full(p.reg, p.prompt, false);
    full.Open();
    int shown = test::RunWithFileSizeLimit(10, [&] {
        full.Submit("中村", kFree2, "", "");
        return p.prompt.messages.back() ==
                       "ユーザーを記録できませんでした。\nパス設定を確認してください。"
                   ? 1
                   : 0;
    });
    EXPECT_EQ(shown, 1);
}

TEST(UserListForm, SortedNamesAndADeleteThatAsksAndReportsAFailure) {
    People p;
    p.Add(kFree1, "Abe", "", "");
    CUserListForm list(p.reg, p.prompt);
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"Abe", "山田", "鈴木"}));
    p.prompt.answer = IPrompt::kNo;
    EXPECT_FALSE(list.Delete("Abe"));
    EXPECT_EQ(p.prompt.questions.back(), "Abeさんを削除しますか？");
    // Nobody answers: the question answers no by itself, and nobody is deleted.
    p.prompt.nobodyAnswers = true;
    EXPECT_FALSE(list.Delete("Abe"));
    p.prompt.nobodyAnswers = false;
    p.prompt.answer = IPrompt::kYes;
    EXPECT_TRUE(list.Delete("Abe"));
    EXPECT_EQ(list.Names().size(), 2u);
    int shown = test::RunWithFileSizeLimit(10, [&] {
        list.Delete("山田");
        return p.prompt.messages.back() ==
                       "登録ファイルを記録できませんでした。\nパス設定を確認してください。"
                   ? 1
                   : 0;
    });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(list.Names().size(), 2u);
}

}  // namespace stampwell
