#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "RecorderCommand/IRegisterScreen.h"
#include "RecorderCommand/TimeReadCommand.h"
#include "controller/RecorderController.h"
#include "people/CipherRecordFile.h"
#include "people/RegisterFile.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "reader/FelicaReader.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/TapBench.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {
using test::CFakePrompt;
using test::CFakeScreen;
using test::CTestRuntime;

namespace {

constexpr const char* kCard = "012E00FF12345678";

// The bench with 山田's card, tapped on 2011/08/25.
struct Bench : test::CTapBench {
    explicit Bench(const std::string& style = "") : CTapBench(style, kCard, "山田") {}
    void Tap(int hour, int minute, const std::string& card = kCard) {
        CTapBench::Tap(25, hour, minute, card);
    }
};

}  // namespace

TEST(TimeReadCommand, OnlyTypeTenIsACommand) {
    CTestRuntime t;
    CFakePrompt prompt;
    CRecorderController controller(t.runtime, prompt);
    EXPECT_TRUE(std::dynamic_pointer_cast<TimeReadCommand>(MakeRecorderCommand(10, &controller)));
    try {
        MakeRecorderCommand(11, &controller);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "No RecoderCommand type.");
    }
}

TEST(TimeReadCommand, ABusyOrHiddenScreenDoesNotPoll) {
    Bench b;
    b.controller->SetBusy(true);
    b.Tap(9, 0);
    b.controller->SetBusy(false);
    bool active = false;
    b.controller->SetScreenActiveQuery([&] { return active; });
    b.controller->GetReadCommand()->Execute();
    EXPECT_EQ(b.reader->polls, 0);
    EXPECT_EQ(b.reader->cards.size(), 1u);  // the card was not consumed
    active = true;
    b.controller->GetReadCommand()->Execute();
    EXPECT_EQ(b.reader->polls, 1);
    EXPECT_EQ(b.Records(), 1u);
}

TEST(TimeReadCommand, FirstTapEverCreatesTheFileAndShowsTheResult) {
    Bench b;
    b.Tap(9, 5);
    EXPECT_EQ(b.screen.calls, (std::vector<std::string>{"Begin", "Result 09:05 勤務開始"}));
    EXPECT_EQ(b.screen.name, "山田");
    EXPECT_EQ(b.prompt.pointerMoves, 1);
    EXPECT_EQ(b.Records(), 1u);
    b.screen.end = true;
    b.Tap(18, 30);
    EXPECT_EQ(b.screen.calls.back(), "Result 18:30 勤務終了");
    EXPECT_EQ(b.Records(), 2u);
}

TEST(TimeReadCommand, AnUnregisteredCardGivesTheMessageAndTheWaitingScreen) {
    Bench b;
    b.Tap(9, 0, "AAAAAAAAAAAAAAAA");
    EXPECT_EQ(b.prompt.messages, std::vector<std::string>{"登録されていないカードです。"});
    EXPECT_EQ(b.screen.calls, (std::vector<std::string>{"Begin", "Reset0"}));
    EXPECT_FALSE(std::filesystem::exists(b.t.dir / "KINTAI.dat"));
}

TEST(TimeReadCommand, TheOverwriteQuestionDecidesYesNoAndNoAnswer) {
    Bench b;
    b.Tap(9, 0);
    b.prompt.answer = IPrompt::kNo;
    b.Tap(9, 10);
    EXPECT_EQ(b.prompt.questions.back(),
              "本日は既に登録済みです。\r\n新しい時間で上書きしますか？");
    EXPECT_EQ(b.screen.calls, (std::vector<std::string>{"Begin", "Reset0"}));
    b.prompt.answer = IPrompt::kNoAnswer;
    b.Tap(9, 20);
    EXPECT_EQ(b.screen.calls, std::vector<std::string>{"Begin"});  // left processing
    b.prompt.answer = IPrompt::kYes;
    b.Tap(9, 30);
    EXPECT_EQ(b.screen.calls.back(), "Result 09:30 勤務開始");
    EXPECT_EQ(b.Records(), 1u);
    CCipherRecordFile file;
    file.OpenRead(b.t.dir / "KINTAI.dat");
    std::string text;
    file.ReadRecord(text, 51);
    EXPECT_NE(text.find("09:30"), std::string::npos);
}

