#include "recording/PayPeriod.h"

#include "recording/WorkDate.h"
#include "recording/WorkLine.h"

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
}

bool CPayPeriod::ContainsText(std::string_view dateText) const {
    int year = 0, month = 0, day = 0;
    if (!CWorkDate::Parse(dateText, year, month, day)) return false;
    return Contains(CWorkDate::NormalisedNumber(year, month, day));
}

std::optional<bool> CPayPeriod::ContainsBlock(std::string_view text) const {
    if (!WorkLine::HasFixedShape(text)) return std::nullopt;
    return ContainsDateBytes(text.substr(WorkLine::kNameWidth, 12));
}

std::optional<bool> CPayPeriod::ContainsDateBytes(std::string_view bytes) const {
    if (bytes.size() < 12 || bytes[0] != ',' || bytes[11] != ',') return std::nullopt;
    int year = 0, month = 0, day = 0;
    std::string_view date = bytes.substr(1, 10);
    if (date[4] != '/' || date[7] != '/') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (date[i] < '0' || date[i] > '9') return std::nullopt;
    }
    if (!CWorkDate::Parse(date, year, month, day)) return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > CWorkDate::DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return Contains(year * 10000 + month * 100 + day);
}

}  // namespace stampwell
