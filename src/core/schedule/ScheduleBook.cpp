#include "schedule/ScheduleBook.h"

#include <algorithm>
#include <cstdio>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr const char* kPatternKind = "勤務パターン";
constexpr const char* kAssignKind = "適用";
constexpr const char* kHolidayKind = "会社休日";
constexpr const char* kSwapKind = "振替";
constexpr const char* kInLieuKind = "代休";
constexpr const char* kCloseKind = "締め";
constexpr const char* kCloseRuleKind = "締め規則";
constexpr const char* kClosePrintKind = "締め記録";
constexpr const char* kEarlierRulesKind = "以前の規則";
constexpr const char* kReopenKind = "解除";
constexpr const char* kHolidaysOff = "祝日休み";
constexpr const char* kHolidaysOn = "祝日出勤";

// The fields of a line; the last of at most `fields` takes the rest (a name or a reason).
std::vector<std::string> Split(const std::string& line, std::size_t fields) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (out.size() + 1 < fields) {
        const auto comma = line.find(',', at);
        if (comma == std::string::npos) break;
        out.push_back(line.substr(at, comma - at));
        at = comma + 1;
    }
    out.push_back(line.substr(at));
    return out;
}

int ReadDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    if (!CWorkDate::Parse(text, year, month, day)) return 0;
    if (month < 1 || month > 12 || day < 1 || day > CWorkDate::DaysInMonth(year, month)) return 0;
    return year * 10000 + month * 100 + day;
}

bool ReadMonth(const std::string& text, int& year, int& month) {
    int numbers[2] = {};
    if (CWorkDate::ScanNumbers(text, '/', numbers) != 2) return false;
    year = numbers[0];
    month = numbers[1];
    return year >= 1900 && year <= 9999 && month >= 1 && month <= 12;
}

bool ReadClosing(const std::string& text, int& closing) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '5') return false;
    closing = text[0] - '0';
    return true;
}

std::string MonthText(int year, int month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d", year, month);
    return text;
}

bool SamePeriod(const CScheduleBook::ClosingEvent& e, int year, int month, int closing) {
    return e.year == year && e.month == month && e.closing == closing;
}
}  // namespace

