#pragma once

#include <functional>
#include <string>
#include <vector>

#include "recording/MonthSheet.h"
#include "recording/WorkReport.h"

namespace stampwell {

class CRegisterFile;
class IClock;
class IPrompt;

// What the record edit screen decides: which month of which employee it shows, whether there
// are unsaved changes, the discard questions, and the save with its messages.
class CReportEditSession {
public:
    CReportEditSession(CWorkReport& report, const CRegisterFile& reg, IPrompt& prompt, int mode);

    // The employees in sorted order (one pass of the register).
    std::vector<std::string> Names() const;
    // Shows another employee, year or month. With unsaved changes it asks first; false (the
    // shown selection stays) when the administrator keeps them.
    bool Select(const std::string& name, int year, int month);
    // A cell typed or cleared: true when it changed (the sheet is then modified).
    bool Edit(int row, int column, const std::string& text);
    // An edit cancelled with Esc after typing still counts as a change.
    void MarkModified() { m_modified = true; }
    bool IsModified() const { return m_modified; }
    // Asks, saves, and says how it went. True when the work file holds the month. With the
    // trail on, the changed times go to EditLog.txt (with the reason) before the work file is
    // replaced; a reason the log cannot hold is refused with a message.
    bool Save(const std::string& reason = {});
    // Who is correcting, and the clock the trail's times come from.
    void SetTrail(std::string adminId, const IClock* clock) {
        m_adminId = std::move(adminId);
        m_clock = clock;
    }
    // Closing with unsaved changes asks first.
    bool MayClose();

    const CMonthSheet& Sheet() const { return m_sheet; }
    const std::string& ShownName() const { return m_name; }
    int ShownYear() const { return m_year; }
    int ShownMonth() const { return m_month; }

private:
    void ShowPathMessage() const;
    std::string TrailTime() const;

    CWorkReport& m_report;
    const CRegisterFile& m_register;
    IPrompt& m_prompt;
    int m_mode;
    CMonthSheet m_sheet;
    bool m_modified = false;
    bool m_loadFailed = false;
    std::string m_name;
    int m_year = 0;
    int m_month = 0;
    std::string m_adminId;
    const IClock* m_clock = nullptr;
};

}  // namespace stampwell
