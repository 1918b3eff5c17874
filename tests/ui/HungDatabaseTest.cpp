// The clock on the company database when its server stops answering (its processes stopped, as
// a hung host): the window keeps ticking, the tap is decided within a few seconds from what the
// clock last read (its register and today's records), shown as kept beside the clock, and sent
// once when the server answers again.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>

#include "UiSupport.h"
#include "admin_ui/LimitsDialog.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "people/AdminLoginDialog.h"
#include "pgstore/PgConnection.h"
#include "platform/LocalTime.h"
#include "screen/TimeRegisterView.h"
#include "settings/WorkRulesDialog.h"
#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {
using V = CTimeRegisterView;

namespace {
// An office on the company database: db init, this clock set to it, an administrator (admin,
// pw), then the steps given; the clock's day 2011/08/25 09:05. Empty, or what failed.
std::string SetUpOffice(test::CPgServer& server, test::CTestRuntime& t,
                        const std::vector<std::string>& more) {
    const std::string office = server.ConnInfo("office");
    std::vector<std::string> steps{
        "db init --database '" + office + "'",
        "settings set --store postgresql --database '" + office + "' --site 本社",
        "admins add --id admin --password pw"};
    steps.insert(steps.end(), more.begin(), more.end());
    for (const std::string& step : steps) {
        const auto done = test::RunCli(t.dir.Path(), step);
        if (done.exitCode != 0) return step + ": " + done.err;
    }
    t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
    return {};
}
}  // namespace

TEST(HungDatabase, TheWindowTicksTheTapIsKeptBesideTheClockAndSentOnceTheServerAnswers) {
    test::CPgServer server;
    ASSERT_TRUE(server.Running()) << server.Why();
    test::CTestRuntime t;
    ASSERT_EQ(SetUpOffice(server, t, {"users add --card 012E00FF12345678 --name 山田"}), "");
    const std::string office = server.ConnInfo("office");
    auto prompt = std::make_shared<test::CFakePrompt>();
    auto sounds = std::make_shared<test::CFakeSoundPlayer>();
    CStampwellApp app(t.runtime, prompt, sounds, "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    test::Settle(app);
    V* screen = app.Screen();
    // The register as the clock reads it with a tap: read once while the server answers.
    ASSERT_EQ(test::RunCli(t.dir.Path(), "tap 012E00FF12345678 --end").exitCode, 0);

    ASSERT_TRUE(server.Pause());
    test::WriteBytes(t.dir / "card", "012E00FF12345678\n");
    screen->OnTimer(V::kPollTimer);
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("処理中…"));
    // The window ticks while the tap waits for the server.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer waited;
    waited.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen->IsResultShown(); }, 15000));
    EXPECT_LT(waited.elapsed(), 9000);  // about one wait for the server, never one per step
    EXPECT_GT(ticks, 10);
    EXPECT_EQ(screen->ControlText(V::kResult), QString::fromUtf8("09:05 勤務開始"));
    EXPECT_EQ(screen->ControlText(V::kBanner),
              QString::fromUtf8("記録先が応答しません・端末に保管しました"));
    test::SaveScreenshot(screen->Render(), "database-kept-here");
    EXPECT_TRUE(std::filesystem::exists(t.dir / "DatabaseWaiting.dat"));
    test::WriteBytes(t.dir / "card", "");
    screen->OnTimer(V::kResultTimer);

    ASSERT_TRUE(server.Resume());
    // The next tap, past the clock's pause before it tries the server again, sends it first.
    std::filesystem::remove(t.dir / "DatabaseWaiting.dat.away");
    t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 18, 0));
    const auto later = test::RunCli(t.dir.Path(), "tap 012E00FF12345678 --end --yes");
    EXPECT_EQ(later.exitCode, 0) << later.err;
    EXPECT_FALSE(std::filesystem::exists(t.dir / "DatabaseWaiting.dat"));
    std::string why;
    auto connection = CPgConnection::Open(office, why);
    ASSERT_TRUE(connection) << why;
    const auto starts = connection->Exec(
        "SELECT time FROM stampwell.work_records WHERE employee = '山田' AND side = 0");
    ASSERT_EQ(starts.Rows(), 1);
    EXPECT_EQ(starts.Value(0, 0), "09:05");
    EXPECT_TRUE(prompt->messages.empty()) << test::LastOf(prompt->messages);
}

}  // namespace stampwell

namespace stampwell {

// The rules and limits screens on the company database when its server stops answering: the
// rules are read off the window's thread, the window keeps ticking, and neither screen opens
// on rules it could not read (limits by the defaults could misstate the law; a save over them
// would put the defaults in place).
TEST(HungDatabase, TheRulesAndLimitsScreensNeverWaitOnTheWindowsThread) {
    test::CPgServer server;
    ASSERT_TRUE(server.Running()) << server.Why();
    test::CTestRuntime t;
    ASSERT_EQ(SetUpOffice(server, t, {"rules set --agreement-start 4 --from 2011/04/01"}), "");
    auto prompt = std::make_shared<test::CFakePrompt>();
    CStampwellApp app(t.runtime, prompt, std::make_shared<test::CFakeSoundPlayer>(),
                      "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    test::Settle(app);
    ASSERT_TRUE(server.Pause());
    for (const auto& open : std::vector<std::function<int()>>{
             [&] { return app.Limits()->Run(); }, [&] { return app.WorkRules()->Run(); }}) {
        prompt->messages.clear();
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(open(), QDialog::Rejected);
        // A frozen window ticks once at most; a loaded machine still ticks many times.
        EXPECT_GT(ticks, 5) << "waited " << waited.elapsed() << " ms";
        ASSERT_EQ(prompt->messages.size(), 1u);
        EXPECT_NE(prompt->messages[0].find("勤務ルール"), std::string::npos) << prompt->messages[0];
    }
    // The login itself is checked off the window's thread, and a server that does not answer
    // is said as such, never as a wrong password.
    prompt->messages.clear();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QTimer::singleShot(20, [&] {
        app.Login()->IdField().setText(QStringLiteral("admin"));
        app.Login()->PasswordField().setText(QStringLiteral("pw"));
        app.Login()->OnOk();
        app.Login()->reject();
    });
    app.Frame()->Command(CMainFrame::kLimits)->trigger();
    EXPECT_GT(ticks, 5);
    ASSERT_EQ(prompt->messages.size(), 1u);
    EXPECT_NE(prompt->messages[0].find("接続できないため"), std::string::npos)
        << prompt->messages[0];
    ASSERT_TRUE(server.Resume());
}

}  // namespace stampwell
