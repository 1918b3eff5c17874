#include "workfile/TodayReader.h"

#include <fcntl.h>

#include "calendar/WorkDate.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "workfile/TodayCache.h"
#include "workfile/TodayIndex.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

CTodayReader::CTodayReader(fs::path work, fs::path temporary, int today)
    : m_work(std::move(work)), m_temporary(std::move(temporary)), m_today(today) {}

bool CTodayReader::Read(const fs::path& path, bool recentOnly,
                        const CWorkFileReader::Visit& visit) const {
    CFileDescriptor fd = CFileSystem::Open(path, O_RDONLY);
    if (!fd) return false;
    if (!recentOnly) return CWorkFileReader::ForEachIn(fd.Get(), 0, CWorkFileReader::kToEnd, visit);
    return CTodayIndex(path).ForEachRecent(fd.Get(), m_today, visit);
}

bool CTodayReader::ForEach(bool& away, const std::function<bool()>& recheck, bool mayCache,
                           const CWorkFileReader::Visit& visit) const {
    bool stopped = false;
    auto until = [&](std::size_t number, std::string_view text) {
        if (visit(number, text)) return true;
        stopped = true;
        return false;
    };
    bool read = false;
    const CTodayCache cache(m_temporary);
    // The folder may go between the check and the read, and come back before the next check:
    // the day is decided from the work file itself whenever it can be read.
    for (int attempt = 0; attempt < 3 && !away && !read; ++attempt) {
        if (attempt > 0) away = recheck();
        if (away) break;
        std::vector<std::string> seen;
        read = Read(m_work, true, [&](std::size_t number, std::string_view text) {
            if (CWorkDate::Number(WorkLine::Parse(text).date) == m_today) {
                seen.push_back(CCipherRecordFile::Encipher(text, WorkLine::kRecordLength));
            }
            return until(number, text);
        });
        if (read && !stopped && mayCache) cache.Replace(m_today, seen);
        if (!read && !CFileSystem::Exists(m_work) && fs::is_directory(m_work.parent_path())) {
            break;  // no work file yet: nothing recorded
        }
    }
    if (stopped) return true;
    if (away) {
        cache.ForEach(m_today, [&](std::string_view text) {
            read = true;
            return until(kUnreachableRecord, text);
        });
        if (stopped) return true;
    }
    // Records still waiting (a move that could not be finished) count as today's taps too.
    if (CFileSystem::Exists(m_temporary)) read = Read(m_temporary, false, until) || read;
    return read;
}

std::optional<std::size_t> CTodayReader::Find(const fs::path& path, const std::string& padded,
                                              const std::string& date, int side, bool* read) const {
    std::optional<std::size_t> found;
    const bool whole =
        Read(path, path != m_temporary, [&](std::size_t number, std::string_view text) {
            if (text.size() <= WorkLine::kNameWidth ||
                text.compare(0, WorkLine::kNameWidth, padded) != 0) {
                return true;
            }
            WorkLine line = WorkLine::Parse(text);
            if (line.name != padded || line.date != date || line.Side() != side) return true;
            found = number;
            return false;
        });
    if (read) *read = whole;
    return found;
}

}  // namespace stampwell
