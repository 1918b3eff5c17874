#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/WorkRules.h"

class QWidget;

namespace stampwell {

class CRecorderController;

// The work rules as stored, read for a window off its thread behind the 処理中… box (they may be
// on a share or a server that hangs). Nothing, after its message, when they could not be read:
// a window must then not figure or save by the defaults in their place.
struct RulesRead {
    CWorkRules rules;
    std::vector<std::string> unread;  // keys whose value did not read
};
std::optional<RulesRead> ReadRulesWaiting(QWidget& window, CRecorderController& controller);

}  // namespace stampwell
