// The clerk's month from the command line: a pattern and a holiday set, the month closed, the
// refusals of a closed month, and its reopening with a reason.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "folderstore/FolderScheduleStore.h"
#include "support/CliRunner.h"
#include "support/ShareMount.h"
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

namespace {
// Two programs adding eight office holidays each at once, each through its own data folder;
// every one must be said to be added, and all sixteen must be there.
void AddAtOnce(const std::filesystem::path& first, const std::filesystem::path& second) {
    std::vector<pid_t> children;
    for (int k = 0; k < 2; ++k) {
        const pid_t child = ::fork();
        if (child == 0) {
            bool ok = true;
            for (int day = 1; day <= 8; ++day) {
                const std::string date =
                    "2027-0" + std::to_string(k + 1) + "-0" + std::to_string(day);
                ok = test::RunCli(k == 0 ? first : second, "holidays add " + date + " 休業日")
                             .exitCode == 0 &&
                     ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

std::size_t HolidaysIn(const std::filesystem::path& file) {
    const std::string text = test::ReadBytes(file);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    return lines;
}
}  // namespace

TEST(ScheduleCli, TwoPcsAddingHolidaysAtOnceKeepEveryOneAlsoThroughTheirOwnMounts) {
    test::CTempDir dir;
    AddAtOnce(dir.Path(), dir.Path());
    EXPECT_EQ(HolidaysIn(dir / "Schedule.txt"), 16u);

    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    test::CTempDir two;
    std::filesystem::create_directories(two / "share");
    test::CShareMount one(two / "share", two / "pc1");
    test::CShareMount other(two / "share", two / "pc2");
    ASSERT_TRUE(one.IsMounted() && other.IsMounted());
    for (const auto& [data, mount] :
         {std::pair{two / "data1", one.Path()}, std::pair{two / "data2", other.Path()}}) {
        std::filesystem::create_directories(data);
        ASSERT_EQ(test::RunCli(data, "settings set --register " + (mount / "Register.txt").string())
                      .exitCode,
                  0);
    }
    AddAtOnce(two / "data1", two / "data2");
    EXPECT_EQ(HolidaysIn(two / "share" / "Schedule.txt"), 16u);
}

// A link, a FIFO or a folder where Schedule.txt should be: refused with a message, never read
// through nor written over.
TEST(ScheduleCli, SomethingPlantedAtTheCalendarsNameIsRefusedAndLeftAsItIs) {
    for (int kind = 0; kind < 3; ++kind) {
        test::CTempDir dir;
        const auto file = dir / "Schedule.txt";
        test::WriteBytes(dir / "elsewhere.txt", "会社休日,2026/12/29,年末年始\r\n");
        if (kind == 0) std::filesystem::create_symlink(dir / "elsewhere.txt", file);
        if (kind == 1) {
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        }
        if (kind == 2) std::filesystem::create_directory(file);
        const auto added = test::RunCli(dir.Path(), "holidays add 2026-12-30 年末年始");
        EXPECT_EQ(added.exitCode, 1) << kind;
        EXPECT_NE(added.err.find("Schedule.txt"), std::string::npos) << kind << added.err;
        EXPECT_EQ(test::RunCli(dir.Path(), "holidays list --year 2026").exitCode, 1) << kind;
        EXPECT_EQ(std::filesystem::symlink_status(file).type(),
                  kind == 0   ? std::filesystem::file_type::symlink
                  : kind == 1 ? std::filesystem::file_type::fifo
                              : std::filesystem::file_type::directory);
        EXPECT_EQ(test::ReadBytes(dir / "elsewhere.txt"), "会社休日,2026/12/29,年末年始\r\n");
    }
}

}  // namespace stampwell
