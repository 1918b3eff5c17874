#include "workfile/TemporaryRecordMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/FileSystem.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLength = WorkLine::kRecordLength;

bool ParseNumber(const std::string& text, std::uintmax_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uintmax_t>(c - '0');
    }
    return true;
}

}  // namespace

CTemporaryRecordMove::CTemporaryRecordMove(fs::path temporary, fs::path work)
    : m_temporary(std::move(temporary)), m_work(std::move(work)) {}

fs::path CTemporaryRecordMove::JournalPath() const {
    fs::path journal = m_temporary;
    journal += ".move";
    return journal;
}

bool CTemporaryRecordMove::ReadJournal(Journal& journal) const {
    auto content = CFileSystem::ReadWholeFile(JournalPath());
    if (!content) return false;
    std::size_t first = content->find('\n');
    std::size_t second = first == std::string::npos ? first : content->find('\n', first + 1);
    std::size_t third = second == std::string::npos ? second : content->find('\n', second + 1);
    if (third == std::string::npos) return false;
    if (!ParseNumber(content->substr(0, first), journal.start) ||
        !ParseNumber(content->substr(first + 1, second - first - 1), journal.length)) {
        return false;
    }
    journal.work = content->substr(second + 1, third - second - 1);
    return !journal.work.empty();
}

bool CTemporaryRecordMove::WriteJournal(const Journal& journal) const {
    std::string text = std::to_string(journal.start) + "\n" + std::to_string(journal.length) +
                       "\n" + journal.work.string() + "\n";
    return CFileSystem::WriteWholeFile(JournalPath(), JournalPath().filename().string() + ".tmp",
                                       text);
}

void CTemporaryRecordMove::RemoveJournal() const {
    ::unlink(JournalPath().c_str());
    CFileSystem::SyncDirectory(JournalPath().parent_path());
}

std::size_t CTemporaryRecordMove::CountMovedBlocks(const fs::path& work, std::uintmax_t start,
                                                   const std::string& batch) {
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    if (!fd) return 0;
    const std::size_t wanted = batch.size() / kLength;
    if (wanted == 0) return 0;
    auto runAt = [&](std::uintmax_t offset) {
        std::size_t blocks = 0;
        char block[kLength];
        while (blocks < wanted &&
               CFileSystem::ReadAt(fd.Get(), offset + blocks * kLength, block, kLength) &&
               batch.compare(blocks * kLength, kLength, block, kLength) == 0) {
            ++blocks;
        }
        return blocks;
    };
    // Where the journal says the batch went, unless another program's save has rewritten the
    // file since: then wherever the batch's first block now stands.
    std::size_t best = start % kLength == 0 ? runAt(start) : 0;
    if (best == wanted) return best;
    CWorkFileReader::ForEachRaw(fd.Get(), 0, CWorkFileReader::kToEnd,
                                [&](std::size_t number, const char* cipher) {
                                    if (std::memcmp(cipher, batch.data(), kLength) == 0) {
                                        best = std::max(best, runAt((number - 1) * kLength));
                                    }
                                    return best < wanted;
                                });
    return best;
}

bool CTemporaryRecordMove::Recover(bool workReachable) {
    Journal journal;
    if (!CFileSystem::Exists(JournalPath())) return true;
    if (!CFileSystem::Exists(m_temporary)) {
        // The move finished up to the journal's removal.
        RemoveJournal();
        return true;
    }
    if (!workReachable) return true;
    if (!ReadJournal(journal)) {
        RemoveJournal();
        return true;
    }
    auto temporary = CFileSystem::ReadWholeFile(m_temporary);
    if (!temporary) return false;
    std::string batch = temporary->substr(
        0, static_cast<std::size_t>(std::min<std::uintmax_t>(journal.length, temporary->size())));
    std::size_t moved = CountMovedBlocks(journal.work, journal.start, batch);
    if (moved > 0) {
        std::string rest = temporary->substr(moved * kLength);
        if (rest.empty()) {
            if (::unlink(m_temporary.c_str()) != 0) return false;
            CFileSystem::SyncDirectory(m_temporary.parent_path());
        } else if (!CFileSystem::WriteWholeFile(m_temporary,
                                                m_temporary.filename().string() + ".tmp", rest)) {
            return false;
        }
    }
    RemoveJournal();
    return true;
}

bool CTemporaryRecordMove::Append() {
    auto content = CFileSystem::ReadWholeFile(m_temporary);
    if (!content) return false;
    const std::size_t whole = content->size() / kLength * kLength;
    CFileDescriptor fd = CFileSystem::Open(m_work, O_WRONLY | O_APPEND | O_CREAT);
    if (!fd) return false;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) return false;
    const auto start = static_cast<std::uintmax_t>(status.st_size);
    if (whole > 0 && !WriteJournal({start, whole, m_work})) return false;
    Step(EStep::kJournalWritten);
    const std::string_view batch = std::string_view(*content).substr(0, whole);
    const std::size_t half = whole / kLength / 2 * kLength;
    bool ok = CFileSystem::WriteAll(fd.Get(), batch.substr(0, half));
    if (ok) Step(EStep::kHalfAppended);
    ok = ok && CFileSystem::WriteAll(fd.Get(), batch.substr(half)) && ::fsync(fd.Get()) == 0;
    if (!ok) {
        // Take back what reached the work file; the temporary file keeps the batch.
        bool undone =
            ::ftruncate(fd.Get(), static_cast<off_t>(start)) == 0 && ::fsync(fd.Get()) == 0;
        fd.Close();
        if (undone) RemoveJournal();
        return false;
    }
    if (!fd.Close()) return false;
    Step(EStep::kAppended);
    if (::unlink(m_temporary.c_str()) != 0) return false;  // the journal still accounts for it
    CFileSystem::SyncDirectory(m_temporary.parent_path());
    RemoveJournal();
    return true;
}

}  // namespace stampwell
