// Clocks on the company database when the server hangs, dies or two clocks are cut off at once:
// a tap is decided within a few seconds from what the clock knows, kept on its disk, sent once
// and in order when the server answers again, and merged with what another clock recorded
// meanwhile as the folder's waiting records are.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "pgstore/PgWorkStore.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {

std::int64_t At(int h, int mi) {
    return CLocalTime::FromLocal(2026, 6, 1, h, mi);
}

struct Office {
    Office() {
        std::string why;
        auto connection = CPgConnection::Open(conninfo, why);
        EXPECT_TRUE(connection) << why;
        if (connection) {
            EXPECT_EQ(CPgSchema::Init(*connection, why), CPgSchema::EState::kReady);
        }
    }
    // The records as the database has them, in order.
    std::vector<std::string> Rows() { return RowsOf(conninfo); }
    static std::vector<std::string> RowsOf(const std::string& conninfo) {
        std::string why;
        auto connection = CPgConnection::Open(conninfo, why);
        std::vector<std::string> rows;
        if (!connection) return {why};
        const auto result = connection->Exec(
            "SELECT employee || ' ' || side || ' ' || time FROM stampwell.work_records ORDER BY "
            "id");
        for (int i = 0; i < result.Rows(); ++i) rows.push_back(result.Value(i, 0));
        return rows;
    }
    test::CPgServer server;
    std::string conninfo = server.ConnInfo("office");
};

// A clock of the office: its own data folder and store.
struct Clock {
    explicit Clock(Office& office) : Clock(office.conninfo) {}
    explicit Clock(const std::string& conninfo) {
        store = std::make_shared<CPgWorkStore>(t.runtime, conninfo, "本社");
        store->SetSettings(CreateConfig(t.runtime));
        store->SetStampSide(&side);
    }
    // A tap as the clock's command makes it: held, decided, recorded.
    int Tap(const std::string& name, std::int64_t when) {
        t.clock->Set(when);
        store->SetStamp(name);
        const auto hold = store->HoldToday();
        const int found = store->CheckToday();
        if (found == 0 && !store->RegisterStamp()) return IWorkStore::WriteFailed;
        return found;
    }
    test::CTestRuntime t;
    test::CFixedSide side;
    std::shared_ptr<CPgWorkStore> store;
};

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(PgOutage, ATapWhileTheServerHangsIsKeptBesideTheClockAndSentOnceWhenItAnswers) {
    Office office;
    ASSERT_TRUE(office.server.Running()) << office.server.Why();
    Clock clock(office);
    ASSERT_EQ(clock.Tap("佐藤", At(9, 0)), 0);
    std::vector<std::string> today;
    clock.store->ListToday(today);

    ASSERT_TRUE(office.server.Pause());
    int decided = -1;
    // One wait for the server, then the decision from what the clock knows.
    EXPECT_LT(SecondsOf([&] { decided = clock.Tap("Ito", At(9, 30)); }), 8.0);
    EXPECT_EQ(decided, 0);
    EXPECT_TRUE(clock.store->IsUsingTemporary());
    EXPECT_GT(clock.Tap("佐藤", At(9, 35)), 0);  // the clock-in it read before is still known
    clock.store->ListToday(today);
    ASSERT_EQ(today.size(), 2u);
    EXPECT_EQ(today[1].rfind("2026/06/01 09:30 出社 Ito", 0), 0u) << today[1];
    const auto waiting = clock.t.dir / "DatabaseWaiting.dat";
    ASSERT_TRUE(std::filesystem::exists(waiting));
    const std::string kept = test::ReadBytes(waiting);

    ASSERT_TRUE(office.server.Resume());
    // Another tap on a new clock object (a new tap of the window): the waiting tap goes first.
    Clock again(office);
    std::filesystem::copy_file(waiting, again.t.dir / "DatabaseWaiting.dat");
    std::filesystem::remove(waiting);
    EXPECT_EQ(again.Tap("鈴木", At(9, 40)), 0);
    EXPECT_FALSE(std::filesystem::exists(again.t.dir / "DatabaseWaiting.dat"));
    const std::vector<std::string> expected{"佐藤 0 09:00", "Ito 0 09:30", "鈴木 0 09:40"};
    EXPECT_EQ(office.Rows(), expected);
    // Sent again (a crash before the file went): nothing is doubled.
    test::WriteBytes(again.t.dir / "DatabaseWaiting.dat", kept);
    again.store->ListToday(today);
    EXPECT_EQ(office.Rows(), expected);
}

TEST(PgOutage, TwoClocksCutOffAtOnceKeepTheEarlierClockInWithATrailLine) {
    Office office;
    ASSERT_TRUE(office.server.Running()) << office.server.Why();
    Clock a(office), b(office);
    std::vector<std::string> today;
    a.store->ListToday(today);
    ASSERT_TRUE(office.server.Kill());  // died: nothing answers, not even the connection
    EXPECT_EQ(a.Tap("Ito", At(9, 10)), 0);
    EXPECT_EQ(b.Tap("Ito", At(9, 5)), 0);
    b.side.end = true;
    EXPECT_EQ(b.Tap("Ito", At(18, 0)), 0);
    ASSERT_TRUE(office.server.Start());

    Clock later(office);
    for (Clock* clock : {&a, &b}) {
        std::filesystem::copy_file(clock->t.dir / "DatabaseWaiting.dat",
                                   later.t.dir / "DatabaseWaiting.dat",
                                   std::filesystem::copy_options::overwrite_existing);
        later.store->ListToday(today);
        EXPECT_FALSE(std::filesystem::exists(later.t.dir / "DatabaseWaiting.dat"));
    }
    EXPECT_EQ(office.Rows(), (std::vector<std::string>{"Ito 0 09:05", "Ito 1 18:00"}));
    std::vector<IWorkStore::TrailEntry> trail;
    ASSERT_TRUE(later.store->ForEachTrailEntry(
        [&](const IWorkStore::TrailEntry& entry) { trail.push_back(entry); }));
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].before, "09:10");
    EXPECT_EQ(trail[0].after, "09:05");
    EXPECT_NE(trail[0].reason.find("待機中の記録を統合"), std::string::npos) << trail[0].reason;
}

