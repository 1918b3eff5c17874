// Annual paid leave on cases worked out by hand, and the command line over PaidLeave.txt.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "leave/LeaveChange.h"
#include "leave/LeaveDate.h"
#include "leave/LeaveLedger.h"
#include "leave/LeaveTables.h"
#include "support/CliRunner.h"
#include "support/ShareMount.h"
#include "support/TestSupport.h"
#include "support/WorkedExample.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
int D(const char* text) {
    return *CLeaveDate::Parse(text);
}

CLeaveBook Book(int daysPerWeek, const std::vector<std::pair<const char*, CLeaveBook::EPart>>& days,
                const std::vector<const char*>& withheld = {}) {
    CLeaveBook book;
    book.employees.push_back({"山田", D("2024-04-01"), daysPerWeek});
    for (const auto& [date, part] : days) book.taken.push_back({"山田", D(date), part});
    for (const char* grant : withheld) book.withheld.push_back({"山田", D(grant)});
    return book;
}

// The row's grant columns (基準日 to 取得義務); Year() gives the year's 日数 and 時季.
std::string Row(const CLeaveTables::Table& table, std::size_t row) {
    std::string text;
    const auto& cells = table.at(row);
    for (std::size_t c = 0; c < std::min<std::size_t>(6, cells.size()); ++c) {
        text += (c == 0 ? "" : ",") + cells[c];
    }
    return text;
}

std::string Year(const CLeaveTables::Table& table, std::size_t row) {
    const auto& cells = table.at(row);
    return cells.size() == 8 ? cells[6] + "," + cells[7] : std::string("(no year columns)");
}

constexpr auto kWhole = CLeaveBook::EPart::kWhole;
constexpr auto kAm = CLeaveBook::EPart::kMorning;
constexpr auto kPm = CLeaveBook::EPart::kAfternoon;
}  // namespace

TEST(LeaveLedger, HandWorkedGrantsExpiryAndTheFiveDayDuty) {
    // A full-timer hired 2024-04-01: 10 days on 2024-10-01, 11 on 2025-10-01, 12 on 2026-10-01.
    const auto yamada =
        Book(5, {{"2024-11-05", kWhole}, {"2025-03-03", kAm}, {"2025-09-01", kWhole}});
    const auto grants = CLeaveTables::Grants(yamada, yamada.employees[0], D("2026-12-08"));
    ASSERT_EQ(grants.size(), 4u);
    EXPECT_EQ(Row(grants, 0), "基準日,付与日数,取得日数,残日数,失効日,取得義務");
    EXPECT_EQ(Row(grants, 1), "2024/10/01,10,2.5,7.5,2026/10/01,未達");
    EXPECT_EQ(Row(grants, 2), "2025/10/01,11,0,11,2027/10/01,未達");
    EXPECT_EQ(Row(grants, 3), "2026/10/01,12,0,12,2028/10/01,あと5日（期限まで9か月）");
    // The first grant counts until the day before its expiry.
    CLeaveLedger::Result result;
    ASSERT_FALSE(CLeaveLedger::Build(yamada, yamada.employees[0], D("2025-10-01"), result));
    EXPECT_EQ(CLeaveLedger::Days(result.balanceHalves), "18.5");
    ASSERT_FALSE(CLeaveLedger::Build(yamada, yamada.employees[0], D("2026-09-30"), result));
    EXPECT_EQ(CLeaveLedger::Days(result.balanceHalves), "18.5");
    ASSERT_FALSE(CLeaveLedger::Build(yamada, yamada.employees[0], D("2026-10-01"), result));
    EXPECT_EQ(CLeaveLedger::Days(result.balanceHalves), "23");  // 11 + 12: the 7.5 expired
    EXPECT_EQ(result.nextGrant, D("2027-10-01"));
    EXPECT_EQ(CLeaveLedger::Days(result.nextHalves), "14");

    // A part-timer of 3 days a week: 5, 6, 6 days, and no 5-day duty under 10 days.
    const auto part = Book(3, {});
    const auto partGrants = CLeaveTables::Grants(part, part.employees[0], D("2026-12-08"));
    EXPECT_EQ(Row(partGrants, 1), "2024/10/01,5,0,5,2026/10/01,");
    EXPECT_EQ(Row(partGrants, 3), "2026/10/01,6,0,6,2028/10/01,");

    // A grant withheld (attendance under 80%) gives nothing and owes nothing.
    const auto withheld = Book(5, {}, {"2025-10-01"});
    EXPECT_EQ(Row(CLeaveTables::Grants(withheld, withheld.employees[0], D("2026-12-08")), 2),
              "2025/10/01,0（見送り）,0,0,2027/10/01,");

    // Half days count 0.5; five days within the year meet the duty, whichever grant they use.
    const auto met = Book(5, {{"2024-10-07", kAm},
                              {"2024-10-08", kPm},
                              {"2024-12-02", kWhole},
                              {"2025-01-06", kWhole},
                              {"2025-02-03", kWhole},
                              {"2025-09-30", kWhole}});
    EXPECT_EQ(Row(CLeaveTables::Grants(met, met.employees[0], D("2025-09-30")), 1),
              "2024/10/01,10,5,5,2026/10/01,達成");
    // Before the year ends the days owed and the months left are said.
    EXPECT_EQ(Row(CLeaveTables::Grants(met, met.employees[0], D("2025-02-10")), 1),
              "2024/10/01,10,5,5,2026/10/01,あと1日（期限まで7か月）");
    // Whole months only, never rounded up: the day after the grant 11 (the day booked for
    // 10-07 not yet taken), under a month in days, the duty year's last day 1.
    const auto owing = Book(5, {{"2024-10-07", kWhole}});
    EXPECT_EQ(Row(CLeaveTables::Grants(owing, owing.employees[0], D("2024-10-02")), 1),
              "2024/10/01,10,1,9,2026/10/01,あと5日（期限まで11か月）");
    EXPECT_EQ(Row(CLeaveTables::Grants(owing, owing.employees[0], D("2025-09-10")), 1),
              "2024/10/01,10,1,9,2026/10/01,あと4日（期限まで21日）");
    EXPECT_EQ(Row(CLeaveTables::Grants(owing, owing.employees[0], D("2025-09-30")), 1),
              "2024/10/01,10,1,9,2026/10/01,あと4日（期限まで1日）");
}

