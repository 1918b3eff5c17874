#include "store/LeaveStoreChange.h"

#include "leave/LeaveChange.h"
#include "leave/LeaveLedger.h"

namespace stampwell {

bool CLeaveStoreChange::Apply(ILeaveStore& store, const ILeaveStore::Change& change,
                              IMessageSink& messages) {
    return store.Apply(
        [&](CLeaveBook& book) -> std::optional<std::string> {
            if (auto refused = change(book)) return refused;
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
