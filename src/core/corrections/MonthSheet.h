#pragma once

#include <string>
#include <vector>

#include "store/IWorkStore.h"
#include "workfile/WorkDayRecord.h"

namespace stampwell {

// One employee's month as the record edit grid shows it: a row per day, "%02d/%02d (%s)" with
// the weekday, and the start and end cells ("__:__" for none).
class CMonthSheet {
public:
    static constexpr int kDateColumn = 0;
    static constexpr int kStartColumn = 1;
    static constexpr int kEndColumn = 2;

    // No rows without an employee or for a year up to 2000. False when the month could not be
    // read (the sheet is then empty and cannot be saved).
    bool Load(IWorkStore& report, std::string name, int year, int month);
    void Clear();

    int Rows() const { return static_cast<int>(m_edited.size()); }
    std::string Cell(int row, int column) const;
    // The typed text of a time cell (already normalised); true when it differs.
    bool SetCell(int row, int column, const std::string& text);
    bool IsLoaded() const { return m_loaded; }
    const std::string& Name() const { return m_name; }
    int Year() const { return m_year; }
    int Month() const { return m_month; }
    const std::vector<WorkDayRecord>& Loaded() const { return m_original; }
    const std::vector<WorkDayRecord>& Edited() const { return m_edited; }
    // The six days before the 1st as loaded (the overtime of the month's first week).
    const std::vector<WorkDayRecord>& LeadIn() const { return m_leadIn; }
    // The changed times, as (day, side, loaded, typed).
    std::vector<IWorkStore::CellChange> Changes() const;
    // A cell takes the value another clock wrote: loaded and shown alike (no change any more).
    void TakeFromDisk(int row, int side, const std::string& time);

    static std::string DateText(int year, int month, int day);
    // "%04d/%02d/%02d", as the work file writes a working day.
    static std::string DayText(int year, int month, int day);

private:
    std::string m_name;
    int m_year = 0;
    int m_month = 0;
    bool m_loaded = false;
    std::vector<WorkDayRecord> m_original;
    std::vector<WorkDayRecord> m_edited;
    std::vector<WorkDayRecord> m_leadIn;
};

}  // namespace stampwell
