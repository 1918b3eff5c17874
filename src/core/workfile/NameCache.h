#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace stampwell {

// The UTF-8 form of the CP932 name fields of a long scan: names repeat on every working day, so
// each spelling is converted once and found again without a copy of it.
class CNameCache {
public:
    // The UTF-8 of a CP932 text as it stands.
    const std::string& Utf8(std::string_view cp932);
    // The same with a record's name padding (trailing blanks) left out.
    const std::string& Trimmed(std::string_view padded);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const;
    };
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> m_names;
};

}  // namespace stampwell
