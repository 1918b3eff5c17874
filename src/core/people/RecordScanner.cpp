#include "people/RecordScanner.h"

#include <cctype>

#include "text/TextCodec.h"

namespace stampwell {

bool CRecordScanner::ScanField(std::string& field, std::string_view stops, std::size_t limit) {
    std::size_t start = m_pos;
    while (m_pos < m_text.size() && stops.find(m_text[m_pos]) == std::string_view::npos) ++m_pos;
    if (m_pos == start) return false;
    field = CTextCodec::CutCp932(m_text.substr(start, m_pos - start), limit);
    return true;
}

bool CRecordScanner::ScanLiteral(char literal) {
    if (m_pos < m_text.size() && m_text[m_pos] == literal) {
        ++m_pos;
        return true;
    }
    return false;
}

bool CRecordScanner::ScanWord(std::string& word) {
    SkipWhiteSpace();
    std::size_t start = m_pos;
    while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])))
        ++m_pos;
    if (m_pos == start) return false;
    word = m_text.substr(start, m_pos - start);
    return true;
}

void CRecordScanner::SkipWhiteSpace() {
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
        ++m_pos;
}

std::string NormalizeLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

}  // namespace stampwell