TEST(LeaveLedger, EachGrantFollowsTheDaysAWeekInForceOnItsDay) {
    // A 2-day part-timer hired 2022-04-01 becomes full time from 2024-04-15: the 2022 and 2023
    // grants stay 3 and 4 days, the 2024 grant is a full-timer's 12 (2.5 years of service).
    CLeaveBook book;
    book.employees.push_back({"山田", D("2022-04-01"), 2});
    ASSERT_FALSE(CLeaveChange::SetEmployee(book, "山田", D("2022-04-01"), 5, D("2024-04-15")));
    auto grants = CLeaveTables::Grants(book, book.employees[0], D("2024-05-01"));
    EXPECT_EQ(Row(grants, 1), "2022/10/01,3,0,3,2024/10/01,");
    EXPECT_EQ(Row(grants, 2), "2023/10/01,4,0,4,2025/10/01,");
    CLeaveLedger::Result result;
    ASSERT_FALSE(CLeaveLedger::Build(book, book.employees[0], D("2024-05-01"), result));
    EXPECT_EQ(CLeaveLedger::Days(result.balanceHalves), "7");
    EXPECT_EQ(CLeaveLedger::Days(result.nextHalves), "12");
    // Written as a line of its own after the hiring line, which the last release keeps as it is.
    EXPECT_NE(book.FileText().find("社員,山田,2022/04/01,2\r\n週日数,山田,2024/04/15,5\r\n"),
              std::string::npos)
        << book.FileText();

    // A 4-day part-timer moving to 1 day a week: the days already granted stay usable, only the
    // next grant is a 1-day part-timer's.
    CLeaveBook fewer;
    fewer.employees.push_back({"佐藤", D("2022-04-01"), 4});
    fewer.taken.push_back({"佐藤", D("2023-11-01"), CLeaveBook::EPart::kWhole});
    ASSERT_FALSE(CLeaveChange::SetEmployee(fewer, "佐藤", D("2022-04-01"), 1, D("2024-04-01")));
    ASSERT_FALSE(CLeaveLedger::Build(fewer, fewer.employees[0], D("2024-05-01"), result));
    EXPECT_EQ(CLeaveLedger::Days(result.balanceHalves), "14");  // 7 + 8 - 1
    EXPECT_EQ(CLeaveLedger::Days(result.nextHalves), "2");
    // The value from the hire date on rewrites the start, as a correction of it would.
    ASSERT_FALSE(CLeaveChange::SetEmployee(fewer, "佐藤", D("2022-04-01"), 3, D("2022-04-01")));
    EXPECT_EQ(fewer.DaysPerWeekOn("佐藤", D("2023-01-01")), 3);
    EXPECT_EQ(fewer.DaysPerWeekOn("佐藤", D("2024-05-01")), 1);
}

