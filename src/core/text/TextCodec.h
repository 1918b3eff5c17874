#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stampwell {

// UTF-8 inside the program, CP932 (Shift-JIS) on disk. Every file boundary converts here.
class CTextCodec {
public:
    // nullopt when the text has a character with no CP932 form (or is not valid UTF-8).
    static std::optional<std::string> ToCp932(std::string_view utf8);
    // Bytes that are not valid CP932 come back as U+FFFD, never dropped silently.
    static std::string FromCp932(std::string_view cp932);
    // The non-empty lines of a text file's text, each without its CR LF (or LF alone).
    static std::vector<std::string> NonEmptyLines(const std::string& text);
    // nullopt as for ToCp932.
    static std::optional<std::size_t> Cp932Length(std::string_view utf8);

    static bool IsLeadByte(unsigned char byte);
    // The longest prefix of at most maxBytes that does not split a double-byte character.
    static std::string_view CutCp932(std::string_view cp932, std::size_t maxBytes);
    // Pads with blanks to width bytes; a longer text is returned unchanged.
    static std::string PadCp932(std::string_view cp932, std::size_t width);
    static bool IsAscii(std::string_view text);
};

}  // namespace stampwell
