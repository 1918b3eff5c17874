// The calendar's own refusals and readings, where a clerk's slip would otherwise change the
// figures: swaps and 代休 on the wrong days, a pattern that does not read, a night pattern.
#include <gtest/gtest.h>

#include "schedule/PatternForm.h"
#include "schedule/ScheduleChange.h"
#include "schedule/SchedulePlan.h"

namespace stampwell {

namespace {
CScheduleBook Office() {
    CScheduleBook book;
    CWorkPattern day;
    day.name = "日勤";
    EXPECT_FALSE(CScheduleChange::SetPattern(book, day));
    EXPECT_FALSE(CScheduleChange::Assign(book, "山田", 20260101, "日勤"));
    return book;
}
}  // namespace

TEST(ScheduleChange, SwapsAndDaysInLieuOnlyWhereTheyMeanSomething) {
    const CWorkRules rules;  // Sunday is the statutory rest day
    CScheduleBook book = Office();
    const int today = 20261110;
    struct Case {
        const char* what;
        int rest, work;
        const char* says;
    };
    for (const Case& c : std::vector<Case>{
             {"a rest day already past", 20261108, 20261118, "代休にしてください"},
             {"a working day given as the rest day", 20261116, 20261118, "勤務日です"},
             {"a day off given as the working day", 20261115, 20261121, "勤務日ではありません"},
             {"the same day twice", 20261115, 20261115, "同じです"},
         }) {
        const auto refused = CScheduleChange::AddSwap(book, rules, "山田", c.rest, c.work, today);
        ASSERT_TRUE(refused) << c.what;
        EXPECT_NE(refused->find(c.says), std::string::npos) << c.what << ": " << *refused;
    }
    EXPECT_FALSE(CScheduleChange::AddSwap(book, rules, "鈴木", 20261115, 20261118, today)
                     ->empty());  // no pattern
    ASSERT_FALSE(CScheduleChange::AddSwap(book, rules, "山田", 20261115, 20261118, today));
    EXPECT_TRUE(CScheduleChange::AddSwap(book, rules, "山田", 20261122, 20261118, today));

    const CSchedulePlan plan(book, rules, "山田");
    EXPECT_FALSE(plan.IsRestDay(20261115));
    EXPECT_TRUE(plan.IsRestDay(20261118));
    EXPECT_EQ(plan.On(20261115).kind, CSchedulePlan::EKind::kWorkday);
    // A Saturday swapped is a scheduled day off moving; the statutory rest day stays Sunday.
    ASSERT_FALSE(CScheduleChange::AddSwap(book, rules, "山田", 20261128, 20261127, today));
    EXPECT_EQ(CSchedulePlan(book, rules, "山田").On(20261127).kind,
              CSchedulePlan::EKind::kDayOff);
    EXPECT_TRUE(CSchedulePlan(book, rules, "山田").IsRestDay(20261129));
    // A swap can be taken back only before its days.
    EXPECT_TRUE(CScheduleChange::RemoveSwap(book, "山田", 20261115, 20261116));
    EXPECT_FALSE(CScheduleChange::RemoveSwap(book, "山田", 20261115, today));

    // 代休: after the rest-day work, on a working day, once.
    EXPECT_TRUE(CScheduleChange::AddDayInLieu(book, rules, "山田", 20261107, 20261108));
    EXPECT_TRUE(CScheduleChange::AddDayInLieu(book, rules, "山田", 20261112, 20261111));
    EXPECT_TRUE(CScheduleChange::AddDayInLieu(book, rules, "山田", 20261114, 20261108));
    ASSERT_FALSE(CScheduleChange::AddDayInLieu(book, rules, "山田", 20261112, 20261108));
    EXPECT_TRUE(CScheduleChange::AddDayInLieu(book, rules, "山田", 20261113, 20261108));
    EXPECT_TRUE(CSchedulePlan(book, rules, "山田").On(20261112).inLieu);
}

TEST(ScheduleChange, PatternsReadAsTypedOrSayWhy) {
    std::string why;
    const auto night = CPatternForm::Read({"夜勤", "22:00", "31:00", "", "月火水木金", false}, why);
    ASSERT_TRUE(night) << why;
    EXPECT_EQ(night->ScheduledMinutes(), 9 * 60);
    EXPECT_FALSE(night->holidaysOff);
    for (const CPatternForm::Texts& bad : std::vector<CPatternForm::Texts>{
             {"日勤", "9時", "18:00", "", "月", true},
             {"日勤", "09:00", "18:00", "12:00-13:00", "月曜", true},
             {"日勤", "18:00", "09:00", "", "月", true},
             {"日勤", "09:00", "18:00", "08:00-09:30", "月", true},
             {"日勤", "09:00", "18:00", "12:00-13:00 12:30-13:30", "月", true},
             {"", "09:00", "18:00", "", "月", true},
             {"日勤", "09:00", "18:00", "", "", true},
         }) {
        why.clear();
        EXPECT_FALSE(CPatternForm::Read(bad, why)) << bad.start << bad.days;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_EQ(CPatternForm::ReadDate("2026-02-29"), std::nullopt);
    EXPECT_EQ(CPatternForm::ReadDate("2028/02/29"), 20280229);
    EXPECT_EQ(CWorkPattern::WeekdaysText(*CWorkPattern::ParseWeekdays("sun sat 水")), "水土日");
    // A name with a comma would break the book's line: refused, not cut.
    CScheduleBook book;
    CWorkPattern comma;
    comma.name = "日勤,A";
    EXPECT_TRUE(CScheduleChange::SetPattern(book, comma));
    EXPECT_TRUE(book.patterns.empty());
}

}  // namespace stampwell
