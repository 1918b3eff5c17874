#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stampwell {

// One work record line, split the way the stored lines are read: name (with its padding), date,
// and either a start or an end time. Views into the deciphered block.
struct WorkLine {
    std::string_view name;
    std::string_view date;
    std::string_view start;
    std::string_view end;

    static constexpr std::size_t kRecordLength = 51;
    static constexpr std::size_t kNameWidth = 32;

    // text is the deciphered block up to its first zero byte.
    static WorkLine Parse(std::string_view text);
    // A 32-byte name and a 10-byte date at their places, as every stored line has: Parse then
    // finds them there.
    static bool HasFixedShape(std::string_view text);
    // 0 for a start record, 1 for an end record, -1 for a line with neither time.
    int Side() const;
    const std::string_view& Time() const { return start.empty() ? end : start; }
    // "%-32s,%s,%s,\n" (side 0) or "%-32s,%s,,%s\n" (side 1) of a CP932 name; empty when the name
    // does not fit its 32 bytes, holds a comma or a control byte, or the line would not fit the
    // block.
    static std::string Format(std::string_view cp932Name, std::string_view date,
                              std::string_view time, int side);
};

}  // namespace stampwell
