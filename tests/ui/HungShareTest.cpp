// The clock on a shared folder that stops answering (a stalled SMB or NFS server, here the test
// share hung by its flag): the window keeps its clock ticking and answers, says that the share
// does not answer, and records the tap once when the share is back; a card held meanwhile is
// refused on the spot (never lost without a word), and one that stays is recorded next.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiSupport.h"
#include "admin_ui/ReportEditDialog.h"
#include "admin_ui/ShareWait.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "corrections/ReportEditSession.h"
#include "people/UserInfoDialog.h"
#include "platform/IBackgroundRunner.h"
#include "platform/LocalTime.h"
#include "screen/TimeRegisterView.h"
#include "support/CliRunner.h"
#include "support/ShareMount.h"
#include "support/TestSupport.h"

namespace stampwell {
using V = CTimeRegisterView;
namespace fs = std::filesystem;

namespace {
// Runs the event loop for ms milliseconds and counts the ticks of a 50-ms timer meanwhile.
int TicksWhileRunning(int ms) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return ticks;
}

// An office whose work file is on the test share (mounted at pc/): an administrator, 山田 and
// 鈴木, the clock at 2011/08/25 09:05. setUp says what failed, if anything.
struct HungOffice {
    HungOffice() {
        fs::create_directories(share);
        mount = std::make_unique<test::CShareMount>(share, t.dir / "pc");
        if (!mount->IsMounted()) {
            setUp = "the test share did not mount";
            return;
        }
        for (const std::string& step :
             {std::string("admins add --id admin --password pw"),
              std::string("users add --card 012E00FF12345678 --name 山田"),
              std::string("users add --card 0123456789ABCDEF --name 鈴木"),
              "settings set --work '" + (mount->Path() / "KINTAI.dat").string() + "'"}) {
            if (test::RunCli(t.dir.Path(), step).exitCode != 0) setUp += step + " failed; ";
        }
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
    }
    test::CTestRuntime t;
    fs::path share = t.dir / "share";
    std::unique_ptr<test::CShareMount> mount;
    std::string setUp;
};
}  // namespace

