#include "calendar/PayPeriod.h"

#include <cstdio>
#include <cstring>

#include "calendar/WorkDate.h"

namespace stampwell {

CPayPeriod::CPayPeriod(int year, int month, int closingIndex) {
    static constexpr int kClosingDays[] = {5, 10, 15, 20, 25};
    if (closingIndex >= 0 && closingIndex <= 4) {
        const int closing = kClosingDays[closingIndex];
        m_first = CWorkDate::NormalisedNumber(month == 1 ? year - 1 : year,
                                              month == 1 ? 12 : month - 1, closing + 1);
        m_last = CWorkDate::NormalisedNumber(year, month, closing);
    } else if (month >= 1 && month <= 12) {
        m_first = year * 10000 + month * 100 + 1;
        m_last = year * 10000 + month * 100 + CWorkDate::DaysInMonth(year, month);
    } else {
        m_first = CWorkDate::NormalisedNumber(year, month, 1);
        m_last = CWorkDate::NormalisedNumber(year, month + 1, 0);
    }
    MakeTexts();
}

CPayPeriod CPayPeriod::Range(int first, int last) {
    CPayPeriod period;
    period.m_first = first;
    period.m_last = last;
    period.MakeTexts();
    return period;
}

void CPayPeriod::MakeTexts() {
    auto text = [](int number, char* out) {
        if (number < 0 || number > 99991231) number = 0;
        std::snprintf(out, 11, "%04d/%02d/%02d", number / 10000, number / 100 % 100, number % 100);
    };
    text(m_first, m_firstText);
    text(m_last, m_lastText);
}

bool CPayPeriod::ContainsText(std::string_view dateText) const {
    int year = 0, month = 0, day = 0;
    if (!CWorkDate::Parse(dateText, year, month, day)) return false;
    return Contains(CWorkDate::NormalisedNumber(year, month, day));
}

std::optional<bool> CPayPeriod::ContainsDateBytes(std::string_view bytes) const {
    // ",YYYY/MM/DD," with a calendar date: "YYYY/MM/DD" texts sort as their dates do.
    if (bytes.size() < 12 || bytes[0] != ',' || bytes[11] != ',' || bytes[5] != '/' ||
        bytes[8] != '/') {
        return std::nullopt;
    }
    const char* d = bytes.data() + 1;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (static_cast<unsigned>(d[i] - '0') > 9) return std::nullopt;
    }
    const int month = (d[5] - '0') * 10 + (d[6] - '0');
    const int day = (d[8] - '0') * 10 + (d[9] - '0');
    if (month < 1 || month > 12 || day < 1) return std::nullopt;
    if (day > 28) {
        const int year =
            (d[0] - '0') * 1000 + (d[1] - '0') * 100 + (d[2] - '0') * 10 + (d[3] - '0');
        if (day > CWorkDate::DaysInMonth(year, month)) return std::nullopt;  // normalised
    }
    return std::memcmp(d, m_firstText, 10) >= 0 && std::memcmp(d, m_lastText, 10) <= 0;
}

}  // namespace stampwell
