#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stampwell {

// A cursor over text that scans the way the stored formats were first read: "%[^,\n]" fields
// (cut at a limit, never overflowing), literal characters, "%s" words and "\n" white space.
class CRecordScanner {
public:
    explicit CRecordScanner(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    // "%[^<stops>]": false (nothing consumed) when no byte matches. The whole field is consumed
    // and `field` receives at most `limit` bytes without splitting a double-byte character.
    bool ScanField(std::string& field, std::string_view stops, std::size_t limit);
    // A literal byte; false (nothing consumed) when the next byte differs.
    bool ScanLiteral(char literal);
    // "%s": skips white space and reads one word.
    bool ScanWord(std::string& word);
    // A white-space directive: skips any run of white space.
    void SkipWhiteSpace();

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// CR LF as LF, as a text-mode read gives it.
std::string NormalizeLineEnds(std::string_view text);

}  // namespace stampwell
