#include "recording/MonthStore.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "recording/TodayIndex.h"
#include "recording/WorkFileReader.h"
#include "recording/WorkLine.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

bool CMonthStore::Load(const fs::path& work, const std::string& cp932Name, const std::string& name,
                       int year, int month, std::vector<WorkDayRecord>& days,
                       std::vector<WorkDayRecord>* leadIn) {
    const CMonthEdit edit(cp932Name, year, month);
    days = edit.EmptyDays(name);
    const CMonthEdit before(cp932Name, month == 1 ? year - 1 : year, month == 1 ? 12 : month - 1);
    std::vector<WorkDayRecord> daysBefore = before.EmptyDays(name);
    auto keepLeadIn = [&] {
        if (leadIn == nullptr) return;
        leadIn->assign(daysBefore.end() - std::min<long>(6, std::ssize(daysBefore)),
                       daysBefore.end());
    };
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    if (!fd && errno == ENOENT && fs::is_directory(work.parent_path())) {
        keepLeadIn();
        return true;  // no records yet
    }
    // Other people's blocks are passed over without deciphering them.
    const std::string padded = CTextCodec::PadCp932(cp932Name, WorkLine::kNameWidth) + ",";
    const std::string prefix =
        CCipherRecordFile::Encipher(padded, WorkLine::kRecordLength).substr(0, padded.size());
    char plain[WorkLine::kRecordLength];
    const bool read =
        fd && CWorkFileReader::ForEachBlock(
                  fd.Get(), 0, CWorkFileReader::kToEnd, [&](std::size_t, const char* cipher) {
                      if (std::memcmp(cipher, prefix.data(), prefix.size()) == 0) {
                          const auto text = CWorkFileReader::Decipher(cipher, plain);
                          edit.Note(text, days);
                          // The days before the 1st, for the overtime of the month's first week.
                          if (leadIn != nullptr) before.Note(text, daysBefore);
                      }
                      return true;
                  });
    keepLeadIn();
    return read;
}

CMonthStore::ESaveOutcome CMonthStore::Save(const fs::path& work, const std::string& cp932Name,
                                            const std::string& name, int year, int month,
                                            const std::vector<CellChange>& changes,
                                            std::vector<CellConflict>* conflicts,
                                            const SaveHooks& hooks) {
    const CMonthEdit edit(cp932Name, year, month);
    // Read again now, under the lock: what other clocks wrote meanwhile stays. A folder that is
    // away for a moment must never pass for one without a work file: the save would replace
    // every record.
    bool absent = false;
    auto content = CFileSystem::ReadWholeFileInFolder(work, absent);
    if (!content) return ESaveOutcome::kUnreachable;
    const std::string current = std::move(*content);
    const std::vector<WorkDayRecord> onDisk = edit.Read(current, name);
    std::vector<CellChange> applied = changes;
    std::vector<CellConflict> found;
    for (auto& change : applied) {
        if (change.day < 1 || change.day > static_cast<int>(onDisk.size())) {
            return ESaveOutcome::kFailed;
        }
        const auto& day = onDisk[static_cast<std::size_t>(change.day - 1)];
        const std::string& disk = change.side == 0 ? day.start : day.end;
        if (disk != change.before) {
            found.push_back({change.day, change.side, change.before, disk, change.after});
        }
        change.before = disk;
    }
    if (!found.empty()) {
        if (conflicts != nullptr) *conflicts = std::move(found);
        return ESaveOutcome::kConflict;
    }
    auto out = edit.Apply(current, applied);
    if (!out) return ESaveOutcome::kFailed;
    if (hooks.beforeReplace && !hooks.beforeReplace(applied)) return ESaveOutcome::kFailed;
    CFileSystem::RemoveLeftoverScratch(work, "KintaiTemp.txt");
    if (!CFileSystem::WriteWholeFile(work, "KintaiTemp.txt", *out)) {
        const int error = errno;
        if (hooks.replaceFailed) hooks.replaceFailed();
        return CFileSystem::IsNoSpace(error) ? ESaveOutcome::kNoSpace : ESaveOutcome::kFailed;
    }
    CTodayIndex(work).Renew(*out);
    if (hooks.replaced) hooks.replaced();
    return ESaveOutcome::kSaved;
}

}  // namespace stampwell
