// What every keeper of the clerk's calendar must do, on the folder and on the database: the
// book comes back as stored, a closed pay period refuses every change to its days (the leave
// book's included) until it is reopened with a reason, and the trail of closings stays.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "folderstore/FolderLeaveStore.h"
#include "folderstore/FolderRulesStore.h"
#include "folderstore/FolderScheduleStore.h"
#include "leave/LeaveChange.h"
#include "pgstore/PgLeaveStore.h"
#include "pgstore/PgRulesStore.h"
#include "pgstore/PgScheduleStore.h"
#include "schedule/ScheduleChange.h"
#include "store/LeaveStoreChange.h"
#include "store/RulesStoreChange.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {

struct StoreKind {
    const char* name;
    std::function<std::shared_ptr<IScheduleStore>(const CRuntime&)> open;
    std::function<std::shared_ptr<ILeaveStore>(const CRuntime&)> openLeave;
    std::function<std::shared_ptr<IRulesStore>(const CRuntime&)> openRules;
};

void PrintTo(const StoreKind& kind, std::ostream* out) {
    *out << kind.name;
}

const StoreKind kFolder{
    "Folder",
    [](const CRuntime& runtime) -> std::shared_ptr<IScheduleStore> {
        return std::make_shared<CFolderScheduleStore>(runtime, runtime.DataDir() / "Register.txt");
    },
    [](const CRuntime& runtime) -> std::shared_ptr<ILeaveStore> {
        return std::make_shared<CFolderLeaveStore>(runtime, runtime.DataDir() / "Register.txt");
    },
    [](const CRuntime& runtime) -> std::shared_ptr<IRulesStore> {
        return std::make_shared<CFolderRulesStore>(runtime);
    }};

const StoreKind kDatabase{"Database",
                          [](const CRuntime& runtime) -> std::shared_ptr<IScheduleStore> {
                              return std::make_shared<CPgScheduleStore>(
                                  test::PgOfficeFor(runtime.DataDir()), runtime.LockWait());
                          },
                          [](const CRuntime& runtime) -> std::shared_ptr<ILeaveStore> {
                              return std::make_shared<CPgLeaveStore>(
                                  test::PgOfficeFor(runtime.DataDir()), runtime.LockWait());
                          },
                          [](const CRuntime& runtime) -> std::shared_ptr<IRulesStore> {
                              return std::make_shared<CPgRulesStore>(
                                  test::PgOfficeFor(runtime.DataDir()), runtime.LockWait());
                          }};

class ScheduleStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    bool Change(const IScheduleStore::Change& change) {
        return GetParam().open(t.runtime)->Apply(change, *t.sink);
    }
    CScheduleBook Stored() {
        CScheduleBook book;
        std::string refusal;
        EXPECT_TRUE(GetParam().open(t.runtime)->Read(book, &refusal)) << refusal;
        return book;
    }
    test::CTestRuntime t;
};

}  // namespace

TEST_P(ScheduleStoreContract, AClosedPeriodRefusesChangesUntilReopenedWithAReason) {
    CWorkPattern day;
    day.name = "日勤";
    day.breaks = {{12 * 60, 13 * 60}};
    CWorkRules rules;
    rules.weekHours = 44;
    ASSERT_TRUE(Change([&](CScheduleBook& b) { return CScheduleChange::SetPattern(b, day); }));
    ASSERT_TRUE(Change(
        [](CScheduleBook& b) { return CScheduleChange::Assign(b, "山田", 20261001, "日勤"); }));
    ASSERT_TRUE(Change(
        [](CScheduleBook& b) { return CScheduleChange::AddHoliday(b, 20261229, "年末年始"); }));
    ASSERT_TRUE(Change([&](CScheduleBook& b) {
        return CScheduleChange::Close(b, 2026, 11, 5, rules, "2026/12/01 10:00", "管理者");
    }));
    // Stored and read back the same, closing rules included.
    CScheduleBook stored = Stored();
    EXPECT_EQ(stored.FindPattern("日勤")->ScheduledMinutes(), 8 * 60);
    EXPECT_EQ(stored.OfficeHolidayOn(20261229), "年末年始");
    EXPECT_EQ(CScheduleChange::RulesOver(stored, 20261130, CWorkRules{}).weekHours, 44);
    EXPECT_EQ(CScheduleChange::RulesOver(stored, 20261201, CWorkRules{}).weekHours, 40);

    const CScheduleBook before = stored;
    // Every change that would reach into November is refused, with why.
    const std::vector<IScheduleStore::Change> refused = {
        [](CScheduleBook& b) { return CScheduleChange::Assign(b, "山田", 20261120, ""); },
        [](CScheduleBook& b) { return CScheduleChange::AddHoliday(b, 20261110, "創立記念日"); },
        [&](CScheduleBook& b) {
            CWorkPattern shorter = day;
            shorter.end = 17 * 60;
            return CScheduleChange::SetPattern(b, shorter);
        },
        [&](CScheduleBook& b) {
            return CScheduleChange::Close(b, 2026, 11, 5, rules, "2026/12/02 10:00", "管理者");
        },
        [](CScheduleBook& b) {
            return CScheduleChange::Reopen(b, 2026, 11, 5, "2026/12/02 10:00", "管理者", "");
        },
    };
    for (const auto& change : refused) {
        t.sink->messages.clear();
        EXPECT_FALSE(Change(change));
        EXPECT_FALSE(t.sink->messages.empty());
    }
    EXPECT_EQ(Stored(), before);
    // December is open.
    EXPECT_TRUE(
        Change([](CScheduleBook& b) { return CScheduleChange::Assign(b, "山田", 20261201, ""); }));

    // The leave book refuses a day in the closed month, and takes one after it.
    auto leave = GetParam().openLeave(t.runtime);
    auto schedule = GetParam().open(t.runtime);
    ASSERT_TRUE(CLeaveStoreChange::Apply(
        *leave,
        [](CLeaveBook& b) { return CLeaveChange::SetEmployee(b, "山田", 20200401, 5, 20200401); },
        *t.sink, schedule.get()));
    t.sink->messages.clear();
    EXPECT_FALSE(CLeaveStoreChange::Apply(
        *leave,
        [](CLeaveBook& b) {
            return CLeaveChange::Take(b, "山田", 20261120, CLeaveBook::EPart::kWhole);
        },
        *t.sink, schedule.get()));
    EXPECT_NE(test::LastOf(t.sink->messages).find("締め済み"), std::string::npos);
    EXPECT_TRUE(CLeaveStoreChange::Apply(
        *leave,
        [](CLeaveBook& b) {
            return CLeaveChange::Take(b, "山田", 20261202, CLeaveBook::EPart::kWhole);
        },
        *t.sink, schedule.get()));

    // Reopened with a reason: the trail keeps both lines, and November takes changes again.
    ASSERT_TRUE(Change([](CScheduleBook& b) {
        return CScheduleChange::Reopen(b, 2026, 11, 5, "2026/12/02 09:00", "管理者",
                                       "打刻漏れの訂正");
    }));
    stored = Stored();
    ASSERT_EQ(stored.closings.size(), 2u);
    EXPECT_EQ(stored.closings.back().reason, "打刻漏れの訂正");
    EXPECT_EQ(stored.ClosedOver(20261120), nullptr);
    EXPECT_TRUE(Change(
        [](CScheduleBook& b) { return CScheduleChange::AddHoliday(b, 20261110, "創立記念日"); }));
}

