#include "reporting/WorkedDay.h"

#include <cstdio>
#include <vector>

#include "calendar/WorkDate.h"
#include "officestore/OfficeStores.h"
#include "schedule/SchedulePlan.h"
#include "settings/WorkRules.h"
#include "store/IScheduleStore.h"
#include "store/IWorkStore.h"

namespace stampwell {

namespace {
std::string Shown(int date) {
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    char shown[64];
    std::snprintf(shown, sizeof shown, "%04d/%02d/%02d（%s）", date / 10000, date / 100 % 100,
                  date % 100, kDays[CWorkDate::Weekday(date)]);
    return shown;
}

std::optional<std::string> RefuseOnRestDay(const CSchedulePlan& plan, int date) {
    const auto day = plan.On(date);
    if (day.kind == CSchedulePlan::EKind::kRestDay) {
        return Shown(date) +
               " は法定休日です。働く義務のない日なので、有給休暇は記録できません（年5日の取得義"
               "務にも数えません）。";
    }
    if (day.kind == CSchedulePlan::EKind::kDayOff) {
        return Shown(date) + " は" + (day.holiday.empty() ? "" : day.holiday + "で、") +
               "勤務パターンの休日（所定休日）です。働く義務のない日なので、有給休暇は記録でき"
               "ません。";
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::string> CWorkedDay::RefuseWholeLeave(IWorkStore& report, const std::string& name,
                                                        int date, const IScheduleStore* schedule) {
    CWorkRules rules;
    OpenRulesStore(report.Runtime())->Read(rules);
    CScheduleBook book;
    if (schedule != nullptr && !schedule->Read(book, nullptr)) {
        return std::string(
            "勤務予定を読めないため、その日が休日かどうかを確かめられませんでした。"
            "全日の有給休暇は記録していません。");
    }
    if (auto refused = RefuseOnRestDay(CSchedulePlan(book, rules, name), date)) return refused;
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
