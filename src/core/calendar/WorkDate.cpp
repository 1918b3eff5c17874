#include "calendar/WorkDate.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/LocalTime.h"

namespace stampwell {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int Digits(const char* p, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value = value * 10 + (p[i] - '0');
    return value;
}
// "YYYY/MM/DD" exactly.
bool ParseFixed(std::string_view text, int& year, int& month, int& day) {
    if (text.size() < 10 || text[4] != '/' || text[7] != '/') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(text[i])) return false;
    }
    year = Digits(text.data(), 4);
    month = Digits(text.data() + 5, 2);
    day = Digits(text.data() + 8, 2);
    return true;
}
}  // namespace

std::size_t CWorkDate::ScanNumbers(std::string_view text, char sep, std::span<int> out) {
    std::size_t pos = 0;
    std::size_t count = 0;
    while (count < out.size()) {
        if (count > 0) {
            if (pos >= text.size() || text[pos] != sep) break;
            ++pos;
        }
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
            negative = text[pos] == '-';
            ++pos;
        }
        std::size_t first = pos;
        long long value = 0;
        while (pos < text.size() && IsDigit(text[pos])) {
            if (pos - first >= 9) return count;
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (pos == first) break;
        out[count++] = static_cast<int>(negative ? -value : value);
    }
    return count;
}

bool CWorkDate::Parse(std::string_view text, int& year, int& month, int& day) {
    if (text.size() == 10 && ParseFixed(text, year, month, day)) return true;
    int parts[3] = {0, 0, 0};
    if (ScanNumbers(text, '/', parts) != 3) return false;
    // Beyond these no calendar date is meant, and the arithmetic below must not overflow.
    if (parts[0] < 0 || parts[0] > 9999 || std::abs(parts[1]) > 9999 || std::abs(parts[2]) > 9999)
        return false;
    year = parts[0];
    month = parts[1];
    day = parts[2];
    return true;
}

int CWorkDate::Number(std::string_view text) {
    int year = 0, month = 0, day = 0;
    if (!Parse(text, year, month, day)) return -1;
    return year * 10000 + month * 100 + day;
}

int CWorkDate::FixedNumber(std::string_view text) {
    // name (32 bytes) "," date (10 bytes) ","
    if (text.size() < 44 || text[32] != ',' || text[43] != ',') return -1;
    int year = 0, month = 0, day = 0;
    if (!ParseFixed(text.substr(33, 10), year, month, day)) return -2;
    return year * 10000 + month * 100 + day;
}

bool CWorkDate::IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int CWorkDate::DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int CWorkDate::NormalisedNumber(int year, int month, int day) {
    if (month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month)) {
        return year * 10000 + month * 100 + day;
    }
    auto tm = CLocalTime::ToLocal(CLocalTime::FromLocal(year, month, day, 12));
    if (!tm) return -1;
    return (tm->tm_year + 1900) * 10000 + (tm->tm_mon + 1) * 100 + tm->tm_mday;
}

int CWorkDate::ParseMinutes(std::string_view time) {
    int parts[2] = {0, 0};
    ScanNumbers(time, ':', parts);
    return static_cast<int>(
        std::clamp(static_cast<long long>(parts[0]) * 60 + parts[1], -1000000LL, 1000000LL));
}

long CWorkDate::DayIndex(int dateNumber) {
    // Howard Hinnant's days_from_civil.
    long year = dateNumber / 10000;
    const long month = dateNumber / 100 % 100;
    const long day = dateNumber % 100;
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int CWorkDate::FromDayIndex(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return static_cast<int>(year * 10000 + month * 100 + day);
}

int CWorkDate::Weekday(int dateNumber) {
    const long days = DayIndex(dateNumber);
    return static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970/01/01 was a Thursday
}

std::string CWorkDate::Text(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
    return text;
}

std::string CWorkDate::TextOfNumber(int number) {
    return Text(number / 10000, number / 100 % 100, number % 100);
}

}  // namespace stampwell
