#pragma once

#include <string>

#include "pgstore/PgLineBook.h"
#include "store/ILeaveStore.h"

namespace stampwell {

// The paid-leave book as the company database keeps it: the lines of the book's file in
// stampwell.leave_book, changed in one transaction.
class CPgLeaveStore : public ILeaveStore {
public:
    CPgLeaveStore(std::string conninfo, std::chrono::milliseconds wait)
        : m_book(std::move(conninfo), "stampwell.leave_book", wait) {}

    bool Read(CLeaveBook& book, std::string* refusal) const override;
    bool Apply(const Change& change, IMessageSink& messages) override;

private:
    CPgLineBook m_book;
};

}  // namespace stampwell
