#include "workfile/RecordTableFile.h"

#include <system_error>

#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"
#include "workfile/MonthIndex.h"
#include "workfile/TodayIndex.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkGeneration.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

bool CRecordTableFile::Load(const fs::path& work, WorkRecordTable& table) {
    table.Clear();
    m_loadedPath = work;
    m_loadedSize = 0;
    m_loadFailed = false;
    bool absent = false;
    auto content = CFileSystem::ReadWholeFileInFolder(work, absent);
    if (content && absent) return true;  // no records yet
    if (!content) {
        // Saving this table would replace records that were never read.
        m_loadedSize.reset();
        m_loadFailed = true;
        return false;
    }
    char plain[kLength];
    for (std::size_t at = 0; at + kLength <= content->size(); at += kLength) {
        std::string_view text = CWorkFileReader::Decipher(content->data() + at, plain);
        WorkLine line = WorkLine::Parse(text);
        // A line with no time holds nothing a save could write back.
        if (line.name.empty() || line.date.empty() || line.Side() < 0) continue;
        std::string_view name = line.name;
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        table.MergeRecord({CTextCodec::FromCp932(name), std::string(line.date),
                           std::string(line.start), std::string(line.end)});
    }
    m_loadedSize = content->size() / kLength * kLength;
    return true;
}

bool CRecordTableFile::Save(const fs::path& work, const WorkRecordTable& table) {
    if (m_loadFailed) return false;
    std::string bytes;
    bool ok = true;
    table.ForEach([&](const WorkDayRecord& record) {
        auto name = CTextCodec::ToCp932(record.name);
        for (int side = 0; side < 2 && ok; ++side) {
            const std::string& time = side == 0 ? record.start : record.end;
            if (time.empty()) continue;
            std::string text = name ? WorkLine::Format(*name, record.date, time, side) : "";
            std::string block = CCipherRecordFile::Encipher(text, kLength);
            ok = !text.empty() && !block.empty();
            bytes += block;
        }
    });
    if (!ok) return false;
    const std::uintmax_t tableSize = bytes.size();
    // Taps recorded after the table was loaded stay in the file.
    std::error_code error;
    auto now = fs::file_size(work, error) / kLength * kLength;
    if (!error && m_loadedSize && m_loadedPath == work && now > *m_loadedSize) {
        auto current = CFileSystem::ReadWholeFile(work);
        if (!current || current->size() < now) return false;
        bytes.append(*current, static_cast<std::size_t>(*m_loadedSize),
                     static_cast<std::size_t>(now - *m_loadedSize));
    }
    CFileSystem::RemoveLeftoverScratch(work, "KintaiTemp.txt");
    const CWorkGeneration::CChanging changing(work);
    if (!CFileSystem::WriteWholeFile(work, "KintaiTemp.txt", bytes)) return false;
    CTodayIndex(work).Renew(bytes);
    CMonthIndex(work).Forget();
    m_loadedPath = work;
    m_loadedSize = tableSize;
    return true;
}

}  // namespace stampwell