TEST(LeaveLedger, TheNextGrantIsTheOneAfterTheDayAskedNotAfterTheLastDayBooked) {
    // Hired 2024-04-01 with a day off booked for 2025-11-05: as of 2024-09-30 the next grant
    // is the first one, 2024-10-01 with 10 days.
    const auto book = Book(5, {{"2025-11-05", kWhole}});
    CLeaveLedger::Result result;
    ASSERT_FALSE(CLeaveLedger::Build(book, book.employees[0], D("2024-09-30"), result));
    EXPECT_EQ(result.nextGrant, D("2024-10-01"));
    EXPECT_EQ(CLeaveLedger::Days(result.nextHalves), "10");
    const auto list = CLeaveTables::List(book, D("2024-10-01"));
    EXPECT_EQ(Row(list, 1), "山田,2024/04/01,10,2025/10/01,11,あと5日（期限まで12か月）");
    // A withheld grant to come gives nothing, and says so.
    const auto withheld = Book(5, {{"2025-11-05", kWhole}}, {"2026-10-01"});
    EXPECT_EQ(Row(CLeaveTables::List(withheld, D("2026-09-30")), 1),
              "山田,2024/04/01,20,2026/10/01,0（見送り）,あと4日（期限まで1日）");
}

TEST(LeaveLedger, AGrantOnTheTwentyNinthOfFebruaryLastsToTheEndOfFebruary) {
    // Hired 2023-08-29: the first grant is on 2024-02-29. Two years from it run to the end of
    // 2026-02-28 (there is no 02-29 in 2026): a day off that day still draws on it.
    CLeaveBook book;
    book.employees.push_back({"山田", D("2023-08-29"), 5});
    book.taken.push_back({"山田", D("2026-02-28"), kWhole});
    const auto grants = CLeaveTables::Grants(book, book.employees[0], D("2026-03-02"));
    EXPECT_EQ(Row(grants, 1), "2024/02/29,10,1,9,2026/03/01,未達");
    EXPECT_EQ(Row(grants, 2), "2025/02/28,11,0,11,2027/02/28,未達");
    EXPECT_EQ(CLeaveDate::PeriodEnd(D("2024-02-29"), 24), D("2026-03-01"));
    EXPECT_EQ(CLeaveDate::PeriodEnd(D("2024-01-31"), 1), D("2024-03-01"));
    EXPECT_EQ(CLeaveDate::PeriodEnd(D("2024-10-01"), 24), D("2026-10-01"));
}

TEST(LeaveLedger, TheExpiryDayBelongsToTheNextGrantAndTheTableReachesTwentyDays) {
    // 2026-10-01 is the 2024 grant's 失効日: a day off that day draws on the 2025 grant, the
    // day before on the 2024 one.
    const auto book = Book(5, {{"2026-09-30", kWhole}, {"2026-10-01", kWhole}});
    const auto grants = CLeaveTables::Grants(book, book.employees[0], D("2026-10-02"));
    EXPECT_EQ(Row(grants, 1), "2024/10/01,10,1,9,2026/10/01,未達");
    EXPECT_EQ(Row(grants, 2), "2025/10/01,11,1,10,2027/10/01,未達");
    // Six and a half years on a full-timer gets 20 days, and 20 from then on; the part-timers'
    // last rows likewise.
    EXPECT_EQ(CLeaveLedger::GrantDays(5, 5), 18);
    EXPECT_EQ(CLeaveLedger::GrantDays(6, 5), 20);
    EXPECT_EQ(CLeaveLedger::GrantDays(9, 5), 20);
    EXPECT_EQ(CLeaveLedger::GrantDays(6, 4), 15);
    EXPECT_EQ(CLeaveLedger::GrantDays(6, 1), 3);
}

