#pragma once

#include <functional>
#include <optional>
#include <string>

#include "schedule/ScheduleBook.h"

namespace stampwell {

class IMessageSink;

// The payroll clerk's calendar (patterns, holidays, swaps, closings) as stored, whatever keeps
// it: read and changed through this face.
class IScheduleStore {
public:
    // Makes its change over the book, or says why it refuses (Japanese).
    using Change = std::function<std::optional<std::string>(CScheduleBook&)>;

    virtual ~IScheduleStore() = default;
    // The book as stored now (an empty book when none is stored yet). False with why in
    // refusal (Japanese).
    virtual bool Read(CScheduleBook& book, std::string* refusal) const = 0;
    // One change over the book as stored at that moment, kept from every other writer until it
    // is stored. False after the message: the stored book is then as it was.
    virtual bool Apply(const Change& change, IMessageSink& messages) = 0;
};

}  // namespace stampwell
