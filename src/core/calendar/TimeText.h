#pragma once

#include <optional>
#include <string>

namespace stampwell {

// The five-character times of the record edit grid, "HH:MM", with "__:__" for no time. Hours run
// to 35: times after midnight that belong to the previous working day are written with 24 added.
class CTimeText {
public:
    static constexpr const char* kEmpty = "__:__";
    // An edited text: "__:__" stays; otherwise every "_" becomes "0", and hours above 35,
    // minutes above 59 or a text that does not read as two numbers give "__:__".
    static std::string Normalise(const std::string& text);
    // What the editor ended with: "__:__" (every digit erased) is no time; a time with a place
    // left unfilled ("_7:01" after erasing a digit) or an impossible one is nothing, so a slip
    // is refused rather than taken for a time nobody typed or for an empty cell.
    static std::optional<std::string> Check(const std::string& text);
    // The cell's text for a stored time, and the stored time (empty for none) for a cell.
    static std::string ToCell(const std::string& time);
    static std::string FromCell(const std::string& cell);
    // Minutes of "HH:MM" (hours may pass 24); -1 when it is not a time.
    static int Minutes(const std::string& time);
};

}  // namespace stampwell
