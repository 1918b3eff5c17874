#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workfile/WorkDayRecord.h"

namespace stampwell {

// One person's calendar month inside the work file's blocks: reading its days, and applying the
// times an administrator changed. A change touches only its own day and side: the blocks of that
// side are replaced by one block in place of the first (or removed for no time); a side that had
// no block goes next to the day's other side, or after the last record when the day had none.
class CMonthEdit {
public:
    struct Change {
        int day = 0;
        int side = 0;  // 0 start, 1 end
        std::string before, after;
    };

    // cp932Name is the person's name as stored (at most 32 bytes).
    CMonthEdit(std::string cp932Name, int year, int month);

    // The day (1..31) and side of a deciphered block when it is this person's record of this
    // month, else day 0.
    struct Place {
        int day = 0;
        int side = -1;
    };
    Place Classify(std::string_view text) const;

    // The month's days as blocks hold them (a later record of a side replaces an earlier one,
    // as the record table merges them). name is the UTF-8 name put into the records.
    std::vector<WorkDayRecord> Read(std::string_view blocks, const std::string& name) const;
    // Notes one deciphered block into days (for a streaming read).
    void Note(std::string_view text, std::vector<WorkDayRecord>& days) const;
    std::vector<WorkDayRecord> EmptyDays(const std::string& name) const;
    // The file's whole blocks with the changes applied; nothing when a new block cannot be
    // formatted.
    std::optional<std::string> Apply(std::string_view blocks,
                                     const std::vector<Change>& changes) const;

private:
    std::optional<std::string> Block(int day, int side, const std::string& time) const;

    std::string m_name;
    std::string m_padded;
    int m_year;
    int m_month;
    int m_days;
};

}  // namespace stampwell
