#include "settings/WorkRules.h"

#include <algorithm>
#include <cstdio>

#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr const char* kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
constexpr const char* kWeekdaysLatin[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

std::optional<int> ParseClock(const std::string& text) {
    int hours = 0, minutes = 0;
    char extra = 0;
    if (text.size() < 4 || text.size() > 5 ||
        std::sscanf(text.c_str(), "%d:%d%c", &hours, &minutes, &extra) != 2) {
        return std::nullopt;
    }
    if (text[text.size() - 3] != ':' || hours < 0 || hours > 24 || minutes < 0 || minutes > 59 ||
        (hours == 24 && minutes != 0)) {
        return std::nullopt;
    }
    return hours * 60 + minutes;
}

// Windows in start order that overlap would deduct the same minutes twice.
bool Overlapping(const std::vector<CWorkRules::Window>& windows) {
    for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
        if (windows[i].end > windows[i + 1].start) return true;
    }
    return false;
}
}  // namespace

fs::path CWorkRules::FilePath(const fs::path& dataDir) {
    return dataDir / "WorkRules.txt";
}

std::optional<CWorkRules::EBreaks> CWorkRules::ParseBreaks(const std::string& text) {
    if (text == "法定" || text == "legal") return EBreaks::kLegal;
    if (text == "固定" || text == "fixed") return EBreaks::kFixed;
    return std::nullopt;
}

const char* CWorkRules::BreaksText(EBreaks breaks) {
    return breaks == EBreaks::kFixed ? "固定" : "法定";
}

std::optional<std::vector<CWorkRules::Window>> CWorkRules::ParseWindows(const std::string& text) {
    std::vector<Window> windows;
    std::string item;
    auto take = [&]() -> bool {
        if (item.empty()) return true;
        const auto dash = item.find('-');
        if (dash == std::string::npos) return false;
        auto start = ParseClock(item.substr(0, dash));
        auto end = ParseClock(item.substr(dash + 1));
        if (!start || !end || *end <= *start) return false;
        windows.push_back({*start, *end});
        item.clear();
        return true;
    };
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!take()) return std::nullopt;
        } else {
            item += c;
        }
    }
    if (!take()) return std::nullopt;
    std::sort(windows.begin(), windows.end(),
              [](const Window& a, const Window& b) { return a.start < b.start; });
    return windows;
}

std::string CWorkRules::WindowsText(const std::vector<Window>& windows) {
    std::string text;
    for (const auto& window : windows) {
        char item[64];
        std::snprintf(item, sizeof item, "%02d:%02d-%02d:%02d", window.start / 60,
                      window.start % 60, window.end / 60, window.end % 60);
        text += (text.empty() ? "" : " ") + std::string(item);
    }
    return text;
}

std::optional<int> CWorkRules::ParseWeekday(const std::string& text, bool noneAllowed) {
    for (int day = 0; day < 7; ++day) {
        if (text == kWeekdays[day] || text == kWeekdaysLatin[day] ||
            text == std::string(kWeekdays[day]) + "曜日") {
            return day;
        }
    }
    if (noneAllowed && (text == "なし" || text == "none")) return kNoRestDay;
    return std::nullopt;
}

const char* CWorkRules::WeekdayText(int weekday) {
    return weekday >= 0 && weekday < 7 ? kWeekdays[weekday] : "なし";
}

std::optional<int> CWorkRules::ParseWeekHours(const std::string& text) {
    if (text == "40") return 40;
    if (text == "44") return 44;
    return std::nullopt;
}

std::optional<int> CWorkRules::ParseMonth(const std::string& text) {
    std::string digits = text;
    if (digits.size() > 3 && digits.ends_with("月")) digits.resize(digits.size() - 3);
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int month = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        month = month * 10 + (c - '0');
    }
    if (month < 1 || month > 12) return std::nullopt;
    return month;
}

void CWorkRules::Forget(const std::string& key) {
    std::erase_if(kept, [&](const KeptLine& line) { return !line.whole && line.key == key; });
}