TEST(LeaveLedger, DaysUseTheOldestGrantFirstAndNeverGoBelowNothing) {
    std::vector<std::pair<const char*, CLeaveBook::EPart>> days;
    const char* first[] = {"2024-10-01", "2024-11-01", "2024-12-02", "2025-01-06", "2025-02-03",
                           "2025-03-03", "2025-04-01", "2025-05-01", "2025-06-02"};
    for (const char* day : first) days.push_back({day, kWhole});  // 9 of the first 10
    days.push_back({"2025-10-02", kWhole});
    days.push_back({"2025-10-03", kWhole});
    const auto book = Book(5, days);
    const auto grants = CLeaveTables::Grants(book, book.employees[0], D("2025-12-01"));
    EXPECT_EQ(Row(grants, 1), "2024/10/01,10,10,0,2026/10/01,達成");
    // The ledger's 日数 is what was taken in each 基準日's year, with the dates, beside what
    // was drawn from each grant: 9 days in the first year, 2 so far in the second (one of which
    // drew on the first grant).
    EXPECT_EQ(Year(grants, 0), "1年間の取得日数,時季");
    EXPECT_EQ(Year(grants, 1),
              "9,2024/10/01 2024/11/01 2024/12/02 2025/01/06 2025/02/03 2025/03/03 2025/04/01 "
              "2025/05/01 2025/06/02");
    EXPECT_EQ(Year(grants, 2), "2,2025/10/02 2025/10/03");
    EXPECT_EQ(Row(grants, 2), "2025/10/01,11,1,10,2027/10/01,あと3日（期限まで10か月）");

    // 午前 then 午後 of one day make it a whole day; the same half twice is refused.
    CLeaveBook halves = Book(5, {});
    ASSERT_FALSE(CLeaveChange::Take(halves, "山田", D("2024-11-05"), kAm));
    EXPECT_TRUE(CLeaveChange::Take(halves, "山田", D("2024-11-05"), kAm));
    ASSERT_FALSE(CLeaveChange::Take(halves, "山田", D("2024-11-05"), kPm));
    ASSERT_EQ(halves.taken.size(), 1u);
    EXPECT_EQ(halves.TakenOn("山田", D("2024-11-05")), kWhole);

    // A day booked earlier than one already booked, which would leave that one without days,
    // is refused naming both days; the book is as it was.
    CLeaveBook booked = Book(5, {});
    for (int day = 4; day <= 13; ++day) {
        char date[16];
        std::snprintf(date, sizeof date, "2025-08-%02d", day + 10);
        ASSERT_FALSE(CLeaveChange::Take(booked, "山田", D(date), kWhole)) << date;
    }
    const auto kept = booked.taken;
    const auto refusedEarlier = CLeaveChange::Take(booked, "山田", D("2025-08-01"), kWhole);
    ASSERT_TRUE(refusedEarlier.has_value());
    EXPECT_EQ(
        *refusedEarlier,
        "山田さんの 2025/08/01 の有給休暇を記録すると、2025/08/23 の有給休暇の残日数が足りなく"
        "なります。");
    EXPECT_EQ(booked.taken.size(), kept.size());

    // A day before the first grant, or beyond the balance, is refused with the reason.
    CLeaveBook early = Book(5, {{"2024-09-30", kWhole}});
    CLeaveLedger::Result result;
    auto refused = CLeaveLedger::Build(early, early.employees[0], D("2024-12-01"), result);
    ASSERT_TRUE(refused.has_value());
    EXPECT_NE(refused->find("残日数が足りません"), std::string::npos);
}

