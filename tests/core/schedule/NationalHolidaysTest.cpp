// Japan's national holidays of 2020-2030, written from the Cabinet Office's published list
// (内閣府「国民の祝日について」), against the calculation.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "schedule/NationalHolidays.h"

namespace stampwell {

namespace {
// Per year, "MMDD" of every holiday, 振替休日 and 国民の休日 included.
const std::map<int, std::vector<int>> kCabinetOfficeList = {
    {2020,
     {101, 113, 211, 223, 224, 320, 429, 503, 504, 505, 506, 723, 724, 810, 921, 922, 1103, 1123}},
    {2021, {101, 111, 211, 223, 320, 429, 503, 504, 505, 722, 723, 808, 809, 920, 923, 1103, 1123}},
    {2022, {101, 110, 211, 223, 321, 429, 503, 504, 505, 718, 811, 919, 923, 1010, 1103, 1123}},
    {2023,
     {101, 102, 109, 211, 223, 321, 429, 503, 504, 505, 717, 811, 918, 923, 1009, 1103, 1123}},
    {2024, {101, 108, 211, 212, 223, 320, 429,  503,  504,  505, 506,
            715, 811, 812, 916, 922, 923, 1014, 1103, 1104, 1123}},
    {2025,
     {101, 113, 211, 223, 224, 320, 429, 503, 504, 505, 506, 721, 811, 915, 923, 1013, 1103, 1123,
      1124}},
    {2026,
     {101, 112, 211, 223, 320, 429, 503, 504, 505, 506, 720, 811, 921, 922, 923, 1012, 1103, 1123}},
    {2027,
     {101, 111, 211, 223, 321, 322, 429, 503, 504, 505, 719, 811, 920, 923, 1011, 1103, 1123}},
    {2028, {101, 110, 211, 223, 320, 429, 503, 504, 505, 717, 811, 918, 922, 1009, 1103, 1123}},
    {2029,
     {101, 108, 211, 212, 223, 320, 429, 430, 503, 504, 505, 716, 811, 917, 923, 924, 1008, 1103,
      1123}},
    {2030,
     {101, 114, 211, 223, 320, 429, 503, 504, 505, 506, 715, 811, 812, 916, 923, 1014, 1103, 1104,
      1123}},
};
}  // namespace

TEST(NationalHolidays, EveryHolidayOf2020To2030MatchesTheCabinetOfficeList) {
    for (const auto& [year, expected] : kCabinetOfficeList) {
        std::vector<int> computed;
        for (const auto& holiday : CNationalHolidays::OfYear(year)) {
            computed.push_back(holiday.date % 10000);
        }
        EXPECT_EQ(computed, expected) << year;
    }
}

TEST(NationalHolidays, NamesTheMovedAndTheSandwichedDays) {
    EXPECT_EQ(CNationalHolidays::NameOf(20261123), "勤労感謝の日");
    EXPECT_EQ(CNationalHolidays::NameOf(20260922), "国民の休日");    // between 敬老 and 秋分
    EXPECT_EQ(CNationalHolidays::NameOf(20260506), "振替休日");      // 5/3 was a Sunday
    EXPECT_EQ(CNationalHolidays::NameOf(20200724), "スポーツの日");  // the Olympic move
    EXPECT_EQ(CNationalHolidays::NameOf(20261124), std::nullopt);
    EXPECT_EQ(CNationalHolidays::NameOf(20181223), "天皇誕生日");
    EXPECT_EQ(CNationalHolidays::NameOf(20191223), std::nullopt);
}

TEST(NationalHolidays, EquinoxesHoldToTheEndOfTheCentury) {
    // The years the formula's day turns: 2092 春分 3/19, 2099 秋分 9/23; none outside its range.
    EXPECT_EQ(CNationalHolidays::VernalEquinoxDay(2092), 19);
    EXPECT_EQ(CNationalHolidays::AutumnalEquinoxDay(2099), 23);
    EXPECT_EQ(CNationalHolidays::VernalEquinoxDay(2100), 0);
    for (int year = 1980; year <= 2099; ++year) {
        const int spring = CNationalHolidays::VernalEquinoxDay(year);
        const int autumn = CNationalHolidays::AutumnalEquinoxDay(year);
        EXPECT_TRUE(spring >= 19 && spring <= 21) << year;
        EXPECT_TRUE(autumn >= 22 && autumn <= 24) << year;
    }
}

}  // namespace stampwell
