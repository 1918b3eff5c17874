#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace stampwell {

// The office's working-time rules for the payroll figures, in WorkRules.txt of the data folder
// (CP932, CR LF, "key,value" lines): how breaks are taken (the legal minimum by the length of
// the day, or fixed windows), the day a week starts and the weekly statutory rest day. No file
// means the legal minimum, weeks from Sunday and Sunday as the rest day.
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

    EBreaks breaks = EBreaks::kLegal;
    std::vector<Window> windows;
    int weekStart = 0;  // 0 Sunday ... 6 Saturday
    int restDay = 0;    // 0 Sunday ... 6 Saturday, or kNoRestDay

    static std::filesystem::path FilePath(const std::filesystem::path& dataDir);
    // The rules of the data folder; the defaults for values the file does not hold. False when
    // a file that exists cannot be read (the defaults are then in place). unread receives the
    // keys whose value did not read (those rules keep their defaults).
    bool Load(const std::filesystem::path& dataDir, std::vector<std::string>* unread = nullptr);
    // The file's text (UTF-8; CR LF).
    std::string FileText() const;
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

    bool operator==(const CWorkRules&) const = default;
};

}  // namespace stampwell