void CScheduleBook::ReadText(const std::string& text, std::vector<std::string>* unread) {
    *this = CScheduleBook{};
    for (const std::string& line : CTextCodec::NonEmptyLines(text)) {
        const std::string kind = line.substr(0, line.find(','));
        bool read = false;
        if (kind == kPatternKind) {
            const auto f = Split(line, 7);
            CWorkPattern pattern;
            if (f.size() == 7) {
                pattern.name = f[1];
                const auto start = CWorkPattern::ParseTime(f[2]);
                const auto end = CWorkPattern::ParseTime(f[3]);
                const auto breaks = CWorkRules::ParseWindows(f[4]);
                const auto days = CWorkPattern::ParseWeekdays(f[5]);
                if (start && end && breaks && days &&
                    (f[6] == kHolidaysOff || f[6] == kHolidaysOn)) {
                    pattern.start = *start;
                    pattern.end = *end;
                    pattern.breaks = *breaks;
                    pattern.weekdays = *days;
                    pattern.holidaysOff = f[6] == kHolidaysOff;
                    read = pattern.Check().empty() && !FindPattern(pattern.name);
                    if (read) patterns.push_back(std::move(pattern));
                }
            }
        } else if (kind == kAssignKind) {
            const auto f = Split(line, 4);
            if (f.size() == 4 && ReadDate(f[2]) > 0 && !f[1].empty()) {
                assignments.push_back({f[1], ReadDate(f[2]), f[3]});
                read = true;
            }
        } else if (kind == kHolidayKind) {
            const auto f = Split(line, 3);
            if (f.size() == 3 && ReadDate(f[1]) > 0 && !f[2].empty()) {
                holidays.push_back({ReadDate(f[1]), f[2]});
                read = true;
            }
        } else if (kind == kSwapKind || kind == kInLieuKind) {
            // The when and who came later: a line without them still reads.
            const auto f = Split(line, 6);
            if ((f.size() == 4 || f.size() == 6) && !f[1].empty() && ReadDate(f[2]) > 0 &&
                ReadDate(f[3]) > 0) {
                const std::string when = f.size() == 6 ? f[4] : std::string{};
                const std::string by = f.size() == 6 ? f[5] : std::string{};
                if (kind == kSwapKind) {
                    swaps.push_back({f[1], ReadDate(f[2]), ReadDate(f[3]), when, by});
                } else {
                    daysInLieu.push_back({f[1], ReadDate(f[2]), ReadDate(f[3]), when, by});
                }
                read = true;
            }
        } else if (kind == kCloseKind || kind == kReopenKind) {
            const auto f = Split(line, kind == kCloseKind ? 5 : 6);
            ClosingEvent event;
            event.closed = kind == kCloseKind;
            if (f.size() >= 5 && ReadMonth(f[1], event.year, event.month) &&
                ReadClosing(f[2], event.closing)) {
                event.when = f[3];
                event.admin = f[4];
                if (f.size() == 6) event.reason = f[5];
                closings.push_back(std::move(event));
                read = true;
            }
        } else if (kind == kEarlierRulesKind) {
            const auto f = Split(line, 4);
            const int until = f.size() == 4 ? ReadDate(f[1]) : 0;
            if (until > 0) {
                // The lines of one date belong together wherever they stand.
                auto group = std::find_if(earlierRules.begin(), earlierRules.end(),
                                          [&](const EarlierRules& e) { return e.until == until; });
                if (group == earlierRules.end()) {
                    group = earlierRules.insert(earlierRules.end(), {until, {}});
                }
                group->rules.emplace_back(f[2], f[3]);
                read = true;
            }
        } else if (kind == kCloseRuleKind || kind == kClosePrintKind) {
            const auto f = Split(line, 5);
            int year = 0, month = 0, closing = 0;
            if (f.size() == 5 && ReadMonth(f[1], year, month) && ReadClosing(f[2], closing) &&
                !closings.empty() && closings.back().closed &&
                SamePeriod(closings.back(), year, month, closing)) {
                (kind == kCloseRuleKind ? closings.back().rules : closings.back().prints)
                    .emplace_back(f[3], f[4]);
                read = true;
            }
        } else {
            kept.push_back(line);
            continue;
        }
        if (!read && unread) unread->push_back(line);
        // A line that does not read is kept, so that writing the book never loses it.
        if (!read) kept.push_back(line);
    }
    std::stable_sort(assignments.begin(), assignments.end(),
                     [](const Assignment& a, const Assignment& b) { return a.from < b.from; });
    std::sort(holidays.begin(), holidays.end(),
              [](const Holiday& a, const Holiday& b) { return a.date < b.date; });
    std::stable_sort(
        earlierRules.begin(), earlierRules.end(),
        [](const EarlierRules& a, const EarlierRules& b) { return a.until < b.until; });
}

