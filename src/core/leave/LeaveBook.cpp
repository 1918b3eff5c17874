#include "leave/LeaveBook.h"

#include <algorithm>

#include "calendar/WorkDate.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr const char* kHeader = "#PaidLeave_V1,種別,氏名,日付,値";

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

// "YYYY/MM/DD" of a day that exists.
std::optional<int> DateOf(const std::string& text) {
    const int number = CWorkDate::Number(text);
    if (number <= 0 || text.size() != 10) return std::nullopt;
    const int year = number / 10000, month = number / 100 % 100, day = number % 100;
    if (month < 1 || month > 12 || day < 1 || day > CWorkDate::DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return number;
}
}  // namespace

fs::path CLeaveBook::PathBeside(const fs::path& registerPath) {
    return registerPath.parent_path() / kFileName;
}

const char* CLeaveBook::PartText(EPart part) {
    switch (part) {
        case EPart::kMorning:
            return "午前";
        case EPart::kAfternoon:
            return "午後";
        default:
            return "全日";
    }
}

std::optional<CLeaveBook::EPart> CLeaveBook::ParsePart(const std::string& text) {
    if (text == "全日" || text == "whole" || text.empty()) return EPart::kWhole;
    if (text == "午前" || text == "am") return EPart::kMorning;
    if (text == "午後" || text == "pm") return EPart::kAfternoon;
    return std::nullopt;
}

bool CLeaveBook::Load(const fs::path& path, std::string* refusal) {
    *this = CLeaveBook{};
    if (CFileSystem::IsForeign(path)) {
        if (refusal)
            *refusal = "有給休暇のファイルの場所に、通常のファイルではないものがあります: " +
                       path.string();
        return false;
    }
    if (!CFileSystem::Exists(path)) return true;
    auto bytes = CFileSystem::ReadWholeFile(path);
    if (!bytes) {
        if (refusal) *refusal = "有給休暇のファイルを読めませんでした: " + path.string();
        return false;
    }
    const std::string text = CTextCodec::FromCp932(*bytes);
    // Japanese in Shift-JIS is almost never valid UTF-8, and UTF-8 often reads as CP932 pairs.
    const bool looksUtf8 = !CTextCodec::IsAscii(*bytes) && CTextCodec::ToCp932(*bytes).has_value();
    if (looksUtf8 || text.find("\xEF\xBF\xBD") != std::string::npos) {
        if (refusal) {
            *refusal =
                "有給休暇のファイルが Shift-JIS ではないため読めません（UTF-8 などで保存された"
                "ようです）。Shift-JIS で保存し直してください: " +
                path.string();
        }
        return false;
    }
    ReadText(text, path.filename().string());
    return true;
}

void CLeaveBook::ReadText(const std::string& text, const std::string& where) {
    *this = CLeaveBook{};
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        // Line by line, empty ones counted, so that a warning names the line as an editor does.
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.rfind("#PaidLeave_V1", 0) == 0) continue;
        const auto f = Fields(line);
        bool read = false;
        if (f.size() == 4 && f[0] == "社員") {
            auto hired = DateOf(f[2]);
            if (hired && f[3].size() == 1 && f[3][0] >= '1' && f[3][0] <= '5') {
                employees.push_back({f[1], *hired, f[3][0] - '0'});
                read = true;
            }
        } else if (f.size() == 4 && f[0] == "取得") {
            auto date = DateOf(f[2]);
            auto part = ParsePart(f[3]);
            if (date && part && !f[3].empty()) {
                taken.push_back({f[1], *date, *part});
                read = true;
            }
        } else if (f.size() == 4 && f[0] == "週日数") {
            auto from = DateOf(f[2]);
            if (from && f[3].size() == 1 && f[3][0] >= '1' && f[3][0] <= '5') {
                weekDays.push_back({f[1], *from, f[3][0] - '0'});
                read = true;
            }
        } else if (f.size() == 3 && f[0] == "見送り") {
            if (auto grant = DateOf(f[2])) {
                withheld.push_back({f[1], *grant});
                read = true;
            }
        }
        if (!read) {
            kept.push_back(line);
            const std::string kind = f.empty() ? std::string{} : f[0];
            if (kind == "社員" || kind == "取得" || kind == "見送り" || kind == "週日数") {
                warnings.push_back(where + " の " + std::to_string(number) +
                                   "行目が読めないため、集計に入れていません: " + line);
            }
        }
    }
    std::stable_sort(weekDays.begin(), weekDays.end(),
                     [](const WeekDays& a, const WeekDays& b) { return a.from < b.from; });
}

int CLeaveBook::DaysPerWeekOn(const std::string& name, int date) const {
    const Employee* who = Find(name);
    int days = who != nullptr ? who->daysPerWeek : 5;
    for (const auto& change : weekDays) {
        if (change.name == name && change.from <= date) days = change.days;
    }
    return days;
}

std::string CLeaveBook::FileText() const {
    std::string text = std::string(kHeader) + "\r\n";
    for (const auto& e : employees) {
        text += "社員," + e.name + "," + CWorkDate::TextOfNumber(e.hired) + "," +
                std::to_string(e.daysPerWeek) + "\r\n";
    }
    for (const auto& w : weekDays) {
        text += "週日数," + w.name + "," + CWorkDate::TextOfNumber(w.from) + "," +
                std::to_string(w.days) + "\r\n";
    }
    std::vector<Taken> days = taken;
    std::stable_sort(days.begin(), days.end(),
                     [](const Taken& a, const Taken& b) { return a.date < b.date; });
    for (const auto& t : days) {
        text += "取得," + t.name + "," + CWorkDate::TextOfNumber(t.date) + "," + PartText(t.part) +
                "\r\n";
    }
    for (const auto& w : withheld) {
        text += "見送り," + w.name + "," + CWorkDate::TextOfNumber(w.grant) + "\r\n";
    }
    for (const auto& line : kept) text += line + "\r\n";
    return text;
}

const CLeaveBook::Employee* CLeaveBook::Find(const std::string& name) const {
    for (const auto& e : employees) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

std::optional<CLeaveBook::EPart> CLeaveBook::TakenOn(const std::string& name, int date) const {
    for (const auto& t : taken) {
        if (t.name == name && t.date == date) return t.part;
    }
    return std::nullopt;
}

}  // namespace stampwell