std::string CWorkRules::Check() const {
    if (weekStart < 0 || weekStart > 6) return "週の起算日は日～土のどれかを指定してください。";
    if (restDay < kNoRestDay || restDay > 6) {
        return "法定休日は日～土のどれか、または「なし」を指定してください。";
    }
    if (breaks == EBreaks::kFixed && windows.empty()) {
        return "固定休憩には休憩時間帯を1つ以上指定してください（例: 12:00-13:00）。";
    }
    if (Overlapping(windows)) return "休憩時間帯が重なっています。";
    if (weekHours != 40 && weekHours != 44) return "週の法定労働時間は40か44を指定してください。";
    if (agreementStart < 1 || agreementStart > 12) {
        return "協定の起算月は1～12の月を指定してください。";
    }
    return {};
}

std::string CWorkRules::UnreadWarning(const std::string& key) {
    if (key == kWindowsKey) {
        return std::string("WorkRules.txt の「") + kWindowsKey +
               "」の休憩時間帯が読めないため、休憩は勤務の長さで（法定の最低限を）数えます。";
    }
    return "WorkRules.txt の「" + key + "」の値が読めないため、既定値を使います。";
}

bool CWorkRules::Load(const fs::path& dataDir, std::vector<std::string>* unread) {
    *this = CWorkRules{};
    if (unread != nullptr) unread->clear();
    if (!CFileSystem::Exists(FilePath(dataDir))) return true;
    auto content = CFileSystem::ReadWholeFile(FilePath(dataDir));
    if (!content) return false;
    ReadText(CTextCodec::FromCp932(*content), unread);
    return true;
}

void CWorkRules::ReadText(const std::string& text, std::vector<std::string>* unread) {
    *this = CWorkRules{};
    if (unread != nullptr) unread->clear();
    // Keys in any order; a value that does not read leaves that rule at its default.
    for (const std::string& line : CTextCodec::NonEmptyLines(text)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) {
            kept.push_back({line, {}, true});
            continue;
        }
        const std::string key = line.substr(0, comma);
        const std::string value = line.substr(comma + 1);
        bool read = true, known = true;
        if (key == kBreaksKey) {
            auto parsed = ParseBreaks(value);
            if (parsed) breaks = *parsed;
            read = parsed.has_value();
        } else if (key == kWindowsKey) {
            auto parsed = ParseWindows(value);
            read = parsed && !Overlapping(*parsed);
            if (read) windows = *parsed;
        } else if (key == kWeekStartKey) {
            auto parsed = ParseWeekday(value, false);
            if (parsed) weekStart = *parsed;
            read = parsed.has_value();
        } else if (key == kRestDayKey) {
            auto parsed = ParseWeekday(value, true);
            if (parsed) restDay = *parsed;
            read = parsed.has_value();
        } else if (key == kWeekHoursKey) {
            auto parsed = ParseWeekHours(value);
            if (parsed) weekHours = *parsed;
            read = parsed.has_value();
        } else if (key == kAgreementStartKey) {
            auto parsed = ParseMonth(value);
            if (parsed) agreementStart = *parsed;
            read = parsed.has_value();
        } else if (key == kSpecialClauseKey) {
            auto parsed = ParseYesNo(value);
            if (parsed) specialClause = *parsed;
            read = parsed.has_value();
        } else if (key == kRoundingKey) {
            auto parsed = ParseRounding(value);
            if (parsed) monthlyRounding = *parsed;
            read = parsed.has_value();
        } else {
            known = false;
        }
        if (!known) {
            kept.push_back({line, {}, true});
            continue;
        }
        // The last line of a key has the last word: a value that reads replaces one kept
        // before; one that does not puts that rule back to its default and is kept as it is.
        Forget(key);
        if (read) {
            if (unread != nullptr) std::erase(*unread, key);
            continue;
        }
        const CWorkRules defaults;
        if (key == kBreaksKey) breaks = defaults.breaks;
        if (key == kWindowsKey) windows = defaults.windows;
        if (key == kWeekStartKey) weekStart = defaults.weekStart;
        if (key == kRestDayKey) restDay = defaults.restDay;
        if (key == kWeekHoursKey) weekHours = defaults.weekHours;
        if (key == kAgreementStartKey) agreementStart = defaults.agreementStart;
        if (key == kSpecialClauseKey) specialClause = defaults.specialClause;
        if (key == kRoundingKey) monthlyRounding = defaults.monthlyRounding;
        kept.push_back({key, value});
        if (unread != nullptr && std::find(unread->begin(), unread->end(), key) == unread->end()) {
            unread->push_back(key);
        }
    }
    // Fixed breaks with no window would deduct nothing: the legal minimum holds meanwhile, and
    // the file's own 休憩 line stays as it is.
    if (breaks == EBreaks::kFixed && windows.empty()) {
        breaks = EBreaks::kLegal;
        Forget(kBreaksKey);
        kept.push_back({kBreaksKey, BreaksText(EBreaks::kFixed)});
        if (unread != nullptr &&
            std::find(unread->begin(), unread->end(), kWindowsKey) == unread->end()) {
            unread->push_back(kWindowsKey);
        }
    }
    // Kept lines in the order the file is written in (the rules' lines, then the others as
    // they came), so that writing and reading again gives the same rules.
    std::stable_sort(kept.begin(), kept.end(), [](const KeptLine& a, const KeptLine& b) {
        auto rank = [](const KeptLine& line) {
            if (line.whole) return 99;
            const char* keys[] = {kBreaksKey,        kWindowsKey,   kWeekStartKey,
                                  kRestDayKey,       kWeekHoursKey, kAgreementStartKey,
                                  kSpecialClauseKey, kRoundingKey};
            for (int i = 0; i < 8; ++i) {
                if (line.key == keys[i]) return i;
            }
            return 98;
        };
        return rank(a) < rank(b);
    });
}