std::string CScheduleBook::FileText() const {
    std::string text;
    auto line = [&](std::initializer_list<std::string> fields) {
        std::string joined;
        for (const auto& field : fields) joined += (joined.empty() ? "" : ",") + field;
        text += joined + "\r\n";
    };
    for (const auto& p : patterns) {
        line({kPatternKind, p.name, CWorkPattern::TimeText(p.start), CWorkPattern::TimeText(p.end),
              CWorkRules::WindowsText(p.breaks), CWorkPattern::WeekdaysText(p.weekdays),
              p.holidaysOff ? kHolidaysOff : kHolidaysOn});
    }
    for (const auto& a : assignments) {
        line({kAssignKind, a.name, CWorkDate::TextOfNumber(a.from), a.pattern});
    }
    for (const auto& h : holidays) line({kHolidayKind, CWorkDate::TextOfNumber(h.date), h.name});
    auto dated = [&](const char* kind, const std::string& name, int first, int second,
                     const std::string& when, const std::string& by) {
        if (when.empty() && by.empty()) {
            line({kind, name, CWorkDate::TextOfNumber(first), CWorkDate::TextOfNumber(second)});
        } else {
            line({kind, name, CWorkDate::TextOfNumber(first), CWorkDate::TextOfNumber(second), when,
                  by});
        }
    };
    for (const auto& s : swaps) dated(kSwapKind, s.name, s.restDate, s.workDate, s.when, s.by);
    for (const auto& d : daysInLieu) {
        dated(kInLieuKind, d.name, d.offDate, d.forDate, d.when, d.by);
    }
    // Lines kept as they were come before the closings: a closing's rule line that belonged
    // to no closing must not come to belong to one by moving.
    for (const auto& k : kept) text += k + "\r\n";
    for (const auto& e : closings) {
        const std::string month = MonthText(e.year, e.month);
        const std::string closing = std::to_string(e.closing);
        if (!e.closed) {
            line({kReopenKind, month, closing, e.when, e.admin, e.reason});
            continue;
        }
        line({kCloseKind, month, closing, e.when, e.admin});
        for (const auto& [key, value] : e.rules) line({kCloseRuleKind, month, closing, key, value});
        for (const auto& [name, print] : e.prints) {
            line({kClosePrintKind, month, closing, name, print});
        }
    }
    for (const auto& e : earlierRules) {
        for (const auto& [key, value] : e.rules) {
            line({kEarlierRulesKind, CWorkDate::TextOfNumber(e.until), key, value});
        }
    }
    return text;
}

const CWorkPattern* CScheduleBook::FindPattern(const std::string& name) const {
    for (const auto& pattern : patterns) {
        if (pattern.name == name) return &pattern;
    }
    return nullptr;
}

const CWorkPattern* CScheduleBook::PatternOn(const std::string& name, int date) const {
    const Assignment* in = nullptr;
    for (const auto& a : assignments) {
        if (a.name == name && a.from <= date) in = &a;  // sorted by date: the last one holds
    }
    return in == nullptr || in->pattern.empty() ? nullptr : FindPattern(in->pattern);
}

std::optional<std::string> CScheduleBook::OfficeHolidayOn(int date) const {
    for (const auto& h : holidays) {
        if (h.date == date) return h.name;
    }
    return std::nullopt;
}

const CScheduleBook::ClosingEvent* CScheduleBook::LastEventOf(int year, int month,
                                                              int closing) const {
    const ClosingEvent* last = nullptr;
    for (const auto& e : closings) {
        if (SamePeriod(e, year, month, closing)) last = &e;
    }
    return last;
}

const CScheduleBook::ClosingEvent* CScheduleBook::ClosedOver(int date) const {
    for (const auto& e : closings) {
        if (!e.closed || LastEventOf(e.year, e.month, e.closing) != &e) continue;
        if (CPayPeriod(e.year, e.month, e.closing).Contains(date)) return &e;
    }
    return nullptr;
}

bool CScheduleBook::TouchesClosed(int first, int last, std::string* refusal) const {
    for (const auto& e : closings) {
        if (!e.closed || LastEventOf(e.year, e.month, e.closing) != &e) continue;
        const CPayPeriod period(e.year, e.month, e.closing);
        if (period.First() <= last && first <= period.Last()) {
            if (refusal) {
                *refusal = PeriodText(e.year, e.month, e.closing) +
                           "は締め済みのため変更できません。\n変更するには、管理者が締めを解除"
                           "してください（理由が記録されます）。";
            }
            return true;
        }
    }
    return false;
}

std::string CScheduleBook::PeriodText(int year, int month, int closing) {
    static const char* const kClosings[] = {"5日締め",  "10日締め", "15日締め",
                                            "20日締め", "25日締め", "末締め"};
    return std::to_string(year) + "年" + std::to_string(month) + "月分（" +
           kClosings[std::clamp(closing, 0, 5)] + "）";
}

}  // namespace stampwell
