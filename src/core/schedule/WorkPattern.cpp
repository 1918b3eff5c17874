#include "schedule/WorkPattern.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace stampwell {

int CWorkPattern::ScheduledMinutes() const {
    int minutes = end - start;
    for (const auto& window : breaks) {
        minutes -= std::max(0, std::min(end, window.end) - std::max(start, window.start));
    }
    return std::max(0, minutes);
}

namespace {
// The break inside the span nearest its middle, if any.
const CWorkRules::Window* MiddleBreak(const CWorkPattern& pattern) {
    const int middle = pattern.start + (pattern.end - pattern.start) / 2;
    const CWorkRules::Window* nearest = nullptr;
    auto distance = [middle](const CWorkRules::Window& w) {
        return std::abs(w.start + (w.end - w.start) / 2 - middle);
    };
    for (const auto& window : pattern.breaks) {
        if (window.start < pattern.start || window.end > pattern.end || window.end <= window.start)
            continue;
        if (nearest == nullptr || distance(window) < distance(*nearest)) nearest = &window;
    }
    return nearest;
}
}  // namespace

int CWorkPattern::MorningEnd() const {
    const auto* lunch = MiddleBreak(*this);
    return lunch != nullptr ? lunch->start : start + (end - start) / 2;
}

int CWorkPattern::AfternoonStart() const {
    const auto* lunch = MiddleBreak(*this);
    return lunch != nullptr ? lunch->end : start + (end - start) / 2;
}

std::string CWorkPattern::Check() const {
    if (name.empty()) return "勤務パターンの名前を入れてください。";
    if (name.find_first_of(",\r\n") != std::string::npos) {
        return "勤務パターンの名前にカンマや改行は使えません。";
    }
    if (end <= start) return "所定の終業時刻は始業時刻より後にしてください。";
    if (end - start > 24 * 60) return "所定の勤務は24時間以内にしてください。";
    if (weekdays == 0) return "所定の勤務日を1日以上選んでください。";
    for (std::size_t i = 0; i < breaks.size(); ++i) {
        if (breaks[i].start < start || breaks[i].end > end) {
            return "所定の休憩は始業から終業までの間に入れてください。";
        }
        // Overlapping breaks would take the same minutes off twice.
        if (i > 0 && breaks[i - 1].end > breaks[i].start) {
            return "所定の休憩の時間帯が重なっています。";
        }
    }
    return {};
}

std::optional<int> CWorkPattern::ParseWeekdays(const std::string& text) {
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    static const char* const kLatin[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    int days = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '/') {
            ++at;
            continue;
        }
        bool read = false;
        for (int day = 0; day < 7 && !read; ++day) {
            for (const char* word : {kDays[day], kLatin[day]}) {
                const std::string w(word);
                if (text.compare(at, w.size(), w) == 0) {
                    days |= 1 << day;
                    at += w.size();
                    read = true;
                    break;
                }
            }
        }
        if (!read) return std::nullopt;
    }
    return days;
}

std::string CWorkPattern::WeekdaysText(int weekdays) {
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    std::string text;
    // Monday first, as an office reads its week.
    for (int k = 1; k <= 7; ++k) {
        if (weekdays >> (k % 7) & 1) text += kDays[k % 7];
    }
    return text;
}

std::optional<int> CWorkPattern::ParseTime(const std::string& text) {
    int hours = 0, minutes = 0;
    char extra = 0;
    if (text.size() < 4 || text.size() > 5 ||
        std::sscanf(text.c_str(), "%d:%d%c", &hours, &minutes, &extra) != 2 ||
        text[text.size() - 3] != ':' || hours < 0 || hours > 47 || minutes < 0 || minutes > 59) {
        return std::nullopt;
    }
    return hours * 60 + minutes;
}

std::string CWorkPattern::TimeText(int minutes) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

}  // namespace stampwell
