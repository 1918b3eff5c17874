#include "workfile/WaitingRecords.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "calendar/WorkDate.h"
#include "diagnostics/ErrorLog.h"
#include "platform/FileSystem.h"
#include "workfile/TodayIndex.h"
#include "workfile/WaitingMerge.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkGeneration.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

bool CWaitingRecords::Merge(const std::filesystem::path& temporary,
                            const std::filesystem::path& work, bool roomMode,
                            const std::filesystem::path& dataDir) {
    auto waiting = CFileSystem::ReadWholeFile(temporary);
    if (!waiting) return false;
    waiting->resize(waiting->size() / kLength * kLength);
    if (waiting->empty()) return true;
    // The people and days the waiting records are of, and the earliest of those days.
    std::set<std::pair<std::string, std::string>> days;
    int earliest = 0;
    char plain[kLength];
    for (std::size_t at = 0; at < waiting->size(); at += kLength) {
        const WorkLine line =
            WorkLine::Parse(CWorkFileReader::Decipher(waiting->data() + at, plain));
        const int date = CWorkDate::Number(line.date);
        if (date <= 0) continue;
        days.emplace(line.name, line.date);
        earliest = earliest == 0 ? date : std::min(earliest, date);
    }
    std::vector<CWaitingMerge::Known> known;
    CFileDescriptor fd = CFileSystem::Open(work, O_RDWR);
    if (!fd && errno != ENOENT) return false;
    if (fd && earliest > 0) {
        const bool read = CTodayIndex(work).ForEachRecent(
            fd.Get(), earliest, [&](std::size_t number, std::string_view text) {
                const WorkLine line = WorkLine::Parse(text);
                if (days.count({std::string(line.name), std::string(line.date)}) > 0) {
                    known.push_back({number, std::string(text)});
                }
                return true;
            });
        if (!read) return false;
    }
    const auto actions = CWaitingMerge::Decide(known, *waiting, roomMode);
    // A month save prepared before its lock must see records merged in place.
    const CWorkGeneration::CChanging changing(work);
    std::string kept;
    bool merged = false;
    for (const auto& action : actions) {
        switch (action.kind) {
            case CWaitingMerge::Action::EKind::kAppend:
                kept += action.block;
                if (!action.note.empty()) {
                    merged = true;
                    ErrorLog(dataDir, __LINE__, action.note, __FILE__);
                }
                break;
            case CWaitingMerge::Action::EKind::kOverwrite:
                if (!fd || ::pwrite(fd.Get(), action.block.data(), kLength,
                                    static_cast<off_t>((action.number - 1) * kLength)) !=
                               static_cast<ssize_t>(kLength)) {
                    return false;
                }
                [[fallthrough]];
            case CWaitingMerge::Action::EKind::kDrop:
                merged = true;
                if (!action.note.empty()) ErrorLog(dataDir, __LINE__, action.note, __FILE__);
                break;
        }
    }
    if (!merged) return true;
    if (fd && ::fsync(fd.Get()) != 0) return false;
    // Only what is still to be appended waits; nothing left, nothing waits.
    if (kept.empty()) {
        if (::unlink(temporary.c_str()) != 0) return false;
        return CFileSystem::SyncDirectory(temporary.parent_path());
    }
    return CFileSystem::WriteWholeFile(temporary, temporary.filename().string() + ".tmp", kept);
}

}  // namespace stampwell
