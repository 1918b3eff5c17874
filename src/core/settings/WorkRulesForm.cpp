#include "settings/WorkRulesForm.h"

#include <algorithm>

#include "platform/IMessageSink.h"

namespace stampwell {

namespace {
void Say(IMessageSink& messages, const std::string& text) {
    messages.ShowMessage(text, EMessageIcon::None);
}
}  // namespace

CWorkRulesForm::Texts CWorkRulesForm::TextsOf(const CWorkRules& rules) {
    return Texts{
        CWorkRules::BreaksText(rules.breaks),     CWorkRules::WindowsText(rules.windows),
        CWorkRules::WeekdayText(rules.weekStart), CWorkRules::WeekdayText(rules.restDay),
        std::to_string(rules.weekHours),          std::to_string(rules.agreementStart),
        rules.specialClause ? "あり" : "なし",    CWorkRules::RoundingText(rules.monthlyRounding)};
}

std::optional<CWorkRules> CWorkRulesForm::Read(const Texts& texts, const CWorkRules& base,
                                               IMessageSink& messages) {
    CWorkRules rules = base;
    if (!texts.breaks.empty()) {
        auto breaks = CWorkRules::ParseBreaks(texts.breaks);
        if (!breaks) {
            Say(messages, "休憩は「法定」か「固定」を指定してください。");
            return std::nullopt;
        }
        rules.breaks = *breaks;
    }
    auto windows = CWorkRules::ParseWindows(texts.windows);
    if (!windows) {
        Say(messages,
            "休憩時間帯が正しくありません。\n「12:00-13:00 15:00-15:15」のように、開始と終了を"
            "00:00～24:00で指定してください。");
        return std::nullopt;
    }
    rules.windows = *windows;
    if (!texts.weekStart.empty()) {
        auto day = CWorkRules::ParseWeekday(texts.weekStart, false);
        if (!day) {
            Say(messages, "週の起算日は日～土のどれかを指定してください。");
            return std::nullopt;
        }
        rules.weekStart = *day;
    }
    if (!texts.restDay.empty()) {
        auto day = CWorkRules::ParseWeekday(texts.restDay, true);
        if (!day) {
            Say(messages, "法定休日は日～土のどれか、または「なし」を指定してください。");
            return std::nullopt;
        }
        rules.restDay = *day;
    }
    if (!texts.weekHours.empty()) {
        auto hours = CWorkRules::ParseWeekHours(texts.weekHours);
        if (!hours) {
            Say(messages,
                "週の法定労働時間は40か44を指定してください（44は特例措置対象事業場だけです）。");
            return std::nullopt;
        }
        rules.weekHours = *hours;
    }
    if (!texts.agreementStart.empty()) {
        auto month = CWorkRules::ParseMonth(texts.agreementStart);
        if (!month) {
            Say(messages, "協定の起算月は1～12の月を指定してください。");
            return std::nullopt;
        }
        rules.agreementStart = *month;
    }
    if (!texts.specialClause.empty()) {
        auto clause = CWorkRules::ParseYesNo(texts.specialClause);
        if (!clause) {
            Say(messages, "36協定の特別条項は「あり」か「なし」を指定してください。");
            return std::nullopt;
        }
        rules.specialClause = *clause;
    }
    if (!texts.rounding.empty()) {
        auto rounding = CWorkRules::ParseRounding(texts.rounding);
        if (!rounding) {
            Say(messages, "月の端数処理は「30分」か「しない」を指定してください。");
            return std::nullopt;
        }
        rules.monthlyRounding = *rounding;
    }
    if (const std::string refused = rules.Check(); !refused.empty()) {
        Say(messages, refused);
        return std::nullopt;
    }
    return rules;
}

std::optional<std::string> CWorkRulesForm::Merge(CWorkRules& rules, const CWorkRules& shown,
                                                 const CWorkRules& typed,
                                                 const std::vector<std::string>& named) {
    auto set = [&](const char* key, bool differs, auto apply) {
        if (!differs && std::find(named.begin(), named.end(), key) == named.end()) return;
        apply();
        rules.Forget(key);
    };
    set(CWorkRules::kBreaksKey, typed.breaks != shown.breaks, [&] { rules.breaks = typed.breaks; });
    set(CWorkRules::kWindowsKey, typed.windows != shown.windows,
        [&] { rules.windows = typed.windows; });
    set(CWorkRules::kWeekStartKey, typed.weekStart != shown.weekStart,
        [&] { rules.weekStart = typed.weekStart; });
    set(CWorkRules::kRestDayKey, typed.restDay != shown.restDay,
        [&] { rules.restDay = typed.restDay; });
    set(CWorkRules::kWeekHoursKey, typed.weekHours != shown.weekHours,
        [&] { rules.weekHours = typed.weekHours; });
    set(CWorkRules::kAgreementStartKey, typed.agreementStart != shown.agreementStart,
        [&] { rules.agreementStart = typed.agreementStart; });
    set(CWorkRules::kSpecialClauseKey, typed.specialClause != shown.specialClause,
        [&] { rules.specialClause = typed.specialClause; });
    set(CWorkRules::kRoundingKey, typed.monthlyRounding != shown.monthlyRounding,
        [&] { rules.monthlyRounding = typed.monthlyRounding; });
    if (std::string refused = rules.Check(); !refused.empty()) return refused;
    return std::nullopt;
}

}  // namespace stampwell
