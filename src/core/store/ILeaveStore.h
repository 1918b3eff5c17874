#pragma once

#include <functional>
#include <optional>
#include <string>

#include "leave/LeaveBook.h"

namespace stampwell {

class IMessageSink;

// The paid-leave book as stored, whatever keeps it: the rest of the program reads and changes it
// through this face and never names where or how it is kept.
class ILeaveStore {
public:
    // Makes its change over the book, or says why it refuses (Japanese).
    using Change = std::function<std::optional<std::string>(CLeaveBook&)>;

    virtual ~ILeaveStore() = default;
    // The book as it is stored now (an empty book when none is stored yet). False with why in
    // refusal (Japanese).
    virtual bool Read(CLeaveBook& book, std::string* refusal) const = 0;
    // One change over the book as it is stored at that moment, kept from every other writer
    // until it is stored. False after the message: the stored book is then as it was.
    virtual bool Apply(const Change& change, IMessageSink& messages) = 0;
};

}  // namespace stampwell
