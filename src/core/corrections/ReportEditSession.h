#pragma once

#include <functional>
#include <string>
#include <vector>

#include "corrections/MonthClosing.h"
#include "corrections/MonthSheet.h"
#include "reporting/Payroll.h"
#include "reporting/ScheduledTime.h"
#include "schedule/ScheduleBook.h"
#include "store/IScheduleStore.h"
#include "store/IWorkStore.h"

namespace stampwell {

class IPeopleStore;
class IClock;
class IFileWork;
class IPrompt;

// What the record edit screen decides: which month of which employee it shows, whether there
// are unsaved changes, the discard questions, the typed times it refuses, and the save: only the
// times the administrator changed are written, each over the value on disk then; a time that
// another clock changed meanwhile is not overwritten without a question. After a save the month
// is read again, so the screen and any later save start from what is on disk.
class CReportEditSession {
public:
    CReportEditSession(IWorkStore& report, const IPeopleStore& reg, IPrompt& prompt, int mode);

    // The employees in Japanese order (one pass of the register).
    std::vector<std::string> Names() const;
    // Shows another employee, year or month. With unsaved changes it asks first; false (the
    // shown selection stays) when the administrator keeps them.
    bool Select(const std::string& name, int year, int month);
    // A cell typed ("HH:MM" with "_" for digits not typed) or cleared ("__:__"): true when it
    // changed (the sheet is then modified). An impossible time (12:60, 36:00) is refused with a
    // message and the cell keeps its value.
    bool Edit(int row, int column, const std::string& text);
    // An edit cancelled with Esc after typing still counts as a change.
    void MarkModified() { m_modified = true; }
    bool IsModified() const { return m_modified; }
    // Asks, saves, and says how it went. True when the store holds the changed times. With the
    // trail on, the changes go to the trail (with the reason) in the same save; a reason the
    // trail cannot hold is refused with a message.
    bool Save(const std::string& reason = {});
    // Who is correcting, and the clock the trail's times come from.
    void SetTrail(std::string adminId, const IClock* clock) {
        m_adminId = std::move(adminId);
        m_clock = clock;
    }
    // Closing with unsaved changes asks first.
    bool MayClose();
    // Where the reading and saving of the month run (the screen's worker, so that a share
    // that hangs never freezes the window); at once on the caller's thread when not set.
    void SetFileWork(IFileWork* work) { m_fileWork = work; }

    const CMonthSheet& Sheet() const { return m_sheet; }
    const std::string& ShownName() const { return m_name; }
    int ShownYear() const { return m_year; }
    int ShownMonth() const { return m_month; }
    // Today's working day, which is still going on (its missing clock-out is no slip).
    std::string TodayText() const { return m_report.TodayText(); }
    // The shown month as typed, in payroll terms under the office's work rules (read when the
    // month is shown); the days of the month's first week before the 1st count toward that
    // week's overtime.
    CPayroll::Totals PayrollTotals() const;

    // The clerk's calendar: patterns, holidays, swaps and closings (read with the month). A
    // change of a day in a closed pay period is refused at saving.
    void SetScheduleStore(std::shared_ptr<IScheduleStore> store) { m_schedule = std::move(store); }
    // The shown month's days in scheduled terms (a holiday's name, a day off, 遅刻 ...), index 0
    // the 1st; CScheduledTime::Add over them gives the month's figures.
    std::vector<CScheduledTime::Day> ScheduledDays() const;
    // "締め済み（YYYY/MM/DD HH:MM 管理者）" when a day of the shown month lies in a closed
    // period, else empty.
    std::string ClosedText() const;
    // Closes (or reopens, with a reason) the pay period of the shown month at closing (0..5),
    // as the administrator logged in; says how it went. True when stored.
    bool CloseMonth(int closing);
    bool ReopenMonth(int closing, const std::string& reason);

private:
    enum class EAttempt { kSaved, kStopped, kFailed };
    EAttempt Attempt(std::vector<IWorkStore::CellChange> changes, const std::string& reason);
    bool AskAboutConflicts(const std::vector<IWorkStore::CellConflict>& conflicts);
    std::string SideText(int side) const;
    void ShowFailure(IWorkStore::ESaveOutcome outcome) const;
    void ShowPathMessage() const;
    std::string TrailTime() const;
    void LoadMonth();

    // Runs a file job through the file work; false when the administrator stopped waiting.
    bool RunFileWork(std::function<void()> job);
    void ShowShareAway() const;
    // The plan of the shown month's days with the lead-in before it.
    std::vector<WorkDayRecord> DaysWithLeadIn() const;
    // "YYYY/MM/DD HH:MM" of the clock, for the closing trail.
    std::string NowText() const;
    bool ClosingDone(CMonthClosing::EOutcome outcome, const std::string& done);

    IWorkStore& m_report;
    IFileWork* m_fileWork = nullptr;
    const IPeopleStore& m_register;
    IPrompt& m_prompt;
    int m_mode;
    CMonthSheet m_sheet;
    CWorkRules m_rules;
    std::shared_ptr<IScheduleStore> m_schedule;
    CScheduleBook m_book;
    bool m_modified = false;
    bool m_loadFailed = false;
    std::string m_name;
    int m_year = 0;
    int m_month = 0;
    std::string m_adminId;
    const IClock* m_clock = nullptr;
};

}  // namespace stampwell
