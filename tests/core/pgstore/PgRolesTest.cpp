// The two roles db init makes, tried as a clock's login and an administrator's: a clock records
// today's taps and lets an administrator log in, but cannot read a password hash, change a past
// record or an administrator.
#include <gtest/gtest.h>

#include "pgstore/PgAdminStore.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgWorkStore.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(PgRoles, AClocksLoginRecordsTodayButReadsNoHashAndChangesNoPastRecordNorAdministrator) {
    test::CTestRuntime t;
    const std::string office = test::PgOfficeFor(t.dir.Path());
    const std::string suffix = std::to_string(::getpid());
    const std::string clockRole = "clock_" + suffix, bossRole = "boss_" + suffix;
    ASSERT_TRUE(test::SharedPgServer().Psql("CREATE ROLE " + clockRole +
                                            " LOGIN IN ROLE stampwell_clock; CREATE ROLE " +
                                            bossRole + " LOGIN IN ROLE stampwell_admin"));
    const std::string asClock = office + " user=" + clockRole;
    const std::string asBoss = office + " user=" + bossRole;

    CPgAdminStore boss(asBoss, std::chrono::milliseconds(2000));
    boss.SetId("boss");
    boss.SetCardId("1111222233334444");
    boss.SetPassword("pw-boss");
    ASSERT_EQ(boss.AddAdmin(), 1) << boss.LastRefusalMessage();
    // An old month, corrected by an administrator.
    CPgWorkStore bossWork(t.runtime, asBoss, "本社");
    ASSERT_EQ(bossWork.SaveMonth("山田", 2011, 8, {{1, 0, "", "09:00"}}, nullptr, nullptr, nullptr),
              IWorkStore::ESaveOutcome::kSaved);

    CPgWorkStore clock(t.runtime, asClock, "本社");
    clock.SetSettings(CreateConfig(t.runtime));
    t.clock->Set(std::time(nullptr));
    clock.SetStamp("山田");
    EXPECT_EQ(clock.CheckToday(), 0);
    EXPECT_TRUE(clock.RegisterStamp()) << test::LastOf(t.sink->messages);
    EXPECT_GT(clock.CheckToday(), 0);

    CPgAdminStore atClock(asClock, std::chrono::milliseconds(2000));
    EXPECT_EQ(atClock.GetCount(), 1);
    EXPECT_TRUE(atClock.LoginWithPassword("boss", "pw-boss"));
    EXPECT_FALSE(atClock.LoginWithPassword("boss", "pw-Boss"));
    EXPECT_TRUE(atClock.LoginWithCard("1111222233334444"));
    atClock.SetId("intruder");
    atClock.SetPassword("pw");
    EXPECT_EQ(atClock.AddAdmin(), 0);
    EXPECT_EQ(boss.GetCount(), 1);

    std::string why;
    auto connection = CPgConnection::Open(asClock, why);
    ASSERT_TRUE(connection) << why;
    EXPECT_EQ(connection->Exec("SELECT password_hash FROM stampwell.admins").State(), "42501");
    EXPECT_EQ(connection->Exec("DELETE FROM stampwell.work_records").State(), "42501");
    const auto changed = connection->Exec(
        "UPDATE stampwell.work_records SET time = '05:00' WHERE working_day < current_date - 1");
    EXPECT_TRUE(changed.Ok()) << changed.Error();
    EXPECT_NE(
        clock.SaveMonth("山田", 2011, 8, {{1, 0, "09:00", "05:00"}}, nullptr, nullptr, nullptr),
        IWorkStore::ESaveOutcome::kSaved);
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(bossWork.LoadMonth("山田", 2011, 8, days, nullptr));
    EXPECT_EQ(days[0].start, "09:00");
}

}  // namespace stampwell
