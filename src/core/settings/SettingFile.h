#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace stampwell {

class IMessageSink;

// The line store of the settings files: "name,value,value..." lines in CP932, CR LF on disk.
// Reading follows scanf's rules (a wrong item name stops that line unread, so the items after it
// fail in turn). Writing goes to a scratch file beside the target that replaces it on Close, so a
// crash mid-save never leaves half a file.
class CSettingFile {
public:
    explicit CSettingFile(IMessageSink* messages);
    ~CSettingFile();
    CSettingFile(const CSettingFile&) = delete;
    CSettingFile& operator=(const CSettingFile&) = delete;

    int Initialize() { return 1; }
    int OpenWrite(const std::filesystem::path& path);
    int OpenRead(const std::filesystem::path& path);
    // After a write: 1 when every line was accepted and the file was replaced, else 0 and the
    // old file stays as it was.
    int Close();

    // 0 (and nothing written) when a name or text would not survive the format: a comma or line
    // break, more than 255 CP932 bytes, or a character with no CP932 form.
    int WriteStrings(std::string_view name, std::span<const std::string> values);
    int WriteInts(std::string_view name, std::span<const std::int32_t> values);
    int WriteFloats(std::string_view name, std::span<const float> values);

    int ReadStrings(std::string_view name, std::span<std::string> values);
    int ReadInts(std::string_view name, std::span<std::int32_t> values);
    int ReadFloats(std::string_view name, std::span<float> values);
    int ReadFloatsTwoPartName(std::string_view name, std::span<float> values);

    // True when only white space is left to read (lets an owner treat a trailing optional line
    // as absent instead of as a wrong name).
    bool AtEnd();

    static constexpr std::size_t kFieldLimit = 255;

private:
    bool BeginLine(std::string_view name, std::string& line);
    std::string ScanField();
    bool MatchName(std::string_view expected, std::string_view found);
    void SkipWhiteSpace();
    void ScanFloats(std::span<float> values);
    template <typename T, typename Parse>
    void ScanNumbers(std::span<T> values, Parse parse);

    IMessageSink* m_messages;
    std::filesystem::path m_target;
    std::string m_content;
    std::size_t m_pos = 0;
    bool m_reading = false;
    bool m_writing = false;
    bool m_writeFailed = false;
};

std::shared_ptr<CSettingFile> CreateSettingFile(IMessageSink* messages);

}  // namespace stampwell