TEST(LeaveCli, TheLedgerAndTheListOfTheHandWorkedEmployee) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card 0101010101010101 --name 山田").exitCode,
              0);
    for (const char* step :
         {"leave set --name 山田 --hired 2024-04-01", "leave take --name 山田 --date 2024-11-05",
          "leave take --name 山田 --date 2025-03-03 --half am",
          "leave take --name 山田 --date 2025-09-01"}) {
        auto result = test::RunCli(dir.Path(), step);
        ASSERT_EQ(result.exitCode, 0) << step << ": " << result.err;
    }
    const auto csv = dir / "ledger.csv";
    ASSERT_EQ(test::RunCli(dir.Path(), "leave ledger --name 山田 --csv '" + csv.string() + "'",
                           test::AtTime("2026-12-08 10:00:00"))
                  .exitCode,
              0);
    EXPECT_EQ(test::ReadBytes(csv),
              test::Sjis("基準日,付与日数,取得日数,残日数,失効日,取得義務,1年間の取得日数,時季\r\n"
                         "2024/10/01,10,2.5,7.5,2026/10/01,未達,2.5,2024/11/05 2025/03/03（午前）"
                         " 2025/09/01\r\n"
                         "2025/10/01,11,0,11,2027/10/01,未達,0,\r\n"
                         "2026/10/01,12,0,12,2028/10/01,あと5日（期限まで9か月）,0,\r\n"
                         "\r\n取得日,区分\r\n2024/11/05,全日\r\n2025/03/03,午前\r\n"
                         "2025/09/01,全日\r\n"));
    EXPECT_EQ(test::RunCli(dir.Path(), "leave list --as-of 2025-10-01").out,
              "氏名\t入社日\t残日数\t次の付与日\t次の付与日数\t取得義務\n"
              "山田\t2024/04/01\t18.5\t2026/10/01\t12\tあと5日（期限まで12か月）\n");

    // Refused: a day that does not exist, a day taken twice, a balance below 0, an unknown
    // name; each with a message, exit 1, the file as it was.
    const std::string before = test::ReadBytes(dir / "PaidLeave.txt");
    for (const char* refused :
         {"leave take --name 山田 --date 2025-02-30", "leave take --name 山田 --date 2024-11-05",
          "leave take --name 山田 --date 2024-05-01", "leave take --name 鈴木 --date 2025-05-01",
          "leave set --name 鈴木 --hired 2024-04-01", "leave cancel --name 山田 --date 2024-11-06",
          "leave withhold --name 山田 --grant 2025-10-02"}) {
        auto result = test::RunCli(dir.Path(), refused);
        EXPECT_EQ(result.exitCode, 1) << refused;
        EXPECT_FALSE(result.err.empty()) << refused;
        EXPECT_EQ(test::ReadBytes(dir / "PaidLeave.txt"), before) << refused;
    }
    // A link planted at the file's name is refused like at every other shared file.
    std::filesystem::rename(dir / "PaidLeave.txt", dir / "real.txt");
    std::filesystem::create_symlink(dir / "real.txt", dir / "PaidLeave.txt");
    EXPECT_EQ(test::RunCli(dir.Path(), "leave take --name 山田 --date 2025-05-01").exitCode, 1);
    EXPECT_EQ(test::RunCli(dir.Path(), "leave list").exitCode, 1);
}

