// What every keeper of the work records must do, written against the store's face: a tap's
// decisions and its overwrite, room mode's five minutes, a month's correction that keeps what
// another clock recorded meanwhile and asks before it overwrites a changed time, and a trail
// that holds every stored change and never one that was not stored. Each store the program has
// runs the same cases.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <thread>

#include "officestore/OfficeStores.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgWorkStore.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {

struct StoreKind {
    const char* name;
    std::function<std::shared_ptr<IWorkStore>(const CRuntime&)> open;
    // Makes the trail impossible to write from now on (a store that has lost that part).
    std::function<void(const CRuntime&)> breakTrail;
};

void PrintTo(const StoreKind& kind, std::ostream* out) {
    *out << kind.name;
}

const StoreKind kFolder{"Folder", [](const CRuntime& runtime) { return OpenWorkStore(runtime); },
                        [](const CRuntime& runtime) {
                            std::filesystem::create_directory(runtime.DataDir() / "EditLog.txt");
                        }};

// The company database: each test's office a database of its own on the test program's server;
// its trail broken by a trigger that refuses every line.
const StoreKind kDatabase{
    "Database",
    [](const CRuntime& runtime) -> std::shared_ptr<IWorkStore> {
        return std::make_shared<CPgWorkStore>(runtime, test::PgOfficeFor(runtime.DataDir()),
                                              "本社");
    },
    [](const CRuntime& runtime) {
        std::string why;
        auto connection = CPgConnection::Open(test::PgOfficeFor(runtime.DataDir()), why);
        ASSERT_TRUE(connection) << why;
        ASSERT_TRUE(connection
                        ->ExecScript("CREATE FUNCTION stampwell.refuse() RETURNS trigger AS "
                                     "$$BEGIN RAISE EXCEPTION 'no trail'; END$$ LANGUAGE plpgsql;"
                                     "CREATE TRIGGER refuse BEFORE INSERT ON stampwell.trail "
                                     "FOR EACH ROW EXECUTE FUNCTION stampwell.refuse()")
                        .Ok());
    }};

std::int64_t At(int y, int mo, int d, int h, int mi) {
    return CLocalTime::FromLocal(y, mo, d, h, mi);
}

// A record as listed: the name padded to its 32 stored bytes, the day and one of the times.
std::string Line(const std::string& name, const std::string& date, const std::string& start,
                 const std::string& end) {
    const std::size_t width = CTextCodec::ToCp932(name)->size();
    return name + std::string(32 - width, ' ') + "," + date + "," + start + "," + end;
}

class WorkStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    // A clock of the office: its own store object on the same records.
    std::shared_ptr<IWorkStore> Clock() {
        auto store = GetParam().open(t.runtime);
        store->SetSettings(settings);
        store->SetStampSide(&side);
        return store;
    }
    int Check(IWorkStore& store, const std::string& name, std::int64_t when) {
        t.clock->Set(when);
        store.SetStamp(name);
        return store.CheckToday();
    }
    std::vector<std::string> Records() {
        std::vector<std::string> lines;
        EXPECT_TRUE(Clock()->ForEachRecord(false, [&](const IWorkStore::NumberedLine& line) {
            lines.push_back(line.text);
            return true;
        }));
        return lines;
    }
    std::vector<IWorkStore::TrailEntry> Trail() {
        std::vector<IWorkStore::TrailEntry> entries;
        EXPECT_TRUE(Clock()->ForEachTrailEntry(
            [&](const IWorkStore::TrailEntry& entry) { entries.push_back(entry); }));
        return entries;
    }
    void UseRoomMode() {
        test::WriteBytes(t.dir / "Style.txt", "2");
        settings = CreateConfig(t.runtime);
    }
    test::CTestRuntime t;
    std::shared_ptr<CEnvironmentSettings> settings = CreateConfig(t.runtime);
    test::CFixedSide side;
};

}  // namespace

