#include "leave/LeaveDate.h"

#include <cstdio>

#include "calendar/WorkDate.h"
#include "platform/IClock.h"
#include "platform/LocalTime.h"

namespace stampwell {

std::optional<int> CLeaveDate::Parse(const std::string& text) {
    if (text.size() != 10 || (text[4] != '-' && text[4] != '/') || text[7] != text[4]) {
        return std::nullopt;
    }
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < lengths[i]; ++k) {
            const char c = text[static_cast<std::size_t>(starts[i] + k)];
            if (c < '0' || c > '9') return std::nullopt;
            parts[i] = parts[i] * 10 + (c - '0');
        }
    }
    const int year = parts[0], month = parts[1], day = parts[2];
    if (year < 1900 || month < 1 || month > 12 || day < 1 ||
        day > CWorkDate::DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return year * 10000 + month * 100 + day;
}

int CLeaveDate::AddMonths(int date, int months) {
    int year = date / 10000;
    int month = date / 100 % 100 - 1 + months;
    year += month >= 0 ? month / 12 : (month - 11) / 12;
    month = (month % 12 + 12) % 12 + 1;
    int day = date % 100;
    if (day > CWorkDate::DaysInMonth(year, month)) day = CWorkDate::DaysInMonth(year, month);
    return year * 10000 + month * 100 + day;
}

std::string CLeaveDate::Text(int date) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

int CLeaveDate::Today(const IClock& clock) {
    const auto now = CLocalTime::ToLocal(clock.Now());
    return now ? (now->tm_year + 1900) * 10000 + (now->tm_mon + 1) * 100 + now->tm_mday : 0;
}

int CLeaveDate::MonthsUntil(int from, int to) {
    int months = 0;
    while (AddMonths(from, months + 1) <= to) ++months;
    return months;
}

int CLeaveDate::DaysUntil(int from, int to) {
    return static_cast<int>(CWorkDate::DayIndex(to) - CWorkDate::DayIndex(from));
}

int CLeaveDate::PeriodEnd(int date, int months) {
    const int end = AddMonths(date, months);
    if (end % 100 == date % 100) return end;
    // No such day in that month: the period runs to the end of the month.
    return AddMonths(end - end % 100 + 1, 1);
}

}  // namespace stampwell
