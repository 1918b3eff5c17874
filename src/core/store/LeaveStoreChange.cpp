#include "store/LeaveStoreChange.h"

#include <set>
#include <tuple>

#include "leave/LeaveChange.h"
#include "leave/LeaveLedger.h"
#include "platform/IMessageSink.h"

namespace stampwell {

namespace {
// The dates of the days taken and grants withheld that differ between two books.
std::set<int> ChangedDates(const CLeaveBook& before, const CLeaveBook& after) {
    using Fact = std::tuple<std::string, int, int>;
    auto facts = [](const CLeaveBook& book) {
        std::set<Fact> out;
        for (const auto& t : book.taken) out.emplace(t.name, t.date, static_cast<int>(t.part));
        for (const auto& w : book.withheld) out.emplace(w.name, w.grant, -1);
        return out;
    };
    const auto a = facts(before);
    const auto b = facts(after);
    std::set<int> dates;
    for (const auto& f : a) {
        if (!b.count(f)) dates.insert(std::get<1>(f));
    }
    for (const auto& f : b) {
        if (!a.count(f)) dates.insert(std::get<1>(f));
    }
    return dates;
}
}  // namespace

bool CLeaveStoreChange::Apply(ILeaveStore& store, const ILeaveStore::Change& change,
                              IMessageSink& messages, const IScheduleStore* schedule) {
    return store.Apply(
        [&](CLeaveBook& book) -> std::optional<std::string> {
            const CLeaveBook before = book;
            if (auto refused = change(book)) return refused;
            // The closings as stored now, read under the book's lock with the change.
            CScheduleBook closings;
            std::string unread;
            if (schedule != nullptr && !schedule->Read(closings, &unread)) {
                // Whether the day is in a closed period cannot be known: nothing changes.
                return unread;
            }
            for (const int date : ChangedDates(before, book)) {
                std::string refusal;
                if (closings.TouchesClosed(date, date, &refusal)) return refusal;
            }
            // Every ledger must still add up, today and on every day taken.
            for (const auto& who : book.employees) {
                CLeaveLedger::Result result;
                if (auto refused = CLeaveLedger::Build(book, who, who.hired, result)) {
                    return refused;
                }
            }
            return std::nullopt;
        },
        messages);
}

bool CLeaveStoreChange::CarryRename(ILeaveStore& store, const std::string& from,
                                    const std::string& to, IMessageSink& messages) {
    if (from == to) return true;
    // Nothing is written for a book that never knew the old name.
    CLeaveBook book;
    std::string refusal;
    if (store.Read(book, &refusal) && !CLeaveChange::Refers(book, from)) return true;
    return Apply(
        store, [&](CLeaveBook& stored) { return CLeaveChange::Rename(stored, from, to); },
        messages);
}

}  // namespace stampwell