// A change of the rules takes effect from a date: the periods that end before it keep the
// rules they had, whatever changes later; an earlier date than a change made is refused.
TEST_P(ScheduleStoreContract, RulesChangedFromADateLeaveTheEarlierPeriodsTheirRules) {
    auto rules = GetParam().openRules(t.runtime);
    auto schedule = GetParam().open(t.runtime);
    auto change = [&](int from, int weekHours) {
        return CRulesStoreChange::Apply(
            *rules, *schedule, from,
            [&](CWorkRules& stored) -> std::optional<std::string> {
                stored.weekHours = weekHours;
                return std::nullopt;
            },
            *t.sink);
    };
    ASSERT_TRUE(change(20261201, 44));
    ASSERT_TRUE(change(20270101, 40));
    ASSERT_TRUE(change(20270101, 44));  // a second change from the same day
    CWorkRules now;
    ASSERT_TRUE(rules->Read(now));
    EXPECT_EQ(now.weekHours, 44);
    const CScheduleBook book = Stored();
    EXPECT_EQ(CScheduleChange::RulesOver(book, 20261130, now).weekHours, 40);
    EXPECT_EQ(CScheduleChange::RulesOver(book, 20261231, now).weekHours, 44);
    EXPECT_EQ(CScheduleChange::RulesOver(book, 20270131, now).weekHours, 44);
    t.sink->messages.clear();
    EXPECT_FALSE(change(20261215, 40));
    EXPECT_NE(test::LastOf(t.sink->messages).find("変更済み"), std::string::npos);
    ASSERT_TRUE(rules->Read(now));
    EXPECT_EQ(now.weekHours, 44);  // refused: nothing changed
    EXPECT_EQ(Stored(), book);
}

INSTANTIATE_TEST_SUITE_P(Stores, ScheduleStoreContract, ::testing::Values(kFolder, kDatabase),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScheduleBook, WritingAndReadingAgainKeepsEveryLineItDoesNotKnow) {
    const std::string text =
        "勤務パターン,夜勤,22:00,31:00,,月火水木金,祝日出勤\r\n"
        "適用,山田,2026/04/01,夜勤\r\n"
        "会社休日,2026/12/30,年末年始\r\n"
        "振替,山田,2026/11/15,2026/11/18\r\n"
        "代休,山田,2026/11/26,2026/11/21\r\n"
        "締め,2026/10,5,2026/11/01 10:00,管理者\r\n"
        "締め規則,2026/10,5,週の法定労働時間,44\r\n"
        "将来の行,何か\r\n"
        "会社休日,2026/02/30,ありえない日\r\n";
    CScheduleBook book;
    std::vector<std::string> unread;
    book.ReadText(text, &unread);
    EXPECT_EQ(unread, std::vector<std::string>{"会社休日,2026/02/30,ありえない日"});
    ASSERT_NE(book.FindPattern("夜勤"), nullptr);
    EXPECT_EQ(book.FindPattern("夜勤")->ScheduledMinutes(), 9 * 60);
    EXPECT_NE(book.ClosedOver(20261015), nullptr);
    CScheduleBook again;
    again.ReadText(book.FileText());
    EXPECT_EQ(again, book);
    EXPECT_NE(book.FileText().find("将来の行,何か\r\n"), std::string::npos);
    EXPECT_NE(book.FileText().find("ありえない日"), std::string::npos);
}

}  // namespace stampwell
