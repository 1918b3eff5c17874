#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "UiSupport.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "platform/LocalTime.h"
#include "screen/TimeRegisterView.h"
#include "settings/ChimeDialog.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {
using V = CTimeRegisterView;

namespace {
struct App {
    App() {
        test::RunCli(t.dir.Path(), "admins add --id admin --password pw");
        test::RunCli(t.dir.Path(), "users add --card 012E00FF12345678 --name 山田");
        test::WriteBytes(t.dir / "Setting2.txt",
                         test::Sjis("チャイム,43200,,,,,,,,,,,,,,,,,,,\r\nチャイム使用,1\r\n"));
        test::RunCli(t.dir.Path(), "users add --card 0123456789ABCDEF --name 鈴木");
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt, sounds,
                                              "simulated:" + (t.dir / "card").string());
    }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::shared_ptr<test::CFakeSoundPlayer> sounds = std::make_shared<test::CFakeSoundPlayer>();
    std::unique_ptr<CStampwellApp> app;
};
}  // namespace

TEST(StampwellApp, StartsWiresAndRecordsATapThroughTheSimulatedReader) {
    App a;
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    V* screen = a.app->Screen();
    EXPECT_TRUE(a.app->Frame()->isVisible());
    EXPECT_EQ(a.app->Frame()->windowTitle(), QStringLiteral("Stampwell"));
    EXPECT_EQ(a.app->Frame()->centralWidget(), screen);
    EXPECT_TRUE(a.app->Controller()->IsScreenActive());
    EXPECT_NE(a.app->Controller()->GetReader(), nullptr);
    // The chime settings of Setting2.txt reach the screen.
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 12, 0));
    EXPECT_TRUE(screen->IsChimeTime());
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));

    test::WriteBytes(a.t.dir / "card", "012E00FF12345678\n");
    screen->OnTimer(V::kPollTimer);
    test::Settle(*a.app);
    EXPECT_TRUE(screen->IsResultShown());
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("09:05 勤務開始"));
    EXPECT_EQ(screen->ControlText(V::kName), QString::fromUtf8("山田"));
    EXPECT_EQ(a.sounds->played, std::vector<std::string>{"WorkBegin.wav"});
    test::WriteBytes(a.t.dir / "card", "");
    screen->OnTimer(V::kResultTimer);
    test::Settle(*a.app);
    ASSERT_EQ(screen->HistoryLines().size(), 1);
    EXPECT_TRUE(
        screen->HistoryLines()[0].startsWith(QString::fromUtf8("2011/08/25 09:05 出社 山田")));
    auto records = test::RunCli(a.t.dir.Path(), "records");
    EXPECT_NE(records.out.find("2011/08/25,09:05,"), std::string::npos);
    EXPECT_TRUE(a.prompt->messages.empty());
    test::SaveScreenshot(a.app->Frame()->grab().toImage(), "app-after-tap");
}

TEST(StampwellApp, TodaysRecordsAreInTheHistoryFromTheStart) {
    App a;
    {
        CWorkReport earlier(a.t.runtime);
        a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 8, 30));
        earlier.SetStamp("鈴木");
        ASSERT_TRUE(earlier.RegisterStamp());
        a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 24, 8, 30));
        earlier.SetStamp("鈴木");
        ASSERT_TRUE(earlier.RegisterStamp());  // yesterday's is not shown
        a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
    }
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    ASSERT_EQ(a.app->Screen()->HistoryLines().size(), 1);
    EXPECT_TRUE(a.app->Screen()->HistoryLines()[0].startsWith(
        QString::fromUtf8("2011/08/25 08:30 出社 鈴木")));
}

TEST(StampwellApp, ACardHeldWhileTheSettingsAreBusyIsReadAfterwards) {
    App a;
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    a.app->Controller()->SetBusy(true);
    test::WriteBytes(a.t.dir / "card", "012E00FF12345678");
    a.app->Screen()->OnTimer(V::kPollTimer);
    test::Settle(*a.app);
    EXPECT_FALSE(a.app->Screen()->IsResultShown());
    a.app->Controller()->SetBusy(false);
    a.app->Screen()->OnTimer(V::kPollTimer);
    test::Settle(*a.app);
    EXPECT_TRUE(a.app->Screen()->IsResultShown());
}

TEST(StampwellApp, RoomModeEntryAndExitSoundDifferentAtAnyHour) {
    App a;
    test::WriteBytes(a.t.dir / "Style.txt", "2");
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 15, 0));  // the end side's hours
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    V* screen = a.app->Screen();
    test::WriteBytes(a.t.dir / "card", "012E00FF12345678");
    screen->OnTimer(V::kPollTimer);
    test::Settle(*a.app);
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("15:00 入室"));
    screen->OnTimer(V::kResultTimer);
    test::Settle(*a.app);
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 15, 10));
    screen->OnTimer(V::kPollTimer);
    test::Settle(*a.app);
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("15:10 退室"));
    EXPECT_EQ(a.sounds->played, (std::vector<std::string>{"WorkBegin.wav", "WorkEnd.wav"}));
    EXPECT_EQ(a.app->Frame()->Command(CMainFrame::kEditRecords)->text(),
              QString::fromUtf8("入退室編集(&E)"));
}

