// The year's limits of the overtime agreement, on months worked out by hand.
#include <gtest/gtest.h>

#include "reporting/OvertimeYear.h"

namespace stampwell {

namespace {
constexpr int kHour = 60;

// A row with the year's months (index 0 = the start month) set to overtime, rest-day work.
COvertimeYear::Row Year(const std::vector<std::pair<int, int>>& months,
                        const std::vector<std::pair<int, int>>& before = {}) {
    COvertimeYear::Row row;
    row.name = "山田";
    for (std::size_t i = 0; i < months.size(); ++i) {
        row.months[COvertimeYear::kBefore + i] = {months[i].first, months[i].second};
    }
    // The months before the year, the nearest last.
    for (std::size_t i = 0; i < before.size(); ++i) {
        row.months[COvertimeYear::kBefore - before.size() + i] = {before[i].first,
                                                                  before[i].second};
    }
    COvertimeYear::Judge(row);
    return row;
}
}  // namespace

TEST(OvertimeYear, EachLimitOfTheYearOnHandWorkedMonths) {
    // Seven months just over 45 hours: one more than the special clause allows.
    std::vector<std::pair<int, int>> seven(7, {45 * kHour + 1, 0});
    auto row = Year(seven);
    EXPECT_EQ(row.monthsOver45, 7);
    EXPECT_EQ(row.limits, "45時間超が年7回以上");
    seven.pop_back();
    EXPECT_EQ(Year(seven).limits, "");  // six are allowed (and 6 x 45:01 is under 360)

    // The year's overtime: 360 hours is within, one minute more is not; likewise 720.
    std::vector<std::pair<int, int>> nine(9, {40 * kHour, 0});
    EXPECT_EQ(Year(nine).limits, "");
    nine.back().first += 1;
    EXPECT_EQ(Year(nine).limits, "年360時間超");
    std::vector<std::pair<int, int>> heavy(12, {60 * kHour + 1, 0});
    row = Year(heavy);
    EXPECT_EQ(row.yearOvertime, 720 * kHour + 12);
    EXPECT_EQ(row.limits, "45時間超が年7回以上・年360時間超・年720時間超");

    // Two months averaging 80:01 (rest-day work counts): over 80 hours; 80:00 is within.
    row = Year({{0, 0}, {70 * kHour, 10 * kHour}, {80 * kHour, 2}});
    EXPECT_EQ(row.limits, "2～6か月平均80時間超");
    EXPECT_EQ(row.worstAverage, 80 * kHour + 1);
    EXPECT_EQ(row.worstAverageFirst, 1);
    EXPECT_EQ(row.worstAverageLast, 2);
    EXPECT_EQ(Year({{0, 0}, {70 * kHour, 10 * kHour}, {80 * kHour, 0}}).limits, "");
    // 160:01 over two months shows as 80:01 beside its flag, never as 80:00; a single minute of
    // overtime shows with its months, not as a bare 0:00.
    row = Year({{0, 0}, {80 * kHour, 0}, {80 * kHour + 1, 0}});
    EXPECT_EQ(row.limits, "2～6か月平均80時間超");
    EXPECT_EQ(COvertimeYear::Cells(row, 4)[1 + 2 * 12 + 2], "80:01（5月～6月）");
    row = Year({{0, 0}, {1, 0}});
    EXPECT_EQ(COvertimeYear::Cells(row, 4)[1 + 2 * 12 + 2], "0:01（4月～5月）");

    // A month of exactly 100 hours (overtime and rest-day work) is at the limit; 99:59 is not.
    row = Year({{0, 0}, {0, 0}, {60 * kHour, 40 * kHour}});
    EXPECT_EQ(row.limits, "月100時間以上");
    EXPECT_EQ(row.monthsAt100, (std::vector<int>{2}));
    EXPECT_EQ(Year({{0, 0}, {0, 0}, {60 * kHour, 40 * kHour - 1}}).limits, "");

    // The first month's averages reach back into the year before: March's 85 hours and
    // April's 80 average 82:30.
    row = Year({{80 * kHour, 0}}, {{85 * kHour, 0}});
    EXPECT_EQ(row.limits, "2～6か月平均80時間超");
    EXPECT_EQ(row.worstAverageFirst, -1);
    const auto cells = COvertimeYear::Cells(row, 4);
    EXPECT_EQ(cells[1 + 2 * 12 + 2], "82:30（3月～4月）");
}

TEST(OvertimeYear, TheTableNamesTheMonthsFromTheStartMonthAndMarksWhatPassed) {
    const auto header = COvertimeYear::Header(10);
    ASSERT_EQ(header.size(), 1u + 24u + 5u);
    EXPECT_EQ(header[1], "10月時間外");
    EXPECT_EQ(header[6], "12月休日");
    EXPECT_EQ(header[7], "1月時間外");  // the year turns
    EXPECT_EQ(header[24], "9月休日");
    EXPECT_EQ(COvertimeYear::AgreementYearOf(2027, 3, 4), 2026);
    EXPECT_EQ(COvertimeYear::AgreementYearOf(2026, 4, 4), 2026);
    EXPECT_EQ(COvertimeYear::AgreementYearOf(2026, 12, 1), 2026);
    COvertimeYear::Row row;
    row.months[COvertimeYear::kBefore + 1] = {46 * kHour, 0};
    COvertimeYear::Judge(row);
    EXPECT_FALSE(COvertimeYear::IsOverLimit(row, 1));
    EXPECT_TRUE(COvertimeYear::IsOverLimit(row, 3));    // the second month's overtime
    EXPECT_FALSE(COvertimeYear::IsOverLimit(row, 29));  // nothing passed for the year
}

}  // namespace stampwell

namespace stampwell {

// Without a special clause (特別条項) the agreement's own 45 hours a month and 360 a year are
// the limits: one month over 45 hours is already past them, and the view says why.
TEST(OvertimeYear, WithoutASpecialClauseOneMonthOver45HoursIsPastTheLimit) {
    COvertimeYear::Row row;
    row.months[COvertimeYear::kBefore].overtime = 45 * 60 + 1;
    COvertimeYear::Judge(row);
    EXPECT_EQ(row.limits, "");
    row.specialClause = false;
    COvertimeYear::Judge(row);
    EXPECT_EQ(row.limits, "月45時間超（特別条項なし）");
    EXPECT_TRUE(COvertimeYear::IsOverLimit(row, 1 + 2 * COvertimeYear::kMonths));
    for (int i = 1; i < COvertimeYear::kMonths; ++i) {
        row.months[COvertimeYear::kBefore + i].overtime = 30 * 60 + 1;
    }
    COvertimeYear::Judge(row);
    EXPECT_EQ(row.limits, "月45時間超（特別条項なし）・年360時間超（特別条項なし）");
    EXPECT_FALSE(COvertimeYear::ClauseNote(false).empty());
    EXPECT_TRUE(COvertimeYear::ClauseNote(true).empty());
}

}  // namespace stampwell
