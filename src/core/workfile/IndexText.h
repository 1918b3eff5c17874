#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stampwell {

// What the work file's side indexes share: a block of the work file written as text (hex, "-"
// for none) and read back, and a block read at its place in the file.
class CIndexText {
public:
    static std::string ToHex(std::string_view block);
    // False unless hex is "-" (bytes then empty) or exactly one block's hex.
    static bool FromHex(const std::string& hex, std::string& bytes);
    // The block at offset of the open work file; empty when it cannot be read whole.
    static std::string BlockAt(int fd, std::uint64_t offset);
};

}  // namespace stampwell
