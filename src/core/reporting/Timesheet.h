#pragma once

#include <string>
#include <vector>

#include "settings/WorkRules.h"

namespace stampwell {

class CLeaveBook;
class CScheduleBook;
class IWorkStore;

// The month's attendance register (出勤簿) of each employee, as texts ready to be drawn: a row
// per day of the pay period with its times, its figures and its remarks, and the totals of the
// month. Every figure comes from the calculation of `stampwell-cli report`; only the page is
// new (its drawing lives with the windows).
class CTimesheet {
public:
    struct Line {
        std::string date;  // "06/01（月）"
        std::string start, end, breakTime, worked, overtime, lateNight, restDay;
        // The holiday's name, 所定休日, 振替, 代休, 欠勤, 遅刻, 早退, 打刻漏れ, 時刻不整合,
        // 休憩不足, 有休, 修正（reason）, joined by "・".
        std::string note;
        bool restDay_ = false;  // a day off (the statutory rest day, a holiday, 所定休日): shaded
    };
    struct Page {
        std::string name;
        std::string period;  // "2026/06/01～2026/06/30"
        std::string title;   // "2026年6月度 出勤簿"
        bool room = false;   // 入室/退室 and 在室 instead of 出社/退社
        std::vector<Line> lines;
        std::vector<std::string> totals;  // as the record edit screen words them
    };

    // The column titles of a page's table.
    static std::vector<std::string> Header(bool room);
    // The cells of a line, in the order of Header.
    static std::vector<std::string> Cells(const Line& line);
    // One page per employee of the period (Japanese order), or the one named; every name of
    // `registered` gets its page too, empty when it has nothing in the period. leave and
    // registered may be null; withTrail puts the reasons of the corrections into the remarks.
    // With schedule, the holidays, days off and scheduled figures, and a closed period by the
    // rules kept at its closing. False when the records cannot be read.
    static bool Collect(IWorkStore& report, int year, int month, int closing,
                        const std::string& onlyName, const CWorkRules& rules,
                        const CLeaveBook* leave, bool withTrail, std::vector<Page>& pages,
                        const std::vector<std::string>* registered = nullptr,
                        const CScheduleBook* schedule = nullptr);
};

}  // namespace stampwell