std::string CWorkRules::FileText() const {
    const std::pair<const char*, std::string> rules[] = {
        {kBreaksKey, BreaksText(breaks)},
        {kWindowsKey, WindowsText(windows)},
        {kWeekStartKey, WeekdayText(weekStart)},
        {kRestDayKey, WeekdayText(restDay)},
        {kWeekHoursKey, std::to_string(weekHours)},
        {kAgreementStartKey, std::to_string(agreementStart)},
    };
    std::string text;
    auto keptValue = [&](const std::string& key) -> const KeptLine* {
        for (const auto& line : kept) {
            if (!line.whole && line.key == key) return &line;
        }
        return nullptr;
    };
    for (const auto& [key, value] : rules) {
        const KeptLine* line = keptValue(key);
        text += std::string(key) + "," + (line != nullptr ? line->value : value) + "\r\n";
    }
    // The later rules are written only when set (or kept), so a file of the earlier rules reads
    // the same in a release that does not know them.
    const std::pair<const char*, std::optional<std::string>> later[] = {
        {kSpecialClauseKey, specialClause ? std::nullopt : std::optional<std::string>("なし")},
        {kRoundingKey,
         monthlyRounding ? std::optional<std::string>(RoundingText(true)) : std::nullopt},
    };
    for (const auto& [key, value] : later) {
        if (const KeptLine* line = keptValue(key)) {
            text += std::string(key) + "," + line->value + "\r\n";
        } else if (value) {
            text += std::string(key) + "," + *value + "\r\n";
        }
    }
    // Lines this program does not know, as they were.
    for (const auto& line : kept) {
        if (line.whole) text += line.key + "\r\n";
    }
    return text;
}

std::optional<bool> CWorkRules::ParseYesNo(const std::string& text) {
    if (text == "あり" || text == "yes") return true;
    if (text == "なし" || text == "no") return false;
    return std::nullopt;
}

std::optional<bool> CWorkRules::ParseRounding(const std::string& text) {
    if (text == "30分" || text == "30") return true;
    if (text == "しない" || text == "none") return false;
    return std::nullopt;
}

bool CWorkRules::Write(const fs::path& dataDir) const {
    auto bytes = CTextCodec::ToCp932(FileText());
    return bytes && CFileSystem::WriteWholeFile(FilePath(dataDir), "WorkRules.txt.tmp", *bytes);
}

}  // namespace stampwell
