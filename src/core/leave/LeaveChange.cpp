#include "leave/LeaveChange.h"

#include <algorithm>

#include "leave/LeaveDate.h"
#include "leave/LeaveLedger.h"

namespace stampwell {

namespace {
std::optional<std::string> Unknown(const CLeaveBook& book, const std::string& name) {
    if (book.Find(name) != nullptr) return std::nullopt;
    return name + "さんの入社日が登録されていません（stampwell-cli leave set で登録します）。";
}
}  // namespace

std::optional<std::string> CLeaveChange::SetEmployee(CLeaveBook& book, const std::string& name,
                                                     int hired, int daysPerWeek, int from) {
    if (name.empty()) return "登録名を指定してください。";
    if (daysPerWeek < 1 || daysPerWeek > 5) return "週の所定労働日数は1～5で指定してください。";
    for (auto& e : book.employees) {
        if (e.name != name) continue;
        e.hired = hired;
        if (book.DaysPerWeekOn(name, from) == daysPerWeek) return std::nullopt;
        if (from <= hired) {
            // From the start: the hiring line holds it, and no change before it stays.
            e.daysPerWeek = daysPerWeek;
            std::erase_if(book.weekDays,
                          [&](const auto& w) { return w.name == name && w.from <= hired; });
            return std::nullopt;
        }
        std::erase_if(book.weekDays,
                      [&](const auto& w) { return w.name == name && w.from == from; });
        book.weekDays.push_back({name, from, daysPerWeek});
        std::stable_sort(book.weekDays.begin(), book.weekDays.end(),
                         [](const auto& a, const auto& b) { return a.from < b.from; });
        return std::nullopt;
    }
    book.employees.push_back({name, hired, daysPerWeek});
    return std::nullopt;
}

std::optional<std::string> CLeaveChange::Take(CLeaveBook& book, const std::string& name, int date,
                                              CLeaveBook::EPart part) {
    if (auto unknown = Unknown(book, name)) return unknown;
    const auto already = book.TakenOn(name, date);
    const bool otherHalf = already && part != CLeaveBook::EPart::kWhole &&
                           *already != CLeaveBook::EPart::kWhole && *already != part;
    if (already && !otherHalf) {
        return name + "さんは " + CLeaveDate::Text(date) + " にすでに有給休暇（" +
               CLeaveBook::PartText(*already) + "）を取っています。";
    }
    const CLeaveBook before = book;
    if (otherHalf) {
        // 午前 and 午後 of one day are that day off whole.
        for (auto& t : book.taken) {
            if (t.name == name && t.date == date) t.part = CLeaveBook::EPart::kWhole;
        }
    } else {
        book.taken.push_back({name, date, part});
    }
    // A day booked before a later one may leave the later one without days: say which.
    CLeaveLedger::Result result;
    if (auto shortOf = CLeaveLedger::Build(book, *book.Find(name), date, result)) {
        book = before;
        if (result.shortDay == date || result.shortDay == 0) return shortOf;
        return name + "さんの " + CLeaveDate::Text(date) + " の有給休暇を記録すると、" +
               CLeaveDate::Text(result.shortDay) + " の有給休暇の残日数が足りなくなります。";
    }
    return std::nullopt;
}

std::optional<std::string> CLeaveChange::Cancel(CLeaveBook& book, const std::string& name,
                                                int date) {
    if (auto unknown = Unknown(book, name)) return unknown;
    const auto before = book.taken.size();
    std::erase_if(book.taken, [&](const auto& t) { return t.name == name && t.date == date; });
    if (book.taken.size() == before) {
        return name + "さんの " + CLeaveDate::Text(date) + " の有給休暇はありません。";
    }
    return std::nullopt;
}

std::optional<std::string> CLeaveChange::Withhold(CLeaveBook& book, const std::string& name,
                                                  int grant) {
    const auto* who = book.Find(name);
    if (who == nullptr) return Unknown(book, name);
    CLeaveLedger::Result result;
    CLeaveLedger::Build(book, *who, grant, result);
    const bool isGrant = std::any_of(result.grants.begin(), result.grants.end(),
                                     [&](const auto& g) { return g.date == grant; });
    if (!isGrant) {
        return CLeaveDate::Text(grant) + " は" + name + "さんの付与日（基準日）ではありません。";
    }
    for (const auto& w : book.withheld) {
        if (w.name == name && w.grant == grant) return std::nullopt;
    }
    book.withheld.push_back({name, grant});
    // Days already taken from it would be left without a balance: say so in the grant's terms.
    CLeaveLedger::Result after;
    if (auto reason = CLeaveLedger::Build(book, *book.Find(name), grant, after); reason) {
        book.withheld.pop_back();
        return name + "さんの " + CLeaveDate::Text(grant) +
               " の付与からは、すでに取得した日があるため見送れません。先にその取得日を取り消して"
               "ください。";
    }
    return std::nullopt;
}

bool CLeaveChange::Refers(const CLeaveBook& book, const std::string& name) {
    return book.Find(name) != nullptr ||
           std::any_of(book.taken.begin(), book.taken.end(),
                       [&](const auto& t) { return t.name == name; }) ||
           std::any_of(book.withheld.begin(), book.withheld.end(),
                       [&](const auto& w) { return w.name == name; });
}

std::optional<std::string> CLeaveChange::Rename(CLeaveBook& book, const std::string& from,
                                                const std::string& to) {
    if (from == to) return std::nullopt;
    auto refers = [&](const std::string& name) { return Refers(book, name); };
    if (!refers(from)) return std::nullopt;
    if (refers(to)) {
        return to + "さんの有給休暇の記録がすでにあるため、" + from +
               "さんの有給休暇の記録を移せませんでした。";
    }
    for (auto& e : book.employees) {
        if (e.name == from) e.name = to;
    }
    for (auto& t : book.taken) {
        if (t.name == from) t.name = to;
    }
    for (auto& w : book.withheld) {
        if (w.name == from) w.name = to;
    }
    return std::nullopt;
}

std::optional<std::string> CLeaveChange::Restore(CLeaveBook& book, const std::string& name,
                                                 int grant) {
    if (auto unknown = Unknown(book, name)) return unknown;
    const auto before = book.withheld.size();
    std::erase_if(book.withheld, [&](const auto& w) { return w.name == name && w.grant == grant; });
    if (book.withheld.size() == before) {
        return name + "さんの " + CLeaveDate::Text(grant) + " の付与は見送られていません。";
    }
    return std::nullopt;
}

}  // namespace stampwell
