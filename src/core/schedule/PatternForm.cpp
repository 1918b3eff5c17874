#include "schedule/PatternForm.h"

#include "calendar/WorkDate.h"

namespace stampwell {

std::optional<CWorkPattern> CPatternForm::Read(const Texts& texts, std::string& why) {
    CWorkPattern pattern;
    pattern.name = texts.name;
    const auto start = CWorkPattern::ParseTime(texts.start);
    const auto end = CWorkPattern::ParseTime(texts.end);
    if (!start || !end) {
        why = "始業と終業は 09:00 のように入れてください（夜勤の終業は 30:00 のように）。";
        return std::nullopt;
    }
    const auto breaks = CWorkRules::ParseWindows(texts.breaks);
    if (!breaks) {
        why = "休憩は「12:00-13:00 15:00-15:15」のように入れてください。";
        return std::nullopt;
    }
    const auto days = CWorkPattern::ParseWeekdays(texts.days);
    if (!days) {
        why = "勤務日は「月火水木金」のように曜日で入れてください。";
        return std::nullopt;
    }
    pattern.start = *start;
    pattern.end = *end;
    pattern.breaks = *breaks;
    pattern.weekdays = *days;
    pattern.holidaysOff = texts.holidaysOff;
    if (why = pattern.Check(); !why.empty()) return std::nullopt;
    return pattern;
}

CPatternForm::Texts CPatternForm::TextsOf(const CWorkPattern& pattern) {
    return {pattern.name,
            CWorkPattern::TimeText(pattern.start),
            CWorkPattern::TimeText(pattern.end),
            CWorkRules::WindowsText(pattern.breaks),
            CWorkPattern::WeekdaysText(pattern.weekdays),
            pattern.holidaysOff};
}

std::optional<int> CPatternForm::ReadDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    std::string slashed = text;
    for (char& c : slashed) {
        if (c == '-') c = '/';
    }
    if (!CWorkDate::Parse(slashed, year, month, day) || year < 1900 || month < 1 || month > 12 ||
        day < 1 || day > CWorkDate::DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return year * 10000 + month * 100 + day;
}

}  // namespace stampwell
