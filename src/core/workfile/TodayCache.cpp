#include "workfile/TodayCache.h"

#include "calendar/WorkDate.h"
#include "platform/FileSystem.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;

int DateOf(const std::string& block) {
    char plain[kLength];
    return CWorkDate::Number(WorkLine::Parse(CWorkFileReader::Decipher(block.data(), plain)).date);
}
}  // namespace

CTodayCache::CTodayCache(std::filesystem::path temporary) : m_path(std::move(temporary)) {
    m_path += ".today";
}

std::filesystem::path CTodayCache::FilePath() const {
    return m_path;
}

std::vector<std::string> CTodayCache::Read(int date) const {
    std::vector<std::string> blocks;
    auto content = CFileSystem::ReadWholeFile(m_path);
    if (!content) return blocks;
    for (std::size_t at = 0; at + kLength <= content->size(); at += kLength) {
        std::string block = content->substr(at, kLength);
        if (DateOf(block) == date) blocks.push_back(std::move(block));
    }
    return blocks;
}

void CTodayCache::Replace(int date, const std::vector<std::string>& blocks) const {
    const bool exists = CFileSystem::Exists(m_path);
    if ((exists && Read(date) == blocks) || (!exists && blocks.empty())) return;
    std::string bytes;
    for (const auto& block : blocks) bytes += block;
    // Only a help for the time the folder is away: a failure costs nothing else.
    CFileSystem::WriteWholeFile(m_path, m_path.filename().string() + ".tmp", bytes);
}

void CTodayCache::Add(int date, const std::string& added) const {
    std::vector<std::string> blocks = Read(date);
    const std::size_t known = blocks.size();
    for (std::size_t at = 0; at + kLength <= added.size(); at += kLength) {
        std::string block = added.substr(at, kLength);
        if (DateOf(block) == date) blocks.push_back(std::move(block));
    }
    if (blocks.size() > known) Replace(date, blocks);
}

void CTodayCache::Put(int date, const std::string& block) const {
    if (block.size() != kLength || DateOf(block) != date) return;
    char plain[kLength];
    const WorkLine put = WorkLine::Parse(CWorkFileReader::Decipher(block.data(), plain));
    std::vector<std::string> blocks = Read(date);
    bool replaced = false;
    for (auto& known : blocks) {
        char text[kLength];
        const WorkLine line = WorkLine::Parse(CWorkFileReader::Decipher(known.data(), text));
        if (line.name == put.name && line.date == put.date && line.Side() == put.Side()) {
            known = block;
            replaced = true;
            break;
        }
    }
    if (!replaced) blocks.push_back(block);
    Replace(date, blocks);
}

void CTodayCache::ForEach(int date, const std::function<bool(std::string_view)>& visit) const {
    char plain[kLength];
    for (const auto& block : Read(date)) {
        if (!visit(CWorkFileReader::Decipher(block.data(), plain))) return;
    }
}

}  // namespace stampwell
