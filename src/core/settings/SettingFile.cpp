#include "settings/SettingFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/IMessageSink.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::string> EncodeField(std::string_view text) {
    if (text.find_first_of(",\r\n") != std::string_view::npos) return std::nullopt;
    auto bytes = CTextCodec::ToCp932(text);
    if (!bytes || bytes->size() > CSettingFile::kFieldLimit) return std::nullopt;
    return bytes;
}

// "%e" as the settings files were first written: a three-digit exponent (1.500000e+000).
std::string FormatFloat(float value) {
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%e", static_cast<double>(value));
    std::string_view text(buffer, static_cast<std::size_t>(std::max(length, 0)));
    auto e = text.find('e');
    if (e == std::string_view::npos || e + 2 > text.size()) return std::string(text);
    std::string_view digits = text.substr(e + 2);
    std::string result(text.substr(0, e + 2));
    if (digits.size() < 3) result.append(3 - digits.size(), '0');
    result += digits;
    return result;
}

}  // namespace

CSettingFile::CSettingFile(IMessageSink* messages) : m_messages(messages) {}

CSettingFile::~CSettingFile() {
    if (m_writing || m_reading) Close();
}

int CSettingFile::OpenWrite(const std::filesystem::path& path) {
    // The folder must be writable now, not only at Close, so that a save to a bad path is
    // reported at once as the callers expect.
    if (!CFileSystem::CanCreateBeside(path)) return 0;
    m_target = path;
    m_content.clear();
    m_writing = true;
    m_writeFailed = false;
    return 1;
}

int CSettingFile::OpenRead(const std::filesystem::path& path) {
    auto content = CFileSystem::ReadWholeFile(path);
    if (!content) return 0;
    // Text mode: CR LF reads as LF.
    m_content.clear();
    m_content.reserve(content->size());
    for (std::size_t i = 0; i < content->size(); ++i) {
        if ((*content)[i] == '\r' && i + 1 < content->size() && (*content)[i + 1] == '\n') continue;
        m_content += (*content)[i];
    }
    m_pos = 0;
    m_reading = true;
    return 1;
}

int CSettingFile::Close() {
    int result = 1;
    if (m_writing) {
        m_writing = false;
        std::string scratchName = m_target.filename().string() + ".tmp";
        if (m_writeFailed) {
            result = 0;
        } else if (!CFileSystem::WriteWholeFile(m_target, scratchName, m_content)) {
            result = 0;
        }
    }
    m_reading = false;
    m_content.clear();
    return result;
}

int CSettingFile::WriteStrings(std::string_view name, std::span<const std::string> values) {
    std::string line;
    auto encodedName = EncodeField(name);
    if (!encodedName) {
        m_writeFailed = true;
        return 0;
    }
    line = *encodedName;
    for (const auto& value : values) {
        auto encoded = EncodeField(value);
        if (!encoded) {
            m_writeFailed = true;
            return 0;
        }
        line += ',';
        line += *encoded;
    }
    m_content += line + "\r\n";
    return 1;
}

int CSettingFile::WriteInts(std::string_view name, std::span<const std::int32_t> values) {
    std::vector<std::string> texts;
    for (auto value : values) texts.push_back(std::to_string(value));
    return WriteStrings(name, texts);
}

int CSettingFile::WriteFloats(std::string_view name, std::span<const float> values) {
    std::vector<std::string> texts;
    for (auto value : values) texts.push_back(FormatFloat(value));
    return WriteStrings(name, texts);
}

// "%[^,\n]": every byte up to a comma or line break, not consuming it. A longer field than the
// reader's 255 bytes is consumed whole and cut, never overflowing.
std::string CSettingFile::ScanField() {
    std::size_t start = m_pos;
    while (m_pos < m_content.size() && m_content[m_pos] != ',' && m_content[m_pos] != '\n') ++m_pos;
    std::string_view field(m_content.data() + start, m_pos - start);
    return std::string(CTextCodec::CutCp932(field, kFieldLimit));
}

void CSettingFile::SkipWhiteSpace() {
    while (m_pos < m_content.size() && IsSpace(m_content[m_pos])) ++m_pos;
}

bool CSettingFile::AtEnd() {
    std::size_t pos = m_pos;
    while (pos < m_content.size() && IsSpace(m_content[pos])) ++pos;
    return pos >= m_content.size();
}

bool CSettingFile::MatchName(std::string_view expected, std::string_view found) {
    auto expectedBytes = CTextCodec::ToCp932(expected);
    if (expectedBytes && *expectedBytes == found) return true;
    if (m_messages != nullptr) {
        std::string text = "ファイルの項目名が異なります。";
        text += expected;
        m_messages->ShowMessage(text, EMessageIcon::None);
    }
    return false;
}

bool CSettingFile::BeginLine(std::string_view name, std::string& found) {
    if (!m_reading) return false;
    found = ScanField();
    return MatchName(name, found);
}

int CSettingFile::ReadStrings(std::string_view name, std::span<std::string> values) {
    std::string found;
    if (!BeginLine(name, found)) return 0;
    for (auto& value : values) {
        if (m_pos < m_content.size() && m_content[m_pos] == ',') {
            ++m_pos;
            value = CTextCodec::FromCp932(ScanField());
        } else {
            value.clear();
        }
    }
    SkipWhiteSpace();
    return 1;
}

int CSettingFile::ReadInts(std::string_view name, std::span<std::int32_t> values) {
    std::string found;
    if (!BeginLine(name, found)) return 0;
    ScanNumbers(values, [](const char* begin, char** end) {
        long long parsed = std::strtoll(begin, end, 10);
        return static_cast<std::int32_t>(
            std::clamp<long long>(parsed, std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max()));
    });
    return 1;
}

int CSettingFile::ReadFloats(std::string_view name, std::span<float> values) {
    std::string found;
    if (!BeginLine(name, found)) return 0;
    ScanFloats(values);
    return 1;
}

int CSettingFile::ReadFloatsTwoPartName(std::string_view name, std::span<float> values) {
    if (!m_reading) return 0;
    std::string first = ScanField();
    std::string second;
    if (m_pos < m_content.size() && m_content[m_pos] == ',') {
        ++m_pos;
        second = ScanField();
    }
    if (!MatchName(name, first + "," + second)) return 0;
    ScanFloats(values);
    return 1;
}

void CSettingFile::ScanFloats(std::span<float> values) {
    ScanNumbers(values, [](const char* begin, char** end) { return std::strtof(begin, end); });
}

// ",%d" or ",%e" for each value: a value that does not scan keeps what it held.
template <typename T, typename Parse>
void CSettingFile::ScanNumbers(std::span<T> values, Parse parse) {
    for (auto& value : values) {
        if (m_pos >= m_content.size() || m_content[m_pos] != ',') continue;
        ++m_pos;
        SkipWhiteSpace();
        const char* begin = m_content.c_str() + m_pos;
        char* end = nullptr;
        T parsed = parse(begin, &end);
        if (end == begin) continue;
        m_pos += static_cast<std::size_t>(end - begin);
        value = parsed;
    }
    SkipWhiteSpace();
}

std::shared_ptr<CSettingFile> CreateSettingFile(IMessageSink* messages) {
    return std::make_shared<CSettingFile>(messages);
}

}  // namespace stampwell