TEST(HungShare, TheWindowAnswersWhileTheShareHangsAndTheTapIsRecordedOnce) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    HungOffice office;
    ASSERT_EQ(office.setUp, "");
    test::CTestRuntime& t = office.t;
    test::CShareMount& mount = *office.mount;
    const fs::path share = office.share;
    auto prompt = std::make_shared<test::CFakePrompt>();
    auto sounds = std::make_shared<test::CFakeSoundPlayer>();
    CStampwellApp app(t.runtime, prompt, sounds, "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    test::Settle(app);
    V* screen = app.Screen();

    mount.Hang(true);
    test::WriteBytes(t.dir / "card", "012E00FF12345678\n");
    screen->OnTimer(V::kPollTimer);
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("処理中…"));
    // The first card stays on the reader for a while: that is no new tap.
    TicksWhileRunning(600);
    EXPECT_TRUE(sounds->played.empty());
    // Another card held for a moment meanwhile and taken away is refused at once, with the
    // refusal sound and a log line, not taken silently for a tap.
    // Waited for by what must happen, not for a time: a loaded machine ticks late.
    test::WriteBytes(t.dir / "card", "0123456789ABCDEF\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !sounds->played.empty(); }, 10000));
    test::WriteBytes(t.dir / "card", "");
    // Taken away: a tick of the clock after it (the tick polls the reader too) sees no card.
    t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5, 30));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return screen->ControlText(V::kClock).endsWith(QStringLiteral("09:05:30")); },
        10000));
    EXPECT_EQ(screen->ControlText(V::kBanner),
              QString::fromUtf8("前の登録を処理中です。もう一度かざしてください。"));
    EXPECT_TRUE(screen->IsControlShown(V::kBanner));
    EXPECT_EQ(sounds->played, std::vector<std::string>{"Refusal.wav+beep"});
    test::SaveScreenshot(screen->Render(), "busy-refusal");
    EXPECT_NE(test::ReadBytes(t.dir / "ErrorLog.txt").find("0123456789ABCDEF"), std::string::npos);
    // Held again, and left there this time.
    test::WriteBytes(t.dir / "card", "0123456789ABCDEF\n");
    screen->OnTimer(V::kPollTimer);
    EXPECT_EQ(sounds->played.size(), 2u);
    // The window runs its timers and its clock while the share hangs.
    t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 6));
    // A frozen window ticks once at most; a loaded machine still ticks many times.
    EXPECT_GT(TicksWhileRunning(V::kSlowShareMs + 1000), 10);
    EXPECT_TRUE(screen->ControlText(V::kClock).endsWith(QStringLiteral("09:06:00")))
        << screen->ControlText(V::kClock).toStdString();
    EXPECT_TRUE(screen->IsSlowShareShown());
    EXPECT_EQ(screen->ControlText(V::kBanner), QString::fromUtf8("共有フォルダが応答しません"));
    test::SaveScreenshot(screen->Render(), "hung-share");
    EXPECT_FALSE(app.Controller()->Background().IsIdle());

    // The share answers again: the tap is recorded with the time it was made, once.
    mount.Hang(false);
    test::Settle(app);
    EXPECT_TRUE(screen->IsResultShown());
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("09:05 勤務開始"));
    EXPECT_EQ(screen->ControlText(V::kName), QString::fromUtf8("山田"));
    screen->OnTimer(V::kResultTimer);
    test::Settle(app);
    // Then the card that stayed on the reader.
    screen->OnTimer(V::kPollTimer);
    test::Settle(app);
    EXPECT_EQ(screen->ControlText(V::kName), QString::fromUtf8("鈴木"));
    const auto blocks = test::WorkBlocks(share / "KINTAI.dat");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].rfind(test::Sjis("山田"), 0), 0u);
    EXPECT_NE(blocks[0].find(",2011/08/25,09:05,"), std::string::npos);
    EXPECT_EQ(blocks[1].rfind(test::Sjis("鈴木"), 0), 0u);
    EXPECT_TRUE(prompt->messages.empty());
}

}  // namespace stampwell

namespace stampwell {

// The record edit screen on a share that stops answering: reading a month waits on a thread of
// its own behind a 処理中… box (saying after 10 s that the share does not answer), while the
// clock's window keeps ticking; the month shows once the share answers.
TEST(HungShare, TheRecordEditScreenWaitsForTheShareWithoutFreezingTheWindow) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    HungOffice office;
    ASSERT_EQ(office.setUp, "");
    test::CTestRuntime& t = office.t;
    test::CShareMount& mount = *office.mount;
    auto prompt = std::make_shared<test::CFakePrompt>();
    CStampwellApp app(t.runtime, prompt, std::make_shared<test::CFakeSoundPlayer>(),
                      "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    test::Settle(app);
    ASSERT_EQ(test::RunCli(t.dir.Path(), "tap 012E00FF12345678 --start").exitCode, 0);
    V* screen = app.Screen();
    bool boxShown = false, ticked = false, saidNoAnswer = false, loaded = false;
    test::RunAfterLogin(app, CMainFrame::kEditRecords, [&] {
        CReportEditDialog& dialog = *app.ReportEdit();
        mount.Hang(true);
        QTimer::singleShot(1000, [&] { t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 6)); });
        QTimer::singleShot(CShareWait::kNoAnswerMs + 1500, [&] {
            // The share still hangs: whatever the machine's speed, the box is up by now.
            boxShown = dialog.ShareWait().Box() != nullptr;
            ticked = screen->ControlText(V::kClock).endsWith(QStringLiteral("09:06:00"));
            if (QProgressDialog* box = dialog.ShareWait().Box()) {
                saidNoAnswer = box->labelText().startsWith(QString::fromUtf8("共有フォルダが応答"));
                test::SaveScreenshot(dialog.grab().toImage(), "record-edit-hung");
            }
            mount.Hang(false);
        });
        // Another month: read while the share hangs, returning once it answers.
        dialog.Month().setCurrentIndex(6);
        loaded = dialog.Month().currentIndex() == 6 && !dialog.Session().Sheet().Edited().empty();
        dialog.reject();
    });
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(ticked) << screen->ControlText(V::kClock).toStdString();
    EXPECT_TRUE(saidNoAnswer);
    EXPECT_TRUE(loaded);
}

}  // namespace stampwell