TEST(TimeReadCommand, RoomModeEntryTooSoonAndExit) {
    Bench b("2");
    b.Tap(9, 0);
    EXPECT_EQ(b.screen.calls.back(), "Result 09:00 入室");
    b.Tap(9, 4);
    EXPECT_EQ(b.screen.calls, (std::vector<std::string>{"Begin", "Reset1"}));
    EXPECT_TRUE(b.prompt.messages.empty());
    b.Tap(12, 0);
    EXPECT_EQ(b.screen.calls.back(), "Result 12:00 退室");
    b.Tap(17, 0);
    EXPECT_EQ(b.screen.calls.back(), "Result 17:00 退室");
    EXPECT_EQ(b.Records(), 2u);
}

TEST(TimeReadCommand, AWriteFailureIsShownAndNotReportedAsRegistered) {
    Bench b;
    std::filesystem::create_directory(b.t.dir / "KINTAI.dat");
    b.Tap(9, 0);
    // The work record's own message goes through the runtime's sink (the same box in the app).
    EXPECT_EQ(
        b.t.sink->messages,
        std::vector<std::string>{"勤務時間を保存するファイルパスが無効です。\n保存はされません。"});
    EXPECT_EQ(b.prompt.messages, std::vector<std::string>{"登録に失敗しました。"});
    EXPECT_EQ(b.screen.calls, (std::vector<std::string>{"Begin", "Reset0"}));
}

TEST(TimeReadCommand, AnUnpluggedReaderIsSaidAndReadAgainOnceItIsBack) {
    Bench b;
    b.reader->disconnected = true;
    b.Tap(9, 0);
    EXPECT_EQ(b.Records(), 1u);  // the card read in the same poll still counts
    EXPECT_EQ(test::LastOf(b.screen.calls), "Away");
    b.Tap(9, 1);  // still away: said once, and polling goes on
    EXPECT_EQ(std::count(b.screen.calls.begin(), b.screen.calls.end(), "Away"), 0);
    EXPECT_EQ(std::count(b.screen.calls.begin(), b.screen.calls.end(), "Stop"), 0);
    // Unattended: no box that somebody must close.
    EXPECT_TRUE(b.prompt.messages.empty());
    // Plugged in again: the clock reads by itself, no restart.
    b.reader->disconnected = false;
    b.Tap(18, 0);
    EXPECT_EQ(std::count(b.screen.calls.begin(), b.screen.calls.end(), "Result 18:00 勤務開始"), 1);
    EXPECT_EQ(std::count(b.screen.calls.begin(), b.screen.calls.end(), "Back"), 1);
    const std::string log = test::ReadBytes(b.t.dir / "ErrorLog.txt");
    EXPECT_NE(log.find("FeliCa port disconnected"), std::string::npos);
    EXPECT_NE(log.find("FeliCa port connected again"), std::string::npos);
}

}  // namespace stampwell

namespace stampwell {

TEST(TimeReadCommand, ARunningClockTakesSettingsChangedByAnotherProgramAtTheNextTap) {
    Bench b;
    b.Tap(4, 30);  // day-change hour 0: a tap of the 25th
    // Another administrator (here the command-line tool) moves the day change to 05:00.
    ASSERT_EQ(test::RunCli(b.t.dir.Path(), "settings set --day-change 5").exitCode, 0);
    b.Tap(4, 40);
    EXPECT_EQ(test::WorkBlocks(b.t.dir / "KINTAI.dat"),
              (std::vector<std::string>{
                  test::Sjis("山田") + std::string(28, ' ') + ",2011/08/25,04:30,\n",
                  test::Sjis("山田") + std::string(28, ' ') + ",2011/08/24,28:40,\n"}));
}

}  // namespace stampwell
