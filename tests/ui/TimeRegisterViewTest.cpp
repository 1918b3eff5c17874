#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include "RecorderCommand/RecorderCommand.h"
#include "UiSupport.h"
#include "platform/LocalTime.h"
#include "screen/ColorButton.h"
#include "screen/TimeRegisterView.h"
#include "settings/ChimeSettings.h"
#include "settings/EnvironmentSettings.h"
#include "support/TestSupport.h"

namespace stampwell {
using V = CTimeRegisterView;

namespace {

class CCountingCommand : public RecorderCommand {
public:
    void Execute() override { ++runs; }
    int runs = 0;
};

struct Screen {
    explicit Screen(const std::string& style = "", bool withSettings = true) {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        t.clock->Set(CLocalTime::FromLocal(2011, 7, 8, 9, 0));
        view = std::make_unique<V>(t.runtime, sounds);
        view->SetReadCommand(command);
        if (withSettings) {
            settings = CreateConfig(t.runtime);
            settings->SetDayChangeHour(5);
            settings->SetSwitchHour(14);
            view->SetSettings(settings);
        }
    }
    void At(int month, int day, int hour, int minute, int second = 0) {
        t.clock->Set(CLocalTime::FromLocal(2011, month, day, hour, minute, second));
    }
    // A timer's tick, as it would come if the timer runs.
    void Fire(int id) {
        if (view->IsTimerActive(id)) view->OnTimer(id);
    }
    std::vector<int> Shown() const {
        std::vector<int> ids;
        for (int id : {V::kTitle, V::kStep1, V::kStep2, V::kStep3, V::kNameCaption, V::kBanner,
                       V::kClock, V::kResult, V::kHistoryCaption, V::kName, V::kCancel,
                       V::kRegister, V::kStart, V::kEnd, V::kHistory}) {
            if (view->IsControlShown(id)) ids.push_back(id);
        }
        return ids;
    }
    test::CTestRuntime t;
    test::CFakeSoundPlayer sounds;
    std::shared_ptr<CCountingCommand> command = std::make_shared<CCountingCommand>();
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<V> view;
};

const std::vector<int> kWaitingAttendance = {
    V::kTitle,          V::kStep1, V::kStep2, V::kNameCaption, V::kClock,
    V::kHistoryCaption, V::kName,  V::kStart, V::kEnd,         V::kHistory};

}  // namespace

TEST(TimeRegisterView, StateTableInAttendanceMode) {
    Screen s;
    EXPECT_EQ(s.Shown(), kWaitingAttendance);
    EXPECT_TRUE(s.view->IsTimerActive(V::kPollTimer));
    EXPECT_EQ(s.view->ControlText(V::kTitle), QString::fromUtf8("勤務時間登録"));
    EXPECT_EQ(s.view->ControlText(V::kStart), QString::fromUtf8("出社"));

    s.view->BeginStamp();
    EXPECT_FALSE(s.view->IsTimerActive(V::kPollTimer));
    EXPECT_EQ(s.Shown(), (std::vector<int>{V::kTitle, V::kStep1, V::kStep2, V::kNameCaption,
                                           V::kClock, V::kResult, V::kName, V::kStart, V::kEnd}));
    EXPECT_EQ(s.view->ControlText(V::kResult), QString::fromUtf8("処理中…"));
    // A shared folder that keeps the tap waiting is named after a while.
    EXPECT_TRUE(s.view->IsSlowShareTimerActive());
    s.view->ShowSlowShare();
    EXPECT_TRUE(s.view->IsSlowShareShown());
    EXPECT_EQ(s.view->ControlText(V::kBanner), QString::fromUtf8("共有フォルダが応答しません"));
    EXPECT_EQ(s.Shown(),
              (std::vector<int>{V::kTitle, V::kStep1, V::kStep2, V::kNameCaption, V::kBanner,
                                V::kClock, V::kResult, V::kName, V::kStart, V::kEnd}));
    s.view->SetShownName("山田");
    s.view->SetResultText("09:05 勤務開始");
    s.view->ShowResult();
    EXPECT_FALSE(s.view->IsSlowShareTimerActive());
    EXPECT_EQ(s.view->ControlText(V::kBanner), QString::fromUtf8("登録しました。"));
    EXPECT_TRUE(s.view->IsResultShown());
    EXPECT_TRUE(s.view->IsTimerActive(V::kResultTimer));
    EXPECT_EQ(s.Shown(),
              (std::vector<int>{V::kTitle, V::kStep1, V::kStep2, V::kNameCaption, V::kBanner,
                                V::kClock, V::kResult, V::kName, V::kStart, V::kEnd}));
    EXPECT_EQ(s.view->ControlText(V::kResult), QString::fromUtf8("09:05 勤務開始"));
    EXPECT_EQ(s.view->ControlText(V::kName), QString::fromUtf8("山田"));

    s.Fire(V::kResultTimer);
    EXPECT_FALSE(s.view->IsResultShown());
    EXPECT_FALSE(s.view->IsTimerActive(V::kResultTimer));
    EXPECT_TRUE(s.view->IsTimerActive(V::kPollTimer));
    EXPECT_EQ(s.Shown(), kWaitingAttendance);
    EXPECT_EQ(s.view->ControlText(V::kName), QString());

    s.view->SelectEnd();
    EXPECT_TRUE(s.view->IsEndSelected());
    EXPECT_EQ(s.Shown(), kWaitingAttendance);
}

TEST(TimeRegisterView, RoomModeNeverShowsStepOneOrTheButtons) {
    Screen s("2");
    EXPECT_EQ(s.view->Mode(), 2);
    EXPECT_EQ(s.view->ControlText(V::kTitle), QString::fromUtf8("入退室時間登録"));
    EXPECT_EQ(s.view->ControlText(V::kStart), QString::fromUtf8("入室"));
    EXPECT_EQ(s.view->ControlText(V::kResult), QString::fromUtf8("09:00 入室"));
    for (auto step : {0, 1, 2, 3}) {
        if (step == 1) s.view->SelectEnd();
        if (step == 2) s.view->BeginStamp();
        if (step == 3) s.view->ShowResult();
        EXPECT_FALSE(s.view->IsControlShown(V::kStep1)) << step;
        EXPECT_FALSE(s.view->IsControlShown(V::kStart)) << step;
        EXPECT_FALSE(s.view->IsControlShown(V::kEnd)) << step;
        // The history caption goes with the history: only on the waiting screen.
        EXPECT_EQ(s.view->IsControlShown(V::kHistoryCaption), step < 2) << step;
    }
    // Room mode reports its side while the tap is in progress: the screen stays as it is.
    s.view->SelectStart();
    EXPECT_TRUE(s.view->IsResultShown());
    EXPECT_FALSE(s.view->IsControlShown(V::kHistory));
    EXPECT_FALSE(s.view->IsControlShown(V::kHistoryCaption));
}

TEST(TimeRegisterView, ClockShowsTheWorkingDayWithHoursPast24) {
    Screen s;
    s.At(7, 8, 2, 30, 15);
    s.view->ResetScreen(0);  // shown at once, before the first tick
    EXPECT_EQ(s.view->ControlText(V::kClock), QStringLiteral("07/07 26:30:15"));
    s.At(7, 8, 2, 30, 16);
    s.Fire(V::kPollTimer);
    EXPECT_EQ(s.view->ControlText(V::kClock), QStringLiteral("07/07 26:30:16"));
    s.At(7, 8, 4, 59, 0);
    s.Fire(V::kPollTimer);
    EXPECT_EQ(s.view->ControlText(V::kClock), QStringLiteral("07/07 28:59:00"));
    Screen plain("", false);
    plain.At(7, 8, 2, 30, 15);
    plain.Fire(V::kPollTimer);
    EXPECT_EQ(plain.view->ControlText(V::kClock), QStringLiteral("07/08 02:30:15"));
}

TEST(TimeRegisterView, SideFollowsTheSwitchHourOfTheWorkingDay) {
    Screen s;
    auto sideAt = [&](int hour, int minute) {
        s.At(7, 8, hour, minute);
        s.view->AutoSelectSide(s.t.clock->Now());
        return s.view->IsEndSelected();
    };
    EXPECT_TRUE(sideAt(4, 59));  // hour 28 of the day before
    EXPECT_FALSE(sideAt(5, 0));
    EXPECT_FALSE(sideAt(13, 59));
    EXPECT_TRUE(sideAt(14, 0));

    Screen plain("", false);
    plain.At(7, 8, 2, 0);
    plain.view->AutoSelectSide(plain.t.clock->Now());
    EXPECT_FALSE(plain.view->IsEndSelected());  // no shift: 02:00 is before 14
    plain.At(7, 8, 14, 0);
    plain.view->AutoSelectSide(plain.t.clock->Now());
    EXPECT_TRUE(plain.view->IsEndSelected());
}

TEST(TimeRegisterView, ThePressedSideHoldsUntilTheHourlyTick) {
    Screen s;
    s.At(7, 8, 10, 0);
    s.view->AutoSelectSide(s.t.clock->Now());
    QTest::mouseClick(&s.view->Button(V::kEnd), Qt::LeftButton);
    EXPECT_TRUE(s.view->IsEndSelected());
    EXPECT_TRUE(s.view->Button(V::kEnd).WasClicked());
    s.Fire(V::kPollTimer);
    EXPECT_TRUE(s.view->IsEndSelected());
    s.At(7, 8, 11, 0);
    s.Fire(V::kHourlyTimer);
    EXPECT_FALSE(s.view->IsEndSelected());
}

TEST(TimeRegisterView, TheChimeRingsOnceAtItsTime) {
    Screen s;
    auto chime = std::make_shared<CChimeSettings>(s.t.runtime);
    chime->AddTime(12 * 3600);
    chime->SetChimeEnabled(true);
    s.view->SetChimeSettings(chime);
    s.At(7, 8, 11, 59, 59);
    s.Fire(V::kChimeTimer);
    EXPECT_TRUE(s.sounds.played.empty());
    s.At(7, 8, 12, 0, 0);
    s.Fire(V::kChimeTimer);
    s.Fire(V::kChimeTimer);  // the second check of the same second finds the timer paused
    EXPECT_EQ(s.sounds.played, std::vector<std::string>{"Chime.wav+beep"});
    EXPECT_TRUE(s.view->IsTimerActive(V::kChimePauseTimer));
    s.At(7, 8, 12, 0, 5);
    s.Fire(V::kChimePauseTimer);
    EXPECT_TRUE(s.view->IsTimerActive(V::kChimeTimer));
    s.Fire(V::kChimeTimer);
    EXPECT_EQ(s.sounds.played.size(), 1u);
    chime->SetChimeEnabled(false);
    s.At(7, 8, 12, 0, 0);
    EXPECT_FALSE(s.view->IsChimeTime());
}

TEST(TimeRegisterView, AClickEndsTheResultDisplayButDoesNothingWhileWaiting) {
    Screen s;
    s.view->show();
    s.view->BeginStamp();
    s.view->ShowResult();
    QTest::mouseClick(s.view.get(), Qt::LeftButton, {}, QPoint(460, 300));
    EXPECT_FALSE(s.view->IsResultShown());
    EXPECT_FALSE(s.view->IsTimerActive(V::kResultTimer));
    EXPECT_TRUE(s.view->IsTimerActive(V::kPollTimer));
    s.view->SelectEnd();
    QTest::mouseClick(s.view.get(), Qt::LeftButton, {}, QPoint(460, 300));
    EXPECT_EQ(s.Shown(), kWaitingAttendance);
    EXPECT_TRUE(s.view->IsEndSelected());
}

TEST(TimeRegisterView, AStoppedScreenKeepsItsClockButNeverPollsAgain) {
    Screen s;
    s.Fire(V::kPollTimer);
    EXPECT_EQ(s.command->runs, 1);
    s.view->StopReading();
    s.At(7, 8, 9, 30, 1);
    s.Fire(V::kPollTimer);
    s.view->ResetScreen(0);
    s.Fire(V::kPollTimer);
    EXPECT_EQ(s.command->runs, 1);
    EXPECT_EQ(s.view->ControlText(V::kClock), QStringLiteral("07/08 09:30:01"));
}

TEST(TimeRegisterView, TheResultSoundFollowsTheSelectedSide) {
    Screen s;
    s.view->SelectStart();
    s.view->ShowResult();
    s.view->SelectEnd();
    s.view->ShowResult();
    EXPECT_EQ(s.sounds.played, (std::vector<std::string>{"WorkBegin.wav", "WorkEnd.wav"}));
}

}  // namespace stampwell
