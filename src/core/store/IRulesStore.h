#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/WorkRules.h"

namespace stampwell {

class IMessageSink;

// The work rules an office shares, whatever keeps them: read and changed through this face.
class IRulesStore {
public:
    // Makes its change over the rules, or says why it refuses (Japanese).
    using Change = std::function<std::optional<std::string>(CWorkRules&)>;

    virtual ~IRulesStore() = default;
    // The rules as stored now, the defaults for what is not stored. False when stored rules
    // cannot be read (the defaults are then in place); unread receives the keys whose value did
    // not read (those rules keep their defaults).
    virtual bool Read(CWorkRules& rules, std::vector<std::string>* unread = nullptr) const = 0;
    // One change over the rules as stored at that moment, kept from every other writer until
    // it is stored; saved receives what is stored afterwards. False after the message: the
    // stored rules are then as they were.
    virtual bool Apply(const Change& change, IMessageSink& messages,
                       CWorkRules* saved = nullptr) = 0;
    // Where the rules are kept, for a message.
    virtual std::string Where() const = 0;
};

}  // namespace stampwell
