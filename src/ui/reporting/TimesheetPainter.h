#pragma once

#include <string>
#include <vector>

#include "reporting/Timesheet.h"

class QPagedPaintDevice;
class QPainter;

namespace stampwell {

// Draws 出勤簿 pages on A4 portrait, one employee a page, readable in black and white: the title,
// the period and the name, the table of days (rest days shaded), the month's totals, the boxes
// for 本人確認 and 管理者確認, and a footer with when it was made and the program's version.
class CTimesheetPainter {
public:
    // made: "2026/12/08 18:30", the footer's time.
    static bool Paint(const std::vector<CTimesheet::Page>& pages, QPagedPaintDevice& device,
                      const std::string& made);
    // The same into a PDF file (fonts embedded). False when it cannot be written.
    static bool WritePdf(const std::vector<CTimesheet::Page>& pages, const std::string& path,
                         const std::string& made);

private:
    static void PaintPage(QPainter& painter, const CTimesheet::Page& page, const std::string& made);
};

}  // namespace stampwell
