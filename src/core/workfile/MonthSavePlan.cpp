#include "workfile/MonthSavePlan.h"

#include <fcntl.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}
}  // namespace

std::optional<CMonthSavePlan> CMonthSavePlan::Make(const fs::path& work, const CMonthEdit& edit,
                                                   const std::string& name, int monthNumber,
                                                   const std::vector<CMonthEdit::Change>& changes) {
    const CWorkGeneration generation(work);
    const auto stamp = generation.Read();
    if (!stamp) return std::nullopt;
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    CMonthSavePlan plan;
    if (!fd || ::fstat(fd.Get(), &plan.m_status) != 0 || plan.m_status.st_size <= 0 ||
        plan.m_status.st_size % static_cast<off_t>(kLength) != 0) {
        return std::nullopt;
    }
    const auto size = static_cast<std::uint64_t>(plan.m_status.st_size);
    const CMonthIndex index(work);
    const auto found = index.Find(fd.Get(), {monthNumber});
    if (!found) return std::nullopt;
    plan.m_at = found->ranges.empty() ? size : found->ranges.front().from;
    plan.m_kept = index.KeepBefore(fd.Get(), plan.m_at);
    if (!plan.m_kept) return std::nullopt;
    plan.m_region.assign(static_cast<std::size_t>(size - plan.m_at), '\0');
    struct stat after {};
    // Read whole while nothing changed in place: a change under way meanwhile makes it odd.
    if ((!plan.m_region.empty() &&
         !CFileSystem::ReadAt(fd.Get(), plan.m_at, plan.m_region.data(), plan.m_region.size())) ||
        ::fstat(fd.Get(), &after) != 0 || !SameFile(after, plan.m_status) ||
        generation.Read() != stamp) {
        return std::nullopt;
    }
    plan.m_stamp = *stamp;
    plan.m_rewrite = CMonthRewrite::Work(edit, name, plan.m_region, changes);
    const CMonthRewrite& rewrite = plan.m_rewrite;
    if (rewrite.Outcome() == CMonthRewrite::EOutcome::kReady &&
        !rewrite.IsSame(plan.m_region.size())) {
        plan.m_ahead = CWorkJournal(work).WriteAhead(
            plan.m_at + rewrite.Skipped(), rewrite.Changed(), plan.m_at + rewrite.Out().size(),
            std::string_view(plan.m_region).substr(rewrite.Skipped()));
    }
    return plan;
}

CMonthSavePlan::EHolds CMonthSavePlan::StillHolds(const fs::path& work, int fd) const {
    struct stat now {};
    if (CWorkGeneration(work).Read() != m_stamp || ::fstat(fd, &now) != 0 ||
        now.st_dev != m_status.st_dev || now.st_ino != m_status.st_ino ||
        now.st_size < m_status.st_size || now.st_size % static_cast<off_t>(kLength) != 0) {
        return EHolds::kNo;
    }
    const std::uint64_t size = ReadSize();
    const std::uint64_t from = std::max(m_at, size > kTailChecked ? size - kTailChecked : 0);
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    if (!tail.empty() &&
        (!CFileSystem::ReadAt(fd, from, tail.data(), tail.size()) ||
         std::string_view(m_region).substr(static_cast<std::size_t>(from - m_at)) != tail)) {
        return EHolds::kNo;
    }
    return SameFile(now, m_status) ? EHolds::kYes : EHolds::kGrown;
}

}  // namespace stampwell
