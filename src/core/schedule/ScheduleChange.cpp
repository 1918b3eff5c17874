#include "schedule/ScheduleChange.h"

#include <algorithm>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "schedule/SchedulePlan.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
std::vector<std::pair<std::string, std::string>> LinesOf(const CWorkRules& rules) {
    CWorkRules kept = rules;
    kept.kept.clear();  // only the rules themselves count for the figures
    std::vector<std::pair<std::string, std::string>> lines;
    for (const std::string& line : CTextCodec::NonEmptyLines(kept.FileText())) {
        const auto comma = line.find(',');
        if (comma != std::string::npos) {
            lines.emplace_back(line.substr(0, comma), line.substr(comma + 1));
        }
    }
    return lines;
}

CWorkRules RulesOf(const std::vector<std::pair<std::string, std::string>>& lines) {
    std::string text;
    for (const auto& [key, value] : lines) text += key + "," + value + "\r\n";
    CWorkRules rules;
    rules.ReadText(text);
    return rules;
}

constexpr int kForever = 99991231;

std::string Shown(int date) {
    return CWorkDate::TextOfNumber(date);
}

// The days a person followed pattern: from each assignment to it until the next of theirs.
bool PatternTouchesClosed(const CScheduleBook& book, const std::string& pattern,
                          std::string* refusal) {
    for (std::size_t i = 0; i < book.assignments.size(); ++i) {
        const auto& a = book.assignments[i];
        if (a.pattern != pattern) continue;
        int last = kForever;
        for (std::size_t j = i + 1; j < book.assignments.size(); ++j) {
            if (book.assignments[j].name == a.name) {
                last = CWorkDate::FromDayIndex(CWorkDate::DayIndex(book.assignments[j].from) - 1);
                break;
            }
        }
        if (book.TouchesClosed(a.from, last, refusal)) return true;
    }
    return false;
}

// The trail's fields go into the book's line: no comma or line break.
CScheduleChange::Refusal Trail(const std::string& when, const std::string& by) {
    if ((when + by).find_first_of(",\r\n") != std::string::npos) {
        return std::string("管理者名にカンマや改行は使えません。");
    }
    return std::nullopt;
}

CScheduleChange::Refusal ClosedRefusal(const CScheduleBook& book, int first, int last) {
    std::string refusal;
    if (book.TouchesClosed(first, last, &refusal)) return refusal;
    return std::nullopt;
}
}  // namespace

