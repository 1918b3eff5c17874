#include "leave/LeaveTables.h"

#include <algorithm>

#include "calendar/WorkDate.h"
#include "leave/LeaveLedger.h"
#include "text/JapaneseOrder.h"

namespace stampwell {

namespace {
std::string Date(int date) {
    return date > 0 ? CWorkDate::TextOfNumber(date) : std::string{};
}
}  // namespace

CLeaveTables::Table CLeaveTables::Grants(const CLeaveBook& book, const CLeaveBook::Employee& who,
                                         int asOf) {
    // 取得日数 is what was drawn from each grant (oldest first); the last two columns are the
    // ledger's legal 日数 and 時季: the days taken in the year from each 基準日, with their dates.
    Table table{{"基準日", "付与日数", "取得日数", "残日数", "失効日", "取得義務",
                 "1年間の取得日数", "時季"}};
    CLeaveLedger::Result result;
    CLeaveLedger::Build(book, who, asOf, result);
    for (const auto& grant : result.grants) {
        int halves = 0;
        std::string dates;
        for (const auto& day : result.days) {
            if (day.date < grant.date || day.date >= grant.dutyEnds || day.date > asOf) continue;
            halves += CLeaveBook::Halves(day.part);
            dates += (dates.empty() ? "" : " ") + Date(day.date);
            if (day.part != CLeaveBook::EPart::kWhole) {
                dates += std::string("（") + CLeaveBook::PartText(day.part) + "）";
            }
        }
        table.push_back({Date(grant.date),
                         grant.withheld ? "0（見送り）" : CLeaveLedger::Days(grant.halves),
                         CLeaveLedger::Days(grant.takenHalves),
                         CLeaveLedger::Days(grant.halves - grant.takenHalves), Date(grant.expires),
                         CLeaveLedger::Duty(grant, asOf), CLeaveLedger::Days(halves), dates});
    }
    return table;
}

CLeaveTables::Table CLeaveTables::Days(const CLeaveBook& book, const std::string& name) {
    Table table{{"取得日", "区分"}};
    std::vector<CLeaveBook::Taken> days;
    for (const auto& t : book.taken) {
        if (t.name == name) days.push_back(t);
    }
    std::stable_sort(days.begin(), days.end(),
                     [](const auto& a, const auto& b) { return a.date < b.date; });
    for (const auto& t : days) table.push_back({Date(t.date), CLeaveBook::PartText(t.part)});
    return table;
}

CLeaveTables::Table CLeaveTables::List(const CLeaveBook& book, int asOf) {
    Table table{{"氏名", "入社日", "残日数", "次の付与日", "次の付与日数", "取得義務"}};
    std::vector<std::string> names;
    for (const auto& e : book.employees) names.push_back(e.name);
    CJapaneseOrder::Sort(names);
    for (const auto& name : names) {
        const auto& who = *book.Find(name);
        CLeaveLedger::Result result;
        CLeaveLedger::Build(book, who, asOf, result);
        const auto* current = CLeaveLedger::Current(result, asOf);
        table.push_back(
            {name, Date(who.hired), CLeaveLedger::Days(result.balanceHalves),
             Date(result.nextGrant),
             result.nextWithheld ? "0（見送り）" : CLeaveLedger::Days(result.nextHalves),
             current != nullptr ? CLeaveLedger::Duty(*current, asOf) : ""});
    }
    return table;
}

std::string CLeaveTables::Text(const Table& table, char sep, const char* lineEnd) {
    std::string text;
    for (const auto& row : table) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += (i ? std::string(1, sep) : "") + row[i];
        text += line + lineEnd;
    }
    return text;
}

}  // namespace stampwell