TEST(PgOutage, AServerKilledWhileAMonthIsSavedKeepsTheMonthAsItWasWithNoTrail) {
    Office office;
    ASSERT_TRUE(office.server.Running()) << office.server.Why();
    Clock clock(office);
    ASSERT_EQ(clock.Tap("佐藤", At(9, 0)), 0);
    // The save stops inside its transaction (at its trail line) long enough to be killed there.
    ASSERT_TRUE(
        office.server.Psql("CREATE FUNCTION stampwell.slow() RETURNS trigger AS "
                           "$$BEGIN PERFORM pg_sleep(30); RETURN NEW; END$$ "
                           "LANGUAGE plpgsql; CREATE TRIGGER slow BEFORE INSERT ON "
                           "stampwell.trail FOR EACH ROW EXECUTE FUNCTION stampwell.slow()",
                           "office"));
    const IWorkStore::TrailMark mark{"2026/06/02 10:00:00", "boss", "訂正", "出社", "退社"};
    IWorkStore::ESaveOutcome outcome = IWorkStore::ESaveOutcome::kSaved;
    std::thread save([&] {
        outcome =
            clock.store->SaveMonth("佐藤", 2026, 6, {{1, 0, "09:00", "08:00"}, {1, 1, "", "18:00"}},
                                   nullptr, &mark, nullptr);
    });
    // Killed once the save waits in the server.
    std::string why;
    auto watcher = CPgConnection::Open(office.conninfo, why);
    ASSERT_TRUE(watcher) << why;
    bool inside = false;
    for (int i = 0; i < 200 && !inside; ++i) {
        const auto waiting = watcher->Exec(
            "SELECT count(*) FROM pg_stat_activity WHERE query LIKE 'INSERT INTO "
            "stampwell.trail%'");
        inside = waiting.Ok() && waiting.Value(0, 0) != "0";
        if (inside) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    watcher.reset();
    EXPECT_TRUE(inside);
    ASSERT_TRUE(office.server.Kill());
    save.join();
    EXPECT_NE(outcome, IWorkStore::ESaveOutcome::kSaved);
    ASSERT_TRUE(office.server.Start());
    EXPECT_EQ(office.Rows(), std::vector<std::string>{"佐藤 0 09:00"});
    Clock reader(office);
    int lines = 0;
    ASSERT_TRUE(reader.store->ForEachTrailEntry([&](const IWorkStore::TrailEntry&) { ++lines; }));
    EXPECT_EQ(lines, 0);
}

TEST(PgOutage, ClocksCarryOnWithTheStandbyOnceItIsPromoted) {
    Office office;
    ASSERT_TRUE(office.server.Running()) << office.server.Why();
    test::CPgServer standby(test::CPgServer::StandbyOf{office.server});
    ASSERT_TRUE(standby.Running()) << standby.Why();
    // Both hosts in one connection string; only the one that takes writes is used.
    const auto host = [](const test::CPgServer& server) { return server.SocketDir().string(); };
    const std::string both = "host=" + host(office.server) + "," + host(standby) +
                             " port=" + std::to_string(office.server.Port()) + "," +
                             std::to_string(standby.Port()) +
                             " user=postgres dbname=office target_session_attrs=read-write";
    const std::string onStandby = standby.ConnInfo("office");
    Clock clock(both);
    ASSERT_EQ(clock.Tap("佐藤", At(9, 0)), 0);
    // Streamed to the standby before the primary goes.
    for (int i = 0; i < 200 && Office::RowsOf(onStandby).size() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(Office::RowsOf(onStandby).size(), 1u);

    ASSERT_TRUE(office.server.Kill());
    // Nobody takes writes: the tap waits beside the clock.
    EXPECT_EQ(clock.Tap("Ito", At(9, 10)), 0);
    EXPECT_TRUE(clock.store->IsUsingTemporary());
    ASSERT_TRUE(standby.Promote());
    // The next tap of the window (a new store object), once the clock tries the server again
    // (its note of the outage is 10 s old), finds the new primary and sends first.
    std::filesystem::remove(clock.t.dir / "DatabaseWaiting.dat.away");
    CPgWorkStore next(clock.t.runtime, both, "本社");
    next.SetSettings(CreateConfig(clock.t.runtime));
    next.SetStampSide(&clock.side);
    clock.t.clock->Set(At(9, 20));
    next.SetStamp("鈴木");
    EXPECT_EQ(next.CheckToday(), 0);
    EXPECT_TRUE(next.RegisterStamp());
    EXPECT_FALSE(next.IsUsingTemporary());
    EXPECT_EQ(Office::RowsOf(onStandby),
              (std::vector<std::string>{"佐藤 0 09:00", "Ito 0 09:10", "鈴木 0 09:20"}));
}

}  // namespace stampwell