CScheduleChange::Refusal CScheduleChange::CheckField(const std::string& text, const char* what) {
    if (text.empty()) return std::string(what) + "を入れてください。";
    if (text.find_first_of(",\r\n") != std::string::npos) {
        return std::string(what) + "にカンマや改行は使えません。";
    }
    if (!CTextCodec::ToCp932(text)) {
        return std::string(what) + "に Shift-JIS で表せない文字があります。";
    }
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::SetPattern(CScheduleBook& book,
                                                     const CWorkPattern& pattern) {
    if (auto bad = CheckField(pattern.name, "勤務パターンの名前")) return bad;
    if (auto why = pattern.Check(); !why.empty()) return why;
    auto found = std::find_if(book.patterns.begin(), book.patterns.end(),
                              [&](const CWorkPattern& p) { return p.name == pattern.name; });
    if (found == book.patterns.end()) {
        book.patterns.push_back(pattern);
        return std::nullopt;
    }
    std::string refusal;
    if (!(*found == pattern) && PatternTouchesClosed(book, pattern.name, &refusal)) {
        return "勤務パターン「" + pattern.name + "」は締め済みの期間に使われています。\n" +
               refusal + "\n新しい名前のパターンを作り、適用日を決めて切り替えてください。";
    }
    *found = pattern;
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::DeletePattern(CScheduleBook& book,
                                                        const std::string& name) {
    if (!book.FindPattern(name)) return "勤務パターン「" + name + "」はありません。";
    for (const auto& a : book.assignments) {
        if (a.pattern == name) {
            return "勤務パターン「" + name + "」は" + a.name +
                   "さんに使われているため削除できま"
                   "せん。";
        }
    }
    std::erase_if(book.patterns, [&](const CWorkPattern& p) { return p.name == name; });
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::Assign(CScheduleBook& book, const std::string& name,
                                                 int from, const std::string& pattern) {
    if (auto bad = CheckField(name, "氏名")) return bad;
    if (from <= 0) return std::string("適用日が日付として読めません。");
    if (!pattern.empty() && !book.FindPattern(pattern)) {
        return "勤務パターン「" + pattern + "」はありません。";
    }
    if (auto refused = ClosedRefusal(book, from, kForever)) return refused;
    std::erase_if(book.assignments, [&](const CScheduleBook::Assignment& a) {
        return a.name == name && a.from == from;
    });
    book.assignments.push_back({name, from, pattern});
    std::stable_sort(book.assignments.begin(), book.assignments.end(),
                     [](const auto& a, const auto& b) { return a.from < b.from; });
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::AddHoliday(CScheduleBook& book, int date,
                                                     const std::string& name) {
    if (auto bad = CheckField(name, "休日の名前")) return bad;
    if (date <= 0) return std::string("日付が読めません。");
    if (auto refused = ClosedRefusal(book, date, date)) return refused;
    std::erase_if(book.holidays, [&](const auto& h) { return h.date == date; });
    book.holidays.push_back({date, name});
    std::sort(book.holidays.begin(), book.holidays.end(),
              [](const auto& a, const auto& b) { return a.date < b.date; });
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::RemoveHoliday(CScheduleBook& book, int date) {
    if (!book.OfficeHolidayOn(date)) return Shown(date) + " は会社の休日ではありません。";
    if (auto refused = ClosedRefusal(book, date, date)) return refused;
    std::erase_if(book.holidays, [&](const auto& h) { return h.date == date; });
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::AddSwap(CScheduleBook& book, const CWorkRules& rules,
                                                  const std::string& name, int restDate,
                                                  int workDate, int today, const std::string& when,
                                                  const std::string& by) {
    if (auto bad = CheckField(name, "氏名")) return bad;
    if (restDate <= 0 || workDate <= 0) return std::string("日付が読めません。");
    if (restDate == workDate) return std::string("休日と振り替える日が同じです。");
    if (restDate <= today) {
        return "振替休日は休日が来る前に決めるものです（" + Shown(restDate) +
               " は過ぎています）。\n休日に働いた後で休みを与えるときは代休にしてください。";
    }
    if (auto refused =
            ClosedRefusal(book, std::min(restDate, workDate), std::max(restDate, workDate))) {
        return refused;
    }
    for (const auto& s : book.swaps) {
        if (s.name == name && (s.restDate == restDate || s.workDate == restDate ||
                               s.restDate == workDate || s.workDate == workDate)) {
            return name + "さんのその日にはもう振替があります。";
        }
    }
    const CSchedulePlan plan(book, rules, name);
    const auto rest = plan.On(restDate);
    const auto work = plan.On(workDate);
    if (rest.pattern == nullptr || work.pattern == nullptr) {
        return name +
               "さんにはその日の勤務パターンがありません。先に勤務パターンを適用して"
               "ください。";
    }
    using EKind = CSchedulePlan::EKind;
    if (rest.kind == EKind::kWorkday) return Shown(restDate) + " は" + name + "さんの勤務日です。";
    if (work.kind != EKind::kWorkday) {
        return Shown(workDate) + " は" + name + "さんの勤務日ではありません。";
    }
    if (auto bad = Trail(when, by)) return bad;
    book.swaps.push_back({name, restDate, workDate, when, by});
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::RemoveSwap(CScheduleBook& book, const std::string& name,
                                                     int restDate, int today) {
    auto found = std::find_if(book.swaps.begin(), book.swaps.end(), [&](const auto& s) {
        return s.name == name && s.restDate == restDate;
    });
    if (found == book.swaps.end()) return Shown(restDate) + " の振替はありません。";
    if (std::min(found->restDate, found->workDate) <= today) {
        return std::string("日が過ぎた振替は取り消せません。");
    }
    if (auto refused = ClosedRefusal(book, std::min(found->restDate, found->workDate),
                                     std::max(found->restDate, found->workDate))) {
        return refused;
    }
    book.swaps.erase(found);
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::AddDayInLieu(CScheduleBook& book, const CWorkRules& rules,
                                                       const std::string& name, int offDate,
                                                       int forDate, const std::string& when,
                                                       const std::string& by) {
    if (auto bad = CheckField(name, "氏名")) return bad;
    if (offDate <= 0 || forDate <= 0) return std::string("日付が読めません。");
    if (forDate >= offDate) return std::string("代休は休日に働いた日の後の日にしてください。");
    if (auto refused = ClosedRefusal(book, offDate, offDate)) return refused;
    const CSchedulePlan plan(book, rules, name);
    const auto worked = plan.On(forDate);
    if (worked.kind == CSchedulePlan::EKind::kWorkday) {
        return Shown(forDate) + " は" + name + "さんの勤務日です。代休は休日に働いた分に与えます。";
    }
    if (plan.On(offDate).kind != CSchedulePlan::EKind::kWorkday) {
        return Shown(offDate) + " は" + name + "さんの勤務日ではありません。";
    }
    for (const auto& d : book.daysInLieu) {
        if (d.name == name && (d.offDate == offDate || d.forDate == forDate)) {
            return name + "さんのその日にはもう代休があります。";
        }
    }
    if (auto bad = Trail(when, by)) return bad;
    book.daysInLieu.push_back({name, offDate, forDate, when, by});
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::RemoveDayInLieu(CScheduleBook& book,
                                                          const std::string& name, int offDate) {
    auto found = std::find_if(book.daysInLieu.begin(), book.daysInLieu.end(), [&](const auto& d) {
        return d.name == name && d.offDate == offDate;
    });
    if (found == book.daysInLieu.end()) return Shown(offDate) + " の代休はありません。";
    if (auto refused = ClosedRefusal(book, offDate, offDate)) return refused;
    book.daysInLieu.erase(found);
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::Close(
    CScheduleBook& book, int year, int month, int closing, const CWorkRules& rules,
    const std::string& when, const std::string& admin,
    const std::vector<std::pair<std::string, std::string>>& prints) {
    if (auto bad = CheckField(admin, "管理者")) return bad;
    const auto* last = book.LastEventOf(year, month, closing);
    if (last != nullptr && last->closed) {
        return CScheduleBook::PeriodText(year, month, closing) + "はもう締めてあります（" +
               last->when + "、" + last->admin + "）。";
    }
    CScheduleBook::ClosingEvent event;
    event.closed = true;
    event.year = year;
    event.month = month;
    event.closing = closing;
    event.when = when;
    event.admin = admin;
    event.rules = LinesOf(rules);
    event.prints = prints;
    book.closings.push_back(std::move(event));
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::Reopen(CScheduleBook& book, int year, int month,
                                                 int closing, const std::string& when,
                                                 const std::string& admin,
                                                 const std::string& reason) {
    if (auto bad = CheckField(admin, "管理者")) return bad;
    const auto* last = book.LastEventOf(year, month, closing);
    if (last == nullptr || !last->closed) {
        return CScheduleBook::PeriodText(year, month, closing) + "は締めてありません。";
    }
    if (auto bad = CheckField(reason, "締めを解除する理由")) return bad;
    CScheduleBook::ClosingEvent event;
    event.closed = false;
    event.year = year;
    event.month = month;
    event.closing = closing;
    event.when = when;
    event.admin = admin;
    event.reason = reason;
    book.closings.push_back(std::move(event));
    return std::nullopt;
}

CScheduleChange::Refusal CScheduleChange::KeepRulesBefore(CScheduleBook& book, int from,
                                                          const CWorkRules& old) {
    if (from <= 0) return std::string("適用開始日が日付として読めません。");
    if (!book.earlierRules.empty()) {
        const int latest = book.earlierRules.back().until;
        if (from < latest) {
            return "勤務ルールは " + Shown(latest) +
                   " から変更済みです。それより前の日からは変更できません（その日までの締め期間"
                   "は今のルールのままです）。";
        }
        // A second change from the same day: the rules before that day are those kept first.
        if (from == latest) return std::nullopt;
    }
    book.earlierRules.push_back({from, LinesOf(old)});
    return std::nullopt;
}

CWorkRules CScheduleChange::RulesOver(const CScheduleBook& book, int date,
                                      const CWorkRules& current) {
    if (const auto* closed = book.ClosedOver(date)) return RulesOf(closed->rules);
    for (const auto& earlier : book.earlierRules) {
        if (date < earlier.until) return RulesOf(earlier.rules);
    }
    return current;
}

}  // namespace stampwell
