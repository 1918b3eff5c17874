#pragma once

#include <optional>
#include <string>

#include "schedule/WorkPattern.h"

namespace stampwell {

// What the calendar window and `pattern set` read from typed texts: a work pattern, or why it
// does not read (Japanese), and a typed date.
class CPatternForm {
public:
    struct Texts {
        std::string name, start, end, breaks, days;
        bool holidaysOff = true;
    };
    // The pattern, or nothing with why set.
    static std::optional<CWorkPattern> Read(const Texts& texts, std::string& why);
    static Texts TextsOf(const CWorkPattern& pattern);
    // "2026/11/03" or "2026-11-03" of a day that exists; nothing otherwise.
    static std::optional<int> ReadDate(const std::string& text);
};

}  // namespace stampwell