namespace {
// Two programs taking eight days each at once, each through its own data folder; each must say
// every day was taken.
void TakeAtOnce(const std::filesystem::path& first, const std::filesystem::path& second) {
    std::vector<pid_t> children;
    for (int k = 0; k < 2; ++k) {
        const pid_t child = ::fork();
        if (child == 0) {
            bool ok = true;
            // Eight working days each (a Sunday, the statutory rest day, takes no leave).
            static const int kDays[2][8] = {{1, 2, 5, 6, 7, 8, 9, 12}, {2, 3, 4, 5, 6, 9, 10, 11}};
            for (int day : kDays[k]) {
                char date[48];
                std::snprintf(date, sizeof date, "2025-%02d-%02d", 5 + k, day);
                ok = test::RunCli(k == 0 ? first : second,
                                  std::string("leave take --name 山田 --date ") + date)
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
}  // namespace

TEST(LeaveCli, TwoProcessesTakingLeaveAtOnceKeepBothDays) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card 0101010101010101 --name 山田").exitCode,
              0);
    ASSERT_EQ(test::RunCli(dir.Path(), "leave set --name 山田 --hired 2020-04-01").exitCode, 0);
    TakeAtOnce(dir.Path(), dir.Path());
    CLeaveBook book;
    std::string refusal;
    ASSERT_TRUE(book.Load(dir / "PaidLeave.txt", &refusal)) << refusal;
    EXPECT_EQ(book.taken.size(), 16u);
}

// Two office PCs, each with the register (and the leave book beside it) through its own mount
// of the shared folder: the lock beside the book holds across the mounts.
TEST(LeaveCli, TwoPcsTakingLeaveThroughTheirOwnMountsKeepBothDays) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    test::CTempDir dir;
    std::filesystem::create_directories(dir / "share");
    test::CShareMount one(dir / "share", dir / "pc1");
    test::CShareMount two(dir / "share", dir / "pc2");
    ASSERT_TRUE(one.IsMounted() && two.IsMounted());
    for (const auto& [data, mount] :
         {std::pair{dir / "data1", one.Path()}, std::pair{dir / "data2", two.Path()}}) {
        std::filesystem::create_directories(data);
        ASSERT_EQ(test::RunCli(data, "settings set --register " + (mount / "Register.txt").string())
                      .exitCode,
                  0);
    }
    ASSERT_EQ(test::RunCli(dir / "data1", "users add --card 0101010101010101 --name 山田").exitCode,
              0);
    ASSERT_EQ(test::RunCli(dir / "data2", "leave set --name 山田 --hired 2020-04-01").exitCode, 0);
    TakeAtOnce(dir / "data1", dir / "data2");
    CLeaveBook book;
    std::string refusal;
    ASSERT_TRUE(book.Load(dir / "share" / "PaidLeave.txt", &refusal)) << refusal;
    EXPECT_EQ(book.taken.size(), 16u);
}

TEST(LeaveReport, TheReportAddsLeaveAndAWholeDayOfLeaveIsNoMissingTime) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card 0101010101010101 --name 山田").exitCode,
              0);
    ASSERT_EQ(test::RunCli(dir.Path(), "leave set --name 山田 --hired 2024-04-01").exitCode, 0);
    // The 2nd taken as leave, then a clock-in that day anyway; a half day on the 3rd.
    ASSERT_EQ(test::RunCli(dir.Path(), "leave take --name 山田 --date 2025-06-02").exitCode, 0);
    ASSERT_EQ(test::RunCli(dir.Path(), "tap 0101010101010101 --start",
                           test::AtTime("2025-06-02 09:00:00"))
                  .exitCode,
              0);
    // A whole day of leave on a day with work would count it twice: refused, with the reason;
    // a half day is not.
    ASSERT_EQ(test::RunCli(dir.Path(), "tap 0101010101010101 --start",
                           test::AtTime("2025-06-04 09:00:00"))
                  .exitCode,
              0);
    const auto twice = test::RunCli(dir.Path(), "leave take --name 山田 --date 2025-06-04");
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_NE(twice.err.find("2025/06/04 に出勤の記録があるため、全日の有給休暇は記録できません"),
              std::string::npos)
        << twice.err;
    EXPECT_EQ(
        test::RunCli(dir.Path(), "leave take --name 山田 --date 2025-06-04 --half am").exitCode, 0);
    ASSERT_EQ(
        test::RunCli(dir.Path(), "leave take --name 山田 --date 2025-06-03 --half pm").exitCode, 0);
    const auto csv = dir / "june.csv";
    ASSERT_EQ(
        test::RunCli(dir.Path(),
                     "report --year 2025 --month 6 --closing end --csv '" + csv.string() + "'",
                     test::AtTime("2025-07-01 10:00:00"))
            .exitCode,
        0);
    const std::string text = CTextCodec::FromCp932(test::ReadBytes(csv));
    EXPECT_NE(text.find(",有休取得日数,有休残日数,有休日の打刻,"), std::string::npos) << text;
    // The clock-in that came on the 2nd after the day was taken as leave is listed.
    EXPECT_NE(text.find(",2,8,2025/06/02,"), std::string::npos) << text;
    // No 打刻漏れ on the 2nd; 2 days taken, 10 - 2 left on the period's last day.
}

}  // namespace stampwell