TEST(StampwellApp, ASecondCopyBringsTheRunningOneToTheFrontAndEnds) {
    App a;
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    a.app->Frame()->hide();  // as when it waits in the tray
    QProcess second;
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(STAMPWELL_APP_PATH),
                 {QStringLiteral("--data-dir"), QString::fromStdString(a.t.dir.Path().string()),
                  QStringLiteral("--reader=simulated:/nonexistent")});
    // This process must keep answering while the second one asks (a loaded machine may take its
    // time to start the second one: the wait is generous, the answer is what counts).
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 60000) QTest::qWait(20);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);  // 3 when the running copy did not answer
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    QTest::qWait(50);
    EXPECT_TRUE(a.app->Frame()->isVisible());
    EXPECT_FALSE(a.app->Frame()->isMinimized());

    // Another data folder is another time clock: it runs (and is stopped by us).
    test::CTempDir other;
    QProcess third;
    third.start(QStringLiteral(STAMPWELL_APP_PATH),
                {QStringLiteral("--data-dir"), QString::fromStdString(other.Path().string()),
                 QStringLiteral("--reader=simulated:/nonexistent")});
    EXPECT_FALSE(third.waitForFinished(1500));
    third.kill();
    third.waitForFinished();
}

TEST(StampwellApp, QuittingAfterTheVersionBoxWasOpenedDeletesEveryWindowOnce) {
    App a;
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(50, [] {
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        a.app->Frame()->Command(CMainFrame::kVersion)->trigger();
    }
    QPointer<QWidget> frame = a.app->Frame();
    ASSERT_FALSE(frame.isNull());
    a.app.reset();  // the frame and every dialog go exactly once (a second delete would crash)
    EXPECT_TRUE(frame.isNull());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
    }
}

TEST(StampwellApp, AClockOnAnEmptyDataFolderShowsOurBackground) {
    test::CTempDir data;
    auto screens = data / "screens";
    QProcess clock;
    clock.start(QStringLiteral(STAMPWELL_APP_PATH),
                {QStringLiteral("--data-dir"), QString::fromStdString(data.Path().string()),
                 QStringLiteral("--reader=simulated:/nonexistent"), QStringLiteral("--screens"),
                 QString::fromStdString(screens.string())});
    QElapsedTimer waited;
    waited.start();
    auto picture = screens / "01-waiting.png";
    while (!std::filesystem::exists(picture) && waited.elapsed() < 15000) QTest::qWait(50);
    QTest::qWait(300);
    clock.kill();
    clock.waitForFinished();
    QImage shot(QString::fromStdString(picture.string()));
    ASSERT_FALSE(shot.isNull());
    // Below the panels lies the picture, not black.
    QColor corner = shot.pixelColor(shot.width() - 10, shot.height() - 10);
    EXPECT_GT(corner.red() + corner.green() + corner.blue(), 60);
    EXPECT_FALSE(std::filesystem::exists(data / "ImageTime.bmp"));  // nothing copied in
}

TEST(MainFrame, MenuTrayAndMinimise) {
    App a;
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    CMainFrame* frame = a.app->Frame();
    EXPECT_EQ(frame->Command(CMainFrame::kChime)->text(), QString::fromUtf8("チャイム機能(&C)"));
    EXPECT_TRUE(frame->Command(CMainFrame::kChime)->isEnabled());
    EXPECT_TRUE(frame->Command(CMainFrame::kVersion)->isEnabled());
    EXPECT_EQ(frame->Command(CMainFrame::kEditRecords)->text(),
              QString::fromUtf8("出退勤編集(&E)"));
    EXPECT_TRUE(frame->Command(CMainFrame::kUsers)->isEnabled());
    EXPECT_TRUE(frame->Command(CMainFrame::kEnvironment)->isEnabled());
    EXPECT_TRUE(frame->Command(CMainFrame::kExport)->isEnabled());
    EXPECT_TRUE(frame->Command(CMainFrame::kEditRecords)->isEnabled());
    EXPECT_EQ(frame->Command(CMainFrame::kQuit)->text(),
              QString::fromUtf8("アプリケーション終了(&X)"));

    ASSERT_EQ(frame->TrayMenu().actions().size(), 1);
    EXPECT_EQ(frame->TrayMenu().actions()[0]->text(), QString::fromUtf8("終了"));

    frame->Command(CMainFrame::kChime)->trigger();
    EXPECT_TRUE(a.app->Chime()->isVisible());
    a.app->Chime()->hide();

    frame->showMinimized();
    QTest::qWait(20);
    // Without a tray (as here) the window must not be lost: it stays, minimised.
    if (!frame->HasTray()) {
        EXPECT_FALSE(frame->isHidden());
    }
    frame->OnTrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
    frame->OnTrayActivated(QSystemTrayIcon::Context);
    EXPECT_TRUE(frame->isVisible());

    frame->TrayMenu().actions()[0]->trigger();
    EXPECT_FALSE(frame->isVisible());
}

}  // namespace stampwell

