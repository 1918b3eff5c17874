#include "calendar/TimeText.h"

namespace stampwell {

int CTimeText::Minutes(const std::string& time) {
    std::size_t colon = time.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || time.size() - colon - 1 == 0 ||
        time.size() - colon - 1 > 2) {
        return -1;
    }
    int hours = 0, minutes = 0;
    for (std::size_t i = 0; i < time.size(); ++i) {
        if (i == colon) continue;
        if (time[i] < '0' || time[i] > '9') return -1;
        (i < colon ? hours : minutes) = (i < colon ? hours : minutes) * 10 + (time[i] - '0');
    }
    return hours * 60 + minutes;
}

std::string CTimeText::Normalise(const std::string& text) {
    if (text == kEmpty) return text;
    std::string filled = text;
    for (char& c : filled) {
        if (c == '_') c = '0';
    }
    return Check(filled).value_or(kEmpty);
}

std::optional<std::string> CTimeText::Check(const std::string& text) {
    if (text == kEmpty) return text;
    const std::string& filled = text;
    if (filled.size() != 5 || filled[2] != ':' || Minutes(filled) < 0) return std::nullopt;
    const int hours = (filled[0] - '0') * 10 + (filled[1] - '0');
    const int minutes = (filled[3] - '0') * 10 + (filled[4] - '0');
    if (hours > 35 || minutes > 59) return std::nullopt;
    return filled;
}

std::string CTimeText::ToCell(const std::string& time) {
    return time.empty() ? std::string(kEmpty) : time;
}

std::string CTimeText::FromCell(const std::string& cell) {
    return cell == kEmpty ? std::string{} : cell;
}

}  // namespace stampwell
