#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace stampwell {

// Paid leave of the employees, in PaidLeave.txt beside Register.txt (shared with it, like it):
// CP932 with CR LF, a header line, then one line per fact, people keyed by name as the work file
// keys them:
//   社員,山田,2024/04/01,5      hired on, days worked a week (1..5; 5 is full time) from then
//   週日数,山田,2025/04/01,3    days worked a week from that day on (a later change never
//                               alters a grant made before it)
//   取得,山田,2024/11/05,全日   a day of leave: 全日, 午前 or 午後
//   見送り,山田,2025/10/01      the grant of that day withheld (attendance under 80%)
// Lines it does not understand are written back as they were.
class CLeaveBook {
public:
    enum class EPart { kWhole, kMorning, kAfternoon };
    struct Employee {
        std::string name;
        int hired = 0;  // date number
        int daysPerWeek = 5;
    };
    struct Taken {
        std::string name;
        int date = 0;
        EPart part = EPart::kWhole;
    };
    struct Withheld {
        std::string name;
        int grant = 0;
    };
    struct WeekDays {
        std::string name;
        int from = 0;  // date number
        int days = 5;
    };

    std::vector<Employee> employees;
    std::vector<Taken> taken;
    std::vector<Withheld> withheld;
    std::vector<WeekDays> weekDays;  // changes of the days a week, in date order
    std::vector<std::string> kept;
    // Lines of one of the kinds above that could not be read (a date like 2024/02/30, a cut
    // line): kept as they are but left out of every figure, so the reader says so, naming them.
    std::vector<std::string> warnings;

    static constexpr const char* kFileName = "PaidLeave.txt";
    // The book beside the register at registerPath.
    static std::filesystem::path PathBeside(const std::filesystem::path& registerPath);
    // An absent file is an empty book. False (with why) when the file cannot be read, is not a
    // regular file, or is not Shift-JIS text (a file saved as UTF-8, say: nothing in it could be
    // read, and a change would write over it).
    bool Load(const std::filesystem::path& path, std::string* refusal);
    // The book from the file's text (UTF-8); where names it in the warnings of lines that do
    // not read.
    void ReadText(const std::string& text, const std::string& where);
    std::string FileText() const;

    const Employee* Find(const std::string& name) const;
    // The days a week in force on a date: the hiring line's, then the last change up to it.
    int DaysPerWeekOn(const std::string& name, int date) const;
    // The leave of one person on a date, if any.
    std::optional<EPart> TakenOn(const std::string& name, int date) const;
    static const char* PartText(EPart part);
    // 全日/午前/午後, or whole/am/pm.
    static std::optional<EPart> ParsePart(const std::string& text);
    // Half days of a part: 2 for a whole day, 1 for a half.
    static int Halves(EPart part) { return part == EPart::kWhole ? 2 : 1; }
};

}  // namespace stampwell
