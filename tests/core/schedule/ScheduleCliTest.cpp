// The clerk's month from the command line: a pattern and a holiday set, the month closed, the
// refusals of a closed month, and its reopening with a reason.
#include <gtest/gtest.h>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(ScheduleCli, CloseRefuseAndReopenFromTheCommandLine) {
    test::CTempDir dir;
    auto run = [&](const std::string& args) { return test::RunCli(dir.Path(), args); };
    ASSERT_EQ(run("users add --card 1111111111111111 --name 山田").exitCode, 0);
    ASSERT_EQ(run("pattern set 日勤 --start 09:00 --end 18:00 --breaks 12:00-13:00").exitCode, 0);
    ASSERT_EQ(run("pattern assign --name 山田 --from 2026-11-01 --pattern 日勤").exitCode, 0);
    ASSERT_EQ(run("holidays add 2026-11-20 創立記念日").exitCode, 0);
    // A swap far ahead (Sunday 2099/01/04 with Wednesday the 7th), with who decided it.
    ASSERT_EQ(run("swap add --name 山田 --rest 2099-01-04 --work 2099-01-07 --admin 事務").exitCode,
              0);
    EXPECT_NE(run("swap list").out.find("2099/01/07 を休日に\t"), std::string::npos);
    EXPECT_NE(run("swap list").out.find(" 事務\n"), std::string::npos);
    EXPECT_NE(run("holidays list --year 2026").out.find("2026/11/23（月）\t勤労感謝の日\t祝日"),
              std::string::npos);
    ASSERT_EQ(run("close --year 2026 --month 11 --closing end --admin 事務").exitCode, 0);
    // Twice is refused; so are the leave and the calendar of the closed month.
    EXPECT_EQ(run("close --year 2026 --month 11 --closing end").exitCode, 1);
    ASSERT_EQ(run("leave set --name 山田 --hired 2020-04-01").exitCode, 0);
    const auto leave = run("leave take --name 山田 --date 2026-11-24");
    EXPECT_EQ(leave.exitCode, 1);
    EXPECT_NE(leave.err.find("2026年11月分（末締め）は締め済み"), std::string::npos) << leave.err;
    EXPECT_EQ(run("holidays remove 2026-11-20").exitCode, 1);
    EXPECT_EQ(run("reopen --year 2026 --month 11 --closing end --reason \"\"").exitCode, 1);
    // The rules still change for what is open (a closed month keeps its own: ScheduledMonth).
    ASSERT_EQ(run("rules set --week-hours 44 --rest-day 土 --special-clause なし").exitCode, 0);
    EXPECT_NE(run("rules show").out.find("36協定の特別条項: なし"), std::string::npos);
    ASSERT_EQ(
        run("reopen --year 2026 --month 11 --closing end --reason 訂正 --admin 事務").exitCode, 0);
    EXPECT_EQ(run("leave take --name 山田 --date 2026-11-24").exitCode, 0);
    // A holiday of the pattern is no working day to take leave from.
    const auto holiday = run("leave take --name 山田 --date 2026-11-23");
    EXPECT_EQ(holiday.exitCode, 1);
    EXPECT_NE(holiday.err.find("勤労感謝の日で、勤務パターンの休日（所定休日）です"),
              std::string::npos)
        << holiday.err;
    const auto trail = run("closings");
    EXPECT_NE(trail.out.find("締め\t2026年11月分（末締め）\t事務"), std::string::npos) << trail.out;
    EXPECT_NE(trail.out.find("解除\t2026年11月分（末締め）\t事務\t理由: 訂正"), std::string::npos);
}

}  // namespace stampwell
