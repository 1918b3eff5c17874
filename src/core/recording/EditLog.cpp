#include "recording/EditLog.h"

#include "platform/FileHandle.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr const char* kHeader = "#日時,管理者ID,氏名,勤務日,区分,修正前,修正後,修正理由";
}

CEditLog::CEditLog(const std::filesystem::path& workFile)
    : m_path(workFile.parent_path() / "EditLog.txt") {}

bool CEditLog::IsStorable(const std::string& text) {
    return text.find_first_of(",\r\n") == std::string::npos && CTextCodec::ToCp932(text);
}

bool CEditLog::Append(const std::vector<Entry>& entries) const {
    std::string lines;
    if (!CFileSystem::Exists(m_path)) lines = *CTextCodec::ToCp932(kHeader) + "\r\n";
    for (const auto& entry : entries) {
        std::string line;
        bool first = true;
        for (const std::string* field : {&entry.when, &entry.admin, &entry.name, &entry.day,
                                         &entry.side, &entry.before, &entry.after, &entry.reason}) {
            if (!IsStorable(*field)) return false;
            if (!first) line += ',';
            line += *CTextCodec::ToCp932(*field);
            first = false;
        }
        lines += line + "\r\n";
    }
    FileHandle file = OpenFile(m_path, "ab");
    if (!file) return false;
    bool ok = std::fwrite(lines.data(), 1, lines.size(), file.get()) == lines.size();
    ok = CFileSystem::SyncStream(file.get()) && ok;
    ok = (std::fclose(file.release()) == 0) && ok;
    return ok;
}

bool CEditLog::Read(std::vector<Entry>& entries) const {
    entries.clear();
    if (!CFileSystem::Exists(m_path)) return true;
    auto content = CFileSystem::ReadWholeFile(m_path);
    if (!content) return false;
    std::size_t start = 0;
    while (start < content->size()) {
        std::size_t end = content->find('\n', start);
        if (end == std::string::npos) end = content->size();
        std::string line = content->substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (;;) {
            std::size_t comma = line.find(',', from);
            fields.push_back(CTextCodec::FromCp932(line.substr(from, comma - from)));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
        fields.resize(8);
        entries.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                           fields[6], fields[7]});
    }
    return true;
}

}  // namespace stampwell
