#include "reporting/WorkedDay.h"

#include <cstdio>
#include <vector>

#include "calendar/WorkDate.h"
#include "officestore/OfficeStores.h"
#include "settings/WorkRules.h"
#include "store/IWorkStore.h"

namespace stampwell {

namespace {
std::optional<std::string> RefuseOnRestDay(const CWorkRules& rules, int date) {
    if (rules.restDay == CWorkRules::kNoRestDay || CWorkDate::Weekday(date) != rules.restDay) {
        return std::nullopt;
    }
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    char shown[64];
    std::snprintf(shown, sizeof shown, "%04d/%02d/%02d（%s）", date / 10000, date / 100 % 100,
                  date % 100, kDays[CWorkDate::Weekday(date)]);
    return std::string(shown) +
           " は法定休日です。働く義務のない日なので、有給休暇は記録できません（年5日の取得義務にも"
           "数えません）。";
}
}  // namespace

std::optional<std::string> CWorkedDay::RefuseWholeLeave(IWorkStore& report, const std::string& name,
                                                        int date) {
    CWorkRules rules;
    OpenRulesStore(report.Runtime())->Read(rules);
    if (auto refused = RefuseOnRestDay(rules, date)) return refused;
    const int year = date / 10000;
    const int month = date / 100 % 100;
    const int day = date % 100;
    char shown[48];
    std::snprintf(shown, sizeof shown, "%04d/%02d/%02d", year, month, day);
    std::vector<WorkDayRecord> days;
    if (!report.LoadMonth(name, year, month, days)) {
        return std::string("勤務ファイルを読めないため、") + shown +
               " に出勤の記録があるかを確かめられませんでした。全日の有給休暇は記録していません。";
    }
    if (day < 1 || day > static_cast<int>(days.size())) return std::nullopt;
    const auto& worked = days[static_cast<std::size_t>(day - 1)];
    if (worked.start.empty() && worked.end.empty()) return std::nullopt;
    return name + "さんは " + shown +
           " に出勤の記録があるため、全日の有給休暇は記録できません。\n半日の有給休暇にするか、"
           "出退勤編集で記録を直してから記録してください。";
}

}  // namespace stampwell
