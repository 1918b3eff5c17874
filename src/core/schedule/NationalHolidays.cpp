#include "schedule/NationalHolidays.h"

#include <algorithm>
#include <map>

#include "calendar/WorkDate.h"

namespace stampwell {

namespace {
constexpr int kMonday = 1;
constexpr int kSunday = 0;

int Date(int year, int month, int day) {
    return year * 10000 + month * 100 + day;
}

// The n-th Monday of a month (ハッピーマンデー).
int NthMonday(int year, int month, int n) {
    const int first = CWorkDate::Weekday(Date(year, month, 1));
    return Date(year, month, 1 + (kMonday - first + 7) % 7 + 7 * (n - 1));
}

int NextDay(int date) {
    return CWorkDate::FromDayIndex(CWorkDate::DayIndex(date) + 1);
}

// The holidays the Act names for the year, before 振替休日 and 国民の休日.
std::map<int, std::string> NamedDays(int year) {
    std::map<int, std::string> days;
    auto add = [&](int date, const char* name) {
        if (date > 0) days.emplace(date, name);
    };
    add(Date(year, 1, 1), "元日");
    add(year >= 2000 ? NthMonday(year, 1, 2) : Date(year, 1, 15), "成人の日");
    if (year >= 1967) add(Date(year, 2, 11), "建国記念の日");
    if (year >= 2020) add(Date(year, 2, 23), "天皇誕生日");
    if (const int day = CNationalHolidays::VernalEquinoxDay(year)) {
        add(Date(year, 3, day), "春分の日");
    }
    add(Date(year, 4, 29), year >= 2007 ? "昭和の日" : year >= 1989 ? "みどりの日" : "天皇誕生日");
    add(Date(year, 5, 3), "憲法記念日");
    if (year >= 2007) add(Date(year, 5, 4), "みどりの日");
    add(Date(year, 5, 5), "こどもの日");
    if (year == 2019) {
        add(Date(year, 5, 1), "天皇の即位の日");
        add(Date(year, 10, 22), "即位礼正殿の儀の行われる日");
    }
    // The Olympic years moved 海の日, スポーツの日 and 山の日 by law.
    if (year == 2020) {
        add(Date(year, 7, 23), "海の日");
        add(Date(year, 7, 24), "スポーツの日");
        add(Date(year, 8, 10), "山の日");
    } else if (year == 2021) {
        add(Date(year, 7, 22), "海の日");
        add(Date(year, 7, 23), "スポーツの日");
        add(Date(year, 8, 8), "山の日");
    } else {
        if (year >= 2003) {
            add(NthMonday(year, 7, 3), "海の日");
        } else if (year >= 1996) {
            add(Date(year, 7, 20), "海の日");
        }
        if (year >= 2016) add(Date(year, 8, 11), "山の日");
        if (year >= 2000) {
            add(NthMonday(year, 10, 2), year >= 2020 ? "スポーツの日" : "体育の日");
        } else if (year >= 1966) {
            add(Date(year, 10, 10), "体育の日");
        }
    }
    if (year >= 2003) {
        add(NthMonday(year, 9, 3), "敬老の日");
    } else if (year >= 1966) {
        add(Date(year, 9, 15), "敬老の日");
    }
    if (const int day = CNationalHolidays::AutumnalEquinoxDay(year)) {
        add(Date(year, 9, day), "秋分の日");
    }
    add(Date(year, 11, 3), "文化の日");
    add(Date(year, 11, 23), "勤労感謝の日");
    if (year >= 1989 && year <= 2018) add(Date(year, 12, 23), "天皇誕生日");
    return days;
}
}  // namespace

int CNationalHolidays::VernalEquinoxDay(int year) {
    if (year < 1980 || year > 2099) return 0;
    return static_cast<int>(20.8431 + 0.242194 * (year - 1980)) - (year - 1980) / 4;
}

int CNationalHolidays::AutumnalEquinoxDay(int year) {
    if (year < 1980 || year > 2099) return 0;
    return static_cast<int>(23.2488 + 0.242194 * (year - 1980)) - (year - 1980) / 4;
}

std::vector<CNationalHolidays::Holiday> CNationalHolidays::OfYear(int year) {
    std::map<int, std::string> days = NamedDays(year);
    // A holiday of the year before on 12/31 cannot move into this one (12/31 is never a holiday).
    std::map<int, std::string> added;
    for (const auto& [date, name] : days) {
        if (CWorkDate::Weekday(date) != kSunday || year < 1973) continue;
        int next = NextDay(date);
        // Since 2007 the rest moves past every following holiday; before, only to Monday.
        if (year >= 2007) {
            while (days.count(next) || added.count(next)) next = NextDay(next);
        }
        if (!days.count(next) && next / 10000 == year) added.emplace(next, "振替休日");
    }
    // 国民の休日: a day that is no holiday itself, between two holidays, and no Sunday.
    if (year >= 1986) {
        for (const auto& [date, name] : days) {
            const int between = NextDay(date);
            const int after = NextDay(between);
            if (days.count(after) && !days.count(between) && !added.count(between) &&
                CWorkDate::Weekday(between) != kSunday) {
                added.emplace(between, "国民の休日");
            }
        }
    }
    days.insert(added.begin(), added.end());
    std::vector<Holiday> out;
    out.reserve(days.size());
    for (auto& [date, name] : days) out.push_back({date, std::move(name)});
    return out;
}

std::optional<std::string> CNationalHolidays::NameOf(int date) {
    for (auto& holiday : OfYear(date / 10000)) {
        if (holiday.date == date) return std::move(holiday.name);
    }
    return std::nullopt;
}

}  // namespace stampwell
