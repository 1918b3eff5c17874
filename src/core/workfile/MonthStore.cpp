#include "workfile/MonthStore.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

int MonthNumber(int year, int month) {
    return year * 100 + month;
}
int MonthBefore(int year, int month) {
    return month == 1 ? MonthNumber(year - 1, 12) : MonthNumber(year, month - 1);
}

std::uint64_t WholeSize(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < 0) return 0;
    return static_cast<std::uint64_t>(status.st_size) / kLength * kLength;
}

// Bytes [from, to) of the file; nothing when a read fails.
std::optional<std::string> ReadRange(int fd, std::uint64_t from, std::uint64_t to) {
    std::string bytes(static_cast<std::size_t>(to - from), '\0');
    if (!bytes.empty() && !CFileSystem::ReadAt(fd, from, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}
}  // namespace

bool CMonthStore::Load(const fs::path& work, const std::string& cp932Name, const std::string& name,
                       int year, int month, std::vector<WorkDayRecord>& days,
                       std::vector<WorkDayRecord>* leadIn, bool keepIndex) {
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
    if (!fd) return false;
    // Other people's blocks are passed over without deciphering them.
    const std::string padded = CTextCodec::PadCp932(cp932Name, WorkLine::kNameWidth) + ",";
    const std::string prefix =
        CCipherRecordFile::Encipher(padded, WorkLine::kRecordLength).substr(0, padded.size());
    char plain[WorkLine::kRecordLength];
    auto note = [&](const char* cipher) {
        if (std::memcmp(cipher, prefix.data(), prefix.size()) != 0) return;
        const auto text = CWorkFileReader::Decipher(cipher, plain);
        edit.Note(text, days);
        // The days before the 1st, for the overtime of the month's first week.
        if (leadIn != nullptr) before.Note(text, daysBefore);
    };
    const CMonthIndex index(work);
    std::vector<int> months{MonthNumber(year, month)};
    if (leadIn != nullptr) months.insert(months.begin(), MonthBefore(year, month));
    const auto found = index.Find(fd.Get(), months);
    // Without an index every block is read, and the index is made on the way.
    std::optional<CMonthIndex::CBuilder> builder;
    std::uint64_t noteFrom = 0;
    if (!found) {
        builder.emplace();
    } else if (keepIndex && WholeSize(fd.Get()) - found->described > kIndexTailLimit) {
        builder = index.KeepBefore(fd.Get(), found->described);
        noteFrom = found->described;
    }
    if (!keepIndex) builder.reset();
    const std::vector<CMonthIndex::Range> whole{{0, CWorkFileReader::kToEnd}};
    bool read = true;
    char extra[WorkLine::kRecordLength];
    for (const auto& range : found ? found->ranges : whole) {
        read = read && CWorkFileReader::ForEachBlock(
                           fd.Get(), range.from / kLength,
                           range.to == CWorkFileReader::kToEnd ? range.to : range.to / kLength,
                           [&](std::size_t number, const char* cipher) {
                               const std::uint64_t offset = (number - 1) * kLength;
                               note(cipher);
                               if (builder && offset >= noteFrom) {
                                   builder->Note(offset, CWorkFileReader::Decipher(cipher, extra));
                               }
                               return true;
                           });
    }
    if (read && builder) index.Save(fd.Get(), *builder);
    if (keepIndex) CWorkGeneration(work).Start();
    keepLeadIn();
    return read;
}

std::optional<CMonthSavePlan> CMonthStore::Plan(const fs::path& work, const std::string& cp932Name,
                                                const std::string& name, int year, int month,
                                                const std::vector<CellChange>& changes) {
    return CMonthSavePlan::Make(work, CMonthEdit(cp932Name, year, month), name,
                                MonthNumber(year, month), changes);
}

CMonthStore::ESaveOutcome CMonthStore::Save(const fs::path& work, const std::string& cp932Name,
                                            const std::string& name, int year, int month,
                                            const std::vector<CellChange>& changes,
                                            std::vector<CellConflict>* conflicts,
                                            const SaveHooks& hooks, CMonthSavePlan* plan) {
    const CMonthEdit edit(cp932Name, year, month);
    // Read again now, under the lock: what other clocks wrote meanwhile stays. A folder that is
    // away for a moment must never pass for one without a work file: the save would replace
    // every record.
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    const bool absent = !fd && errno == ENOENT && fs::is_directory(work.parent_path());
    if (!fd && !absent) return ESaveOutcome::kUnreachable;
    const CMonthIndex index(work);
    std::uint64_t at = 0;
    std::optional<CMonthIndex::CBuilder> kept;
    std::string read;
    const std::string* region = &read;
    CMonthRewrite worked;
    CWorkJournal::CAhead* ahead = nullptr;
    const auto holds =
        plan != nullptr && fd ? plan->StillHolds(work, fd.Get()) : CMonthSavePlan::EHolds::kNo;
    if (holds == CMonthSavePlan::EHolds::kYes) {
        // Nothing came between: what was read and worked out ahead stands.
        at = plan->At();
        kept = std::move(plan->Kept());
        region = &plan->Region();
        worked = std::move(plan->Rewrite());
        if (plan->Ahead()) ahead = &*plan->Ahead();
    } else if (holds == CMonthSavePlan::EHolds::kGrown) {
        // Only taps came between: they are read and the save worked out again with them; the
        // journal written ahead takes them on when the rest of the rewrite is as it was.
        auto added = ReadRange(fd.Get(), plan->ReadSize(), WholeSize(fd.Get()));
        if (!added) return ESaveOutcome::kUnreachable;
        at = plan->At();
        kept = std::move(plan->Kept());
        read = std::move(plan->Region());
        read += *added;
        worked = CMonthRewrite::Work(edit, name, read, changes);
        const CMonthRewrite& before = plan->Rewrite();
        if (plan->Ahead() && worked.Outcome() == CMonthRewrite::EOutcome::kReady &&
            before.Outcome() == CMonthRewrite::EOutcome::kReady &&
            worked.Skipped() == before.Skipped() &&
            worked.Changed().starts_with(before.Changed()) &&
            CWorkJournal(work).Extend(*plan->Ahead(), at + worked.Skipped(), worked.Changed(),
                                      at + worked.Out().size(),
                                      std::string_view(read).substr(worked.Skipped()))) {
            ahead = &*plan->Ahead();
        }
    } else {
        // Every record of the month lies at or after its first range: only that part of the
        // file is read and rewritten.
        if (fd) {
            if (auto found = index.Find(fd.Get(), {MonthNumber(year, month)})) {
                at = found->ranges.empty() ? WholeSize(fd.Get()) : found->ranges.front().from;
                kept = index.KeepBefore(fd.Get(), at);
                if (!kept) at = 0;
            }
        }
        auto bytes = fd ? ReadRange(fd.Get(), at, WholeSize(fd.Get())) : std::string{};
        if (!bytes) return ESaveOutcome::kUnreachable;
        read = std::move(*bytes);
        worked = CMonthRewrite::Work(edit, name, read, changes);
    }
    if (worked.Outcome() == CMonthRewrite::EOutcome::kConflict) {
        if (conflicts != nullptr) *conflicts = std::move(worked.Conflicts());
        return ESaveOutcome::kConflict;
    }
    if (worked.Outcome() != CMonthRewrite::EOutcome::kReady) return ESaveOutcome::kFailed;
    if (hooks.beforeReplace && !hooks.beforeReplace(worked.Applied())) {
        return ESaveOutcome::kFailed;
    }
    const std::string& out = worked.Out();
    // What a killed save of an older release left.
    CFileSystem::RemoveLeftoverScratch(work, "KintaiTemp.txt");
    bool written = false;
    if (absent) {
        written = CFileSystem::WriteWholeFile(work, "KintaiTemp.txt", out);
    } else if (worked.IsSame(region->size())) {
        written = true;
    } else {
        const std::uint64_t offset = at + worked.Skipped();
        const std::string_view old = std::string_view(*region).substr(worked.Skipped());
        CWorkJournal journal(work);
        written = ahead != nullptr
                      ? journal.Rewrite(*ahead, offset, worked.Changed(), at + out.size(), old,
                                        hooks.step)
                      : journal.Rewrite(offset, worked.Changed(), at + out.size(), old, hooks.step);
    }
    if (!written) {
        const int error = errno;
        if (hooks.replaceFailed) hooks.replaceFailed();
        return CFileSystem::IsNoSpace(error) ? ESaveOutcome::kNoSpace : ESaveOutcome::kFailed;
    }
    // Both side indexes go on from the bytes that did not change.
    CTodayIndex(work).Renew(out, at);
    if (CFileDescriptor now = CFileSystem::Open(work, O_RDONLY)) {
        CMonthIndex::CBuilder builder = kept ? std::move(*kept) : CMonthIndex::CBuilder{};
        char plain[kLength];
        for (std::size_t i = 0; i + kLength <= out.size(); i += kLength) {
            builder.Note(at + i, CWorkFileReader::Decipher(out.data() + i, plain));
        }
        index.Save(now.Get(), builder);
    }
    if (hooks.replaced) hooks.replaced();
    return ESaveOutcome::kSaved;
}

}  // namespace stampwell
