#include "corrections/MonthSheet.h"

#include <cstdio>

#include "calendar/TimeText.h"
#include "platform/LocalTime.h"
#include "store/IWorkStore.h"

namespace stampwell {

std::string CMonthSheet::DateText(int year, int month, int day) {
    static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    auto tm = CLocalTime::ToLocal(CLocalTime::FromLocal(year, month, day, 12));
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d (%s)", month, day,
                  tm ? kWeekdays[tm->tm_wday] : "");
    return text;
}

std::string CMonthSheet::DayText(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
    return text;
}

void CMonthSheet::Clear() {
    m_name.clear();
    m_year = m_month = 0;
    m_loaded = false;
    m_original.clear();
    m_edited.clear();
    m_leadIn.clear();
}

bool CMonthSheet::Load(IWorkStore& report, std::string name, int year, int month) {
    Clear();
    if (name.empty() || year <= 2000 || month < 1 || month > 12) return true;
    std::vector<WorkDayRecord> days;
    std::vector<WorkDayRecord> leadIn;
    if (!report.LoadMonth(name, year, month, days, &leadIn)) return false;
    m_leadIn = std::move(leadIn);
    m_name = name;
    m_year = year;
    m_month = month;
    m_original = days;
    m_edited = std::move(days);
    m_loaded = true;
    return true;
}

std::string CMonthSheet::Cell(int row, int column) const {
    if (row < 0 || row >= Rows()) return {};
    const WorkDayRecord& day = m_edited[static_cast<std::size_t>(row)];
    switch (column) {
        case kDateColumn:
            return DateText(m_year, m_month, row + 1);
        case kStartColumn:
            return CTimeText::ToCell(day.start);
        case kEndColumn:
            return CTimeText::ToCell(day.end);
        default:
            return {};
    }
}

bool CMonthSheet::SetCell(int row, int column, const std::string& text) {
    if (row < 0 || row >= Rows() || (column != kStartColumn && column != kEndColumn)) return false;
    WorkDayRecord& day = m_edited[static_cast<std::size_t>(row)];
    std::string& time = column == kStartColumn ? day.start : day.end;
    const std::string value = CTimeText::FromCell(text);
    if (time == value) return false;
    time = value;
    return true;
}

}  // namespace stampwell

namespace stampwell {

std::vector<IWorkStore::CellChange> CMonthSheet::Changes() const {
    std::vector<IWorkStore::CellChange> changes;
    for (std::size_t d = 0; d < m_edited.size() && d < m_original.size(); ++d) {
        const int day = static_cast<int>(d) + 1;
        if (m_original[d].start != m_edited[d].start) {
            changes.push_back({day, 0, m_original[d].start, m_edited[d].start});
        }
        if (m_original[d].end != m_edited[d].end) {
            changes.push_back({day, 1, m_original[d].end, m_edited[d].end});
        }
    }
    return changes;
}

void CMonthSheet::TakeFromDisk(int row, int side, const std::string& time) {
    if (row < 0 || row >= Rows()) return;
    auto& original = m_original[static_cast<std::size_t>(row)];
    auto& edited = m_edited[static_cast<std::size_t>(row)];
    (side == 0 ? original.start : original.end) = time;
    (side == 0 ? edited.start : edited.end) = time;
}

}  // namespace stampwell