namespace stampwell {

TEST(StampwellApp, AReaderPluggedBackInIsReadWithoutARestart) {
    App a;
    ASSERT_TRUE(a.app->InitInstance());
    test::Settle(*a.app);
    V* screen = a.app->Screen();
    test::WriteBytes(a.t.dir / "card", "disconnected\n");
    screen->OnTimer(V::kPollTimer);
    EXPECT_TRUE(screen->IsReaderAwayShown());
    EXPECT_EQ(screen->ControlText(V::kStep2),
              QString::fromUtf8("  カードリーダーが接続されていません。"));
    test::SaveScreenshot(screen->Render(), "reader-away");
    EXPECT_FALSE(screen->IsStopped());
    // Plugged back in, with a card on it: read at the next poll, no restart.
    test::WriteBytes(a.t.dir / "card", "012E00FF12345678\n");
    screen->OnTimer(V::kPollTimer);
    test::Settle(*a.app);
    EXPECT_TRUE(screen->IsResultShown());
    EXPECT_EQ(screen->ControlText(V::kName), QString::fromUtf8("山田"));
    test::WriteBytes(a.t.dir / "card", "");
    screen->OnTimer(V::kResultTimer);
    test::Settle(*a.app);
    EXPECT_FALSE(screen->IsReaderAwayShown());
    EXPECT_EQ(screen->ControlText(V::kStep2),
              QString::fromUtf8("  Step2:カードをかざすと、登録されます。"));
    EXPECT_TRUE(a.prompt->messages.empty());
    const std::string log = test::ReadBytes(a.t.dir / "ErrorLog.txt");
    EXPECT_NE(log.find("connected again"), std::string::npos);
}

}  // namespace stampwell

namespace stampwell {

TEST(StampwellApp, AnOptionThatIsNeitherOursNorQtsIsRefused) {
    test::CTempDir dir;
    const QString meant = QString::fromStdString((dir / "office").string());
    QProcess clock;
    clock.start(QStringLiteral(STAMPWELL_APP_PATH),
                {QStringLiteral("--datadir"), meant, QStringLiteral("-platform"),
                 QStringLiteral("offscreen")});
    QElapsedTimer waited;
    waited.start();
    QByteArray said;
    while (waited.elapsed() < 30000 && !said.contains("--datadir")) {
        QTest::qWait(50);
        said += clock.readAllStandardError();
        if (clock.state() == QProcess::NotRunning) break;
    }
    // The refusal is said (and shown in a box that waits for OK, after which it exits 2); no
    // clock starts on any folder meanwhile.
    EXPECT_TRUE(said.contains("--datadir")) << said.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir / "office"));
    clock.kill();
    clock.waitForFinished();
}

}  // namespace stampwell

namespace stampwell {

namespace {
// Reads a process's output until it holds `wanted` or the time is up.
bool WaitForOutput(QProcess& process, QByteArray& seen, const QByteArray& wanted, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (!seen.contains(wanted) && waited.elapsed() < ms) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardOutput();
        if (process.state() == QProcess::NotRunning) {
            seen += process.readAllStandardOutput();
            break;
        }
    }
    return seen.contains(wanted);
}

void Stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}
}  // namespace

// With autostart the clock often starts before the desktop's panel: its tray icon must still
// appear once the panel (here: the least of an X11 tray) is there.
TEST(MainFrame, TheTrayIconAppearsWhenThePanelStartsAfterTheClock) {
    test::CTempDir dir;
    QProcess display;
    display.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    QByteArray number;
    ASSERT_TRUE(WaitForOutput(display, number, "\n", 30000)) << "Xvfb did not start";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"),
               QStringLiteral(":") + QString::fromLatin1(number.trimmed()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    QProcess clock;
    clock.setProcessEnvironment(env);
    clock.start(QStringLiteral(STAMPWELL_APP_PATH),
                {QStringLiteral("--data-dir"), QString::fromStdString((dir / "data").string()),
                 QStringLiteral("--reader"),
                 QString::fromStdString("simulated:" + (dir / "card").string())});
    ASSERT_TRUE(clock.waitForStarted());

    // The tray comes up once the clock's window is on the screen, as a late panel would.
    QProcess tray;
    tray.setProcessEnvironment(env);
    tray.start(QStringLiteral(STAMPWELL_FAKETRAY_PATH),
               {QStringLiteral("--after-window"), QStringLiteral("Stampwell")});
    QByteArray said;
    EXPECT_TRUE(WaitForOutput(tray, said, "ready", 60000)) << said.toStdString();
    EXPECT_TRUE(WaitForOutput(tray, said, "dock ", 30000))
        << "the clock never put its icon into the tray: " << said.toStdString();
    EXPECT_EQ(clock.state(), QProcess::Running);

    Stop(tray);
    Stop(clock);
    Stop(display);
}

}  // namespace stampwell
