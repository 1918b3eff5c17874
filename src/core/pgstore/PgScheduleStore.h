#pragma once

#include <string>

#include "pgstore/PgLineBook.h"
#include "store/IScheduleStore.h"

namespace stampwell {

// The clerk's calendar as the company database keeps it: the lines of Schedule.txt in
// stampwell.schedule_book, changed in one transaction.
class CPgScheduleStore : public IScheduleStore {
public:
    CPgScheduleStore(std::string conninfo, std::chrono::milliseconds wait)
        : m_book(std::move(conninfo), "stampwell.schedule_book", wait) {}

    bool Read(CScheduleBook& book, std::string* refusal) const override;
    bool Apply(const Change& change, IMessageSink& messages) override;

private:
    CPgLineBook m_book;
};

}  // namespace stampwell