namespace stampwell {

namespace {
// The visible 処理中… box of a screen's file work, if any.
QProgressDialog* WaitBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QProgressDialog*>(widget); box && box->isVisible()) return box;
    }
    return nullptr;
}
}  // namespace

// The employee list with the register on a share that stops answering: the names are read and
// the delete written on a thread of their own, the delete's question is still asked by the
// window meanwhile, and an administrator who stops waiting is told so and the list closes.
TEST(HungShare, TheEmployeeListAsksAndWaitsWithoutFreezingTheWindow) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    HungOffice office;
    ASSERT_EQ(office.setUp, "");
    test::CTestRuntime& t = office.t;
    test::CShareMount& mount = *office.mount;
    const fs::path shared = mount.Path() / "Register.txt";
    ASSERT_EQ(test::RunCli(t.dir.Path(), "settings set --register '" + shared.string() + "' --copy")
                  .exitCode,
              0);
    auto prompt = std::make_shared<test::CFakePrompt>();
    prompt->yesNo = true;
    CStampwellApp app(t.runtime, prompt, std::make_shared<test::CFakeSoundPlayer>(),
                      "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    test::Settle(app);
    V* screen = app.Screen();
    bool boxShown = false, ticked = false, stillOpen = true;
    int names = 0;
    std::size_t questionsBefore = 0;
    app.SetUserDialogRunner([&](CUserInfoDialog& users) {
        mount.Hang(true);
        QTimer::singleShot(300, [&] { t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 6)); });
        QTimer::singleShot(1500, [&] {
            boxShown = WaitBox() != nullptr;
            ticked = screen->ControlText(V::kClock).endsWith(QStringLiteral("09:06:00"));
            mount.Hang(false);
        });
        users.Prepare();
        users.show();
        names = users.List().count();
        // The delete: its question is answered, then the write hangs and nobody waits for it.
        auto found = users.List().findItems(QString::fromUtf8("鈴木"), Qt::MatchExactly);
        if (found.size() != 1) return;
        users.List().setCurrentItem(found.front());
        questionsBefore = prompt->messages.size();
        mount.Hang(true);
        QTimer::singleShot(CShareWait::kNoAnswerMs + 1000, [&] {
            // After 10 s the box offers 閉じる.
            if (QProgressDialog* box = WaitBox()) {
                for (auto* button : box->findChildren<QPushButton*>()) {
                    if (button->text() == QString::fromUtf8("閉じる")) button->click();
                }
            }
        });
        users.OnDelete();
        stillOpen = users.result() != QDialog::Rejected || users.isVisible();
        mount.Hang(false);
    });
    test::RunAfterLogin(app, CMainFrame::kUsers);
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(ticked) << screen->ControlText(V::kClock).toStdString();
    EXPECT_EQ(names, 2);
    ASSERT_GT(prompt->messages.size(), questionsBefore);
    EXPECT_EQ(prompt->messages.back(),
              "共有フォルダ（登録者ファイルの場所）が応答しないため、待つのをやめました。\n"
              "応答が戻ると、その処理が終わることがあります。");
    EXPECT_FALSE(stillOpen);
    ASSERT_FALSE(prompt->questions.empty());
    EXPECT_EQ(prompt->questions.back(), "鈴木さんを削除しますか？");
}

}  // namespace stampwell