TEST_P(WorkStoreContract, ATapFindsTheFirstRecordOfItsSideAndTheOverwriteReplacesItsTime) {
    auto clock = Clock();
    Check(*clock, "Sato", At(2011, 8, 25, 8, 0));
    ASSERT_TRUE(clock->RegisterStamp());
    Check(*clock, "Ito", At(2011, 8, 25, 8, 30));
    ASSERT_TRUE(clock->RegisterStamp());
    EXPECT_GT(Check(*clock, "Ito", At(2011, 8, 25, 9, 0)), 0);
    side.end = true;
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 25, 9, 0)), 0);  // no clock-out yet
    side.end = false;
    const int found = Check(*clock, "Ito", At(2011, 8, 25, 9, 15));
    ASSERT_GT(found, 0);
    ASSERT_TRUE(clock->OverwriteRecord(found));
    EXPECT_EQ(Records(), (std::vector<std::string>{Line("Sato", "2011/08/25", "08:00", ""),
                                                   Line("Ito", "2011/08/25", "09:15", "")}));
    // Another day's record never matches; an overwrite of a record that is not there any more
    // is decided again, as a new record of that day.
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 26, 9, 0)), 0);
    ASSERT_TRUE(clock->OverwriteRecord(found + 7));
    EXPECT_EQ(Records().back(), Line("Ito", "2011/08/26", "09:00", ""));
    std::vector<std::string> today;
    clock->ListToday(today);
    EXPECT_EQ(today, std::vector<std::string>{"2011/08/26 09:00 出社 Ito" + std::string(29, ' ')});
}

TEST_P(WorkStoreContract, RoomModeKeepsItsFiveMinutesAndOverwritesTheLaterExit) {
    UseRoomMode();
    auto clock = Clock();
    ASSERT_EQ(clock->GetMode(), 2);
    side.end = true;  // room mode ignores the selected side
    // The first tap of all: the clock's command records the entry itself.
    if (Check(*clock, "Sato", At(2011, 8, 25, 8, 0)) == 0) {
        ASSERT_TRUE(clock->RegisterStamp());
    }
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 25, 9, 0)), IWorkStore::EntryRecorded);
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 25, 9, 5)), IWorkStore::TooSoon);
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 25, 9, 6)), IWorkStore::ExitRecorded);
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 25, 9, 11)), IWorkStore::TooSoon);
    EXPECT_EQ(Check(*clock, "Ito", At(2011, 8, 25, 17, 45)), IWorkStore::ExitRecorded);
    EXPECT_EQ(Records(), (std::vector<std::string>{Line("Sato", "2011/08/25", "08:00", ""),
                                                   Line("Ito", "2011/08/25", "09:00", ""),
                                                   Line("Ito", "2011/08/25", "", "17:45")}));
    EXPECT_EQ(clock->MakeResultText(2), "17:45 退室");
}

TEST_P(WorkStoreContract, AMonthSaveKeepsAnotherClocksTapAndAsksBeforeOverwritingAChangedTime) {
    auto clock = Clock();
    Check(*clock, "山田", At(2011, 8, 1, 9, 0));
    ASSERT_TRUE(clock->RegisterStamp());
    side.end = true;
    Check(*clock, "山田", At(2011, 8, 1, 18, 0));
    ASSERT_TRUE(clock->RegisterStamp());
    auto screen = Clock();
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(screen->LoadMonth("山田", 2011, 8, days));
    ASSERT_EQ(days.size(), 31u);
    EXPECT_EQ(days[0].start, "09:00");
    EXPECT_EQ(days[0].end, "18:00");
    // While the screen is open the clock-out is tapped again.
    const int found = Check(*clock, "山田", At(2011, 8, 1, 18, 30));
    ASSERT_GT(found, 0);
    ASSERT_TRUE(clock->OverwriteRecord(found));

    // Only the clock-in was corrected: the later clock-out stays.
    const IWorkStore::TrailMark mark{"2011/08/02 10:00:00", "boss", "遅刻の訂正", "出社", "退社"};
    std::vector<IWorkStore::CellConflict> conflicts;
    bool trailFailed = true;
    EXPECT_EQ(screen->SaveMonth("山田", 2011, 8, {{1, 0, "09:00", "08:40"}}, &conflicts, &mark,
                                &trailFailed),
              IWorkStore::ESaveOutcome::kSaved);
    EXPECT_FALSE(trailFailed);
    EXPECT_EQ(Records(), (std::vector<std::string>{Line("山田", "2011/08/01", "08:40", ""),
                                                   Line("山田", "2011/08/01", "", "18:30")}));
    // The clock-out the screen still shows as 18:00 is not written back over 18:30.
    EXPECT_EQ(screen->SaveMonth("山田", 2011, 8, {{1, 1, "18:00", "17:00"}}, &conflicts, &mark),
              IWorkStore::ESaveOutcome::kConflict);
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].onDisk, "18:30");
    EXPECT_EQ(Records().back(), Line("山田", "2011/08/01", "", "18:30"));

    const auto trail = Trail();
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].day, "2011/08/01");
    EXPECT_EQ(trail[0].side, "出社");
    EXPECT_EQ(trail[0].before, "09:00");
    EXPECT_EQ(trail[0].after, "08:40");
    EXPECT_EQ(trail[0].reason, "遅刻の訂正");
    EXPECT_EQ(trail[0].state, IWorkStore::ETrailState::kDone);
}