namespace stampwell {

// An employee renamed in the register keeps the paid-leave book's lines, which are kept by
// name; a new name that has leave of its own is not merged into silently.
TEST(LeaveCli, ARenamedEmployeeKeepsTheirLeave) {
    test::CTempDir dir;
    for (const char* step :
         {"users add --card 0101010101010101 --name 山田",
          "users add --card 0202020202020202 --name 佐藤",
          "leave set --name 山田 --hired 2024-04-01", "leave take --name 山田 --date 2024-11-05",
          "leave set --name 佐藤 --hired 2024-04-01"}) {
        ASSERT_EQ(test::RunCli(dir.Path(), step).exitCode, 0) << step;
    }
    const auto renamed = test::RunCli(dir.Path(), "users change --name 山田 --new-name 木村");
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    const auto list = test::RunCli(dir.Path(), "leave list --as-of 2025-01-06").out;
    EXPECT_NE(list.find("木村\t2024/04/01\t9\t"), std::string::npos) << list;
    EXPECT_EQ(list.find("山田"), std::string::npos) << list;
    // 佐藤 left the register, but their leave stays on file: 木村 taking that name is not
    // merged into it; the book is left as it was and the refusal says why.
    ASSERT_EQ(test::RunCli(dir.Path(), "users delete --name 佐藤").exitCode, 0);
    const std::string before = test::ReadBytes(dir / "PaidLeave.txt");
    const auto clash = test::RunCli(dir.Path(), "users change --name 木村 --new-name 佐藤");
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_NE(clash.err.find("佐藤さんの有給休暇の記録がすでにあるため"), std::string::npos)
        << clash.err;
    EXPECT_EQ(test::ReadBytes(dir / "PaidLeave.txt"), before);
}

}  // namespace stampwell

namespace stampwell {

// A damaged line of the book is kept but left out of every figure: every reader says so,
// naming the line; a book saved as UTF-8 is refused whole instead of being read as nobody's.
TEST(LeaveCli, ADamagedLineIsNamedAndABookInAnotherEncodingIsRefused) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card 0101010101010101 --name 山田").exitCode,
              0);
    ASSERT_EQ(test::RunCli(dir.Path(), "leave set --name 山田 --hired 2024-04-01").exitCode, 0);
    const std::string good = test::ReadBytes(dir / "PaidLeave.txt");
    test::WriteBytes(dir / "PaidLeave.txt",
                     good + test::Sjis("取得,山田,2024/02/30,全日\r\n\r\n取得,山田,2024/11/0"));
    const auto list = test::RunCli(dir.Path(), "leave list --as-of 2024-12-01");
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.err.find("PaidLeave.txt の 3行目が読めないため、集計に入れていません: "
                            "取得,山田,2024/02/30,全日"),
              std::string::npos)
        << list.err;
    EXPECT_NE(list.err.find("PaidLeave.txt の 5行目"), std::string::npos) << list.err;
    EXPECT_NE(CTextCodec::FromCp932(test::ReadBytes(dir / "ErrorLog.txt")).find("3行目"),
              std::string::npos);

    // The same text saved as UTF-8: refused with the reason, and no change writes over it.
    const std::string utf8 = "#PaidLeave_V1,種別,氏名,日付,値\r\n社員,山田,2024/04/01,5\r\n";
    test::WriteBytes(dir / "PaidLeave.txt", utf8);
    const auto refused = test::RunCli(dir.Path(), "leave list --as-of 2024-12-01");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Shift-JIS ではないため読めません"), std::string::npos)
        << refused.err;
    EXPECT_EQ(test::RunCli(dir.Path(), "leave take --name 山田 --date 2024-11-05").exitCode, 1);
    EXPECT_EQ(test::ReadBytes(dir / "PaidLeave.txt"), utf8);
}

}  // namespace stampwell
