#pragma once

#include <optional>
#include <string_view>

namespace stampwell {

// A pay period of the export: the month of its last day cut at a closing day (index 0..4 for
// the 5th, 10th, 15th, 20th and 25th; any other index for the month's end). For closing day 20,
// August runs from 21 July to 20 August.
class CPayPeriod {
public:
    CPayPeriod(int year, int month, int closingIndex);
    // The days from first to last (date numbers).
    static CPayPeriod Range(int first, int last);

    int First() const { return m_first; }
    int Last() const { return m_last; }
    // Whether a date number (y * 10000 + m * 100 + d) lies in the period.
    bool Contains(int dateNumber) const { return m_first <= dateNumber && dateNumber <= m_last; }
    // A record's date text as the export reads it: "%d/%d/%d", normalised the way mktime does.
    bool ContainsText(std::string_view dateText) const;
    // A record's deciphered bytes 32..43 (",YYYY/MM/DD,") alone: the stored shape's date, for
    // skipping a record without deciphering the rest of it. Nothing when the bytes are not of
    // that shape or the date needs normalising (then ContainsText of the parsed date decides).
    std::optional<bool> ContainsDateBytes(std::string_view bytes) const;

private:
    CPayPeriod() = default;
    void MakeTexts();

    int m_first = 0;
    int m_last = 0;
    char m_firstText[11] = {};  // "YYYY/MM/DD" of First and Last, for comparing date texts
    char m_lastText[11] = {};
};

}  // namespace stampwell
