#include "workfile/MonthRewrite.h"

#include <algorithm>

#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

CMonthRewrite CMonthRewrite::Work(const CMonthEdit& edit, const std::string& name,
                                  std::string_view region,
                                  const std::vector<CMonthEdit::Change>& changes) {
    CMonthRewrite rewrite;
    const std::vector<WorkDayRecord> onDisk = edit.Read(region, name);
    rewrite.m_applied = changes;
    for (auto& change : rewrite.m_applied) {
        if (change.day < 1 || change.day > static_cast<int>(onDisk.size())) return rewrite;
        const auto& day = onDisk[static_cast<std::size_t>(change.day - 1)];
        const std::string& disk = change.side == 0 ? day.start : day.end;
        if (disk != change.before) {
            rewrite.m_conflicts.push_back(
                {change.day, change.side, change.before, disk, change.after});
        }
        change.before = disk;
    }
    if (!rewrite.m_conflicts.empty()) {
        rewrite.m_outcome = EOutcome::kConflict;
        return rewrite;
    }
    auto out = edit.Apply(region, rewrite.m_applied);
    if (!out) return rewrite;
    rewrite.m_out = std::move(*out);
    const std::string_view now(rewrite.m_out);
    // Only the blocks from the first that changed (to the last, when none moved).
    std::size_t same = 0;
    const std::size_t shorter = std::min(region.size(), now.size());
    while (same + kLength <= shorter &&
           region.compare(same, kLength, now.substr(same, kLength)) == 0) {
        same += kLength;
    }
    std::size_t sameEnd = 0;
    if (region.size() == now.size()) {
        while (sameEnd + kLength <= now.size() - same &&
               region.compare(region.size() - sameEnd - kLength, kLength,
                              now.substr(now.size() - sameEnd - kLength, kLength)) == 0) {
            sameEnd += kLength;
        }
    }
    rewrite.m_same = same;
    rewrite.m_sameEnd = sameEnd;
    rewrite.m_outcome = EOutcome::kReady;
    return rewrite;
}

std::string_view CMonthRewrite::Changed() const {
    return std::string_view(m_out).substr(m_same, m_out.size() - m_same - m_sameEnd);
}

bool CMonthRewrite::IsSame(std::size_t regionSize) const {
    return Changed().empty() && regionSize == m_out.size();
}

}  // namespace stampwell