TEST_P(WorkStoreContract, AMonthWhoseTrailCannotBeWrittenIsNotSaved) {
    auto clock = Clock();
    Check(*clock, "山田", At(2011, 8, 1, 9, 0));
    ASSERT_TRUE(clock->RegisterStamp());
    GetParam().breakTrail(t.runtime);
    const IWorkStore::TrailMark mark{"2011/08/02 10:00:00", "boss", "訂正", "出社", "退社"};
    bool trailFailed = false;
    EXPECT_NE(
        clock->SaveMonth("山田", 2011, 8, {{1, 0, "09:00", "08:00"}}, nullptr, &mark, &trailFailed),
        IWorkStore::ESaveOutcome::kSaved);
    EXPECT_TRUE(trailFailed);
    EXPECT_EQ(Records(), std::vector<std::string>{Line("山田", "2011/08/01", "09:00", "")});
}

TEST_P(WorkStoreContract, ClocksTappingTheSameCardsAtOnceLeaveOneClockInADay) {
    Clock()->ListToday(*std::make_unique<std::vector<std::string>>());  // the office exists
    const std::vector<std::string> names{"佐藤", "Ito", "山田"};
    std::vector<std::function<bool()>> jobs;
    // Every clock is connected before the first of them taps, so their taps meet.
    const auto go = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    for (int p = 0; p < 5; ++p) {
        jobs.push_back([&, p] {
            auto clock = Clock();
            std::vector<std::string> warm;
            clock->ListToday(warm);
            std::this_thread::sleep_until(go);
            bool all = true;
            // Each round a day of its own: a new race for every card.
            for (int round = 0; round < 20; ++round) {
                for (const auto& name : names) {
                    t.clock->Set(At(2011, 8, 1 + round, 9, p));
                    clock->SetStamp(name);
                    const auto hold = clock->HoldToday();
                    const int found = clock->CheckToday();
                    if (found == 0) all = clock->RegisterStamp() && all;
                    all = found >= 0 && all;
                }
            }
            return all;
        });
    }
    EXPECT_EQ(test::RunAtOnce(jobs), 5);
    std::map<std::string, int> starts;
    for (const auto& line : Records())
        ++starts[line.substr(0, line.find(' ')) + line.substr(line.find(','), 11)];
    EXPECT_EQ(starts.size(), 60u);
    for (const auto& [day, count] : starts) EXPECT_EQ(count, 1) << day;
}

TEST_P(WorkStoreContract, AnotherClockWaitsForATapBetweenItsDecisionAndItsWrite) {
    Clock()->ListToday(*std::make_unique<std::vector<std::string>>());  // the office exists
    const auto decided = t.dir / "decided";
    const std::vector<std::function<bool()>> jobs{
        [&] {
            auto clock = Clock();
            t.clock->Set(At(2011, 8, 25, 9, 0));
            clock->SetStamp("佐藤");
            const auto hold = clock->HoldToday();
            if (clock->CheckToday() != 0) return false;
            test::WriteBytes(decided, "");
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return clock->RegisterStamp();
        },
        [&] {
            auto clock = Clock();
            while (!std::filesystem::exists(decided))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            // Decided while the first clock holds the day: it sees that clock's record.
            return Check(*clock, "佐藤", At(2011, 8, 25, 9, 1)) > 0;
        }};
    EXPECT_EQ(test::RunAtOnce(jobs), 2);
    EXPECT_EQ(Records(), std::vector<std::string>{Line("佐藤", "2011/08/25", "09:00", "")});
}

INSTANTIATE_TEST_SUITE_P(Stores, WorkStoreContract, ::testing::Values(kFolder, kDatabase),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace stampwell
