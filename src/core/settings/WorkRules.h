#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace stampwell {

// The office's working-time rules for the payroll figures, in WorkRules.txt of the data folder
// (CP932, CR LF, "key,value" lines): how breaks are taken (the legal minimum by the length of
// the day, or fixed windows), the day a week starts, the weekly statutory rest day, the legal
// week (40 hours, or 44 for the small workplaces the law allows it) and the month the overtime
// agreement's year starts. No file means the legal minimum, weeks from Sunday, Sunday as the
// rest day, 40 hours and April. Lines whose value does not read (and lines of unknown keys)
// are kept as they are when the file is written again.
class CWorkRules {
public:
    enum class EBreaks { kLegal, kFixed };
    // A fixed break window in minutes of the day; it also applies 24 hours later (the hours
    // after midnight of a working day that started the evening before).
    struct Window {
        int start = 0;
        int end = 0;
        bool operator==(const Window&) const = default;
    };
    static constexpr int kNoRestDay = -1;
    struct KeptLine {
        std::string key, value;
        bool whole = false;  // a line of no rule at all: key holds it entire
        bool operator==(const KeptLine&) const = default;
    };

    EBreaks breaks = EBreaks::kLegal;
    std::vector<Window> windows;
    int weekStart = 0;       // 0 Sunday ... 6 Saturday
    int restDay = 0;         // 0 Sunday ... 6 Saturday, or kNoRestDay
    int weekHours = 40;      // 40, or 44 (特例措置対象事業場)
    int agreementStart = 4;  // the month (1..12) the overtime agreement's year starts
    // Whether the overtime agreement has a special clause (特別条項); without one, 45 hours a
    // month and 360 a year are the limits themselves.
    bool specialClause = true;
    // Whether a period's totals of overtime, late-night and rest-day work are rounded to the
    // hour, under 30 minutes down and 30 and over up (the monthly rounding the labour
    // administration allows); off unless set.
    bool monthlyRounding = false;
    // What the file held that these rules do not carry: a value that did not read (that rule
    // keeps its default meanwhile) or an unknown key. Written back unchanged unless the rule
    // is set anew (Keep... below).
    std::vector<KeptLine> kept;

    static std::filesystem::path FilePath(const std::filesystem::path& dataDir);
    // The rules of the data folder; the defaults for values the file does not hold. False when
    // a file that exists cannot be read (the defaults are then in place). unread receives the
    // keys whose value did not read (those rules keep their defaults).
    bool Load(const std::filesystem::path& dataDir, std::vector<std::string>* unread = nullptr);
    // The rules from the file's text (UTF-8), as Load reads them.
    void ReadText(const std::string& text, std::vector<std::string>* unread = nullptr);
    // The file's text (UTF-8; CR LF).
    std::string FileText() const;
    // A rule set anew: its unread line is no longer kept.
    void Forget(const std::string& key);
    // Replaces the file in one step; the caller holds "WorkRules.txt.lock". False when it
    // cannot be written.
    bool Write(const std::filesystem::path& dataDir) const;
    // Empty when the rules can be used, else why not (Japanese).
    std::string Check() const;

    // The texts of the file, the screen and the command-line tool.
    static std::optional<EBreaks> ParseBreaks(const std::string& text);
    static const char* BreaksText(EBreaks breaks);
    // "12:00-13:00 15:00-15:15" (blanks or commas between windows); nothing when one does not
    // read as a window of one day.
    static std::optional<std::vector<Window>> ParseWindows(const std::string& text);
    static std::string WindowsText(const std::vector<Window>& windows);
    // 日 月 火 水 木 金 土 or sun mon ... sat; なし or none for the rest day when allowed.
    static std::optional<int> ParseWeekday(const std::string& text, bool noneAllowed);
    static const char* WeekdayText(int weekday);
    // "40" or "44".
    static std::optional<int> ParseWeekHours(const std::string& text);
    // "1".."12" (or "4月").
    static std::optional<int> ParseMonth(const std::string& text);
    // What is said of a key whose value could not be read (Load's unread): the default is used,
    // and unreadable break windows mean the breaks are counted by length.
    static std::string UnreadWarning(const std::string& key);

    // The keys of the file.
    static constexpr const char* kBreaksKey = "休憩";
    static constexpr const char* kWindowsKey = "固定休憩";
    static constexpr const char* kWeekStartKey = "週の起算日";
    static constexpr const char* kRestDayKey = "法定休日";
    static constexpr const char* kWeekHoursKey = "週の法定労働時間";
    static constexpr const char* kAgreementStartKey = "協定の起算月";
    static constexpr const char* kSpecialClauseKey = "特別条項";
    static constexpr const char* kRoundingKey = "月の端数処理";
    // あり/なし (yes/no), and 30分 (or しない) for the rounding.
    static std::optional<bool> ParseYesNo(const std::string& text);
    static std::optional<bool> ParseRounding(const std::string& text);
    static const char* RoundingText(bool rounding) { return rounding ? "30分" : "しない"; }

    bool operator==(const CWorkRules&) const = default;
};

}  // namespace stampwell
