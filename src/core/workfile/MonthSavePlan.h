#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "workfile/MonthEdit.h"
#include "workfile/MonthIndex.h"
#include "workfile/MonthRewrite.h"
#include "workfile/WorkGeneration.h"
#include "workfile/WorkJournal.h"

namespace stampwell {

// A month save worked out before the work file's lock is taken, so that every clock's tap waits
// only while the file itself is written: the part of the file from the month's first record on,
// read once, what it becomes, and its journal written ahead. Under the lock it stands only when
// the file is still as it was read: no change in place counted (CWorkGeneration), the same
// file, size and modification time, and the same last bytes; otherwise the save reads again
// under the lock, as without a plan.
class CMonthSavePlan {
public:
    // Nothing when the file has no month index yet, or changed while it was read.
    static std::optional<CMonthSavePlan> Make(const std::filesystem::path& work,
                                              const CMonthEdit& edit, const std::string& name,
                                              int monthNumber,
                                              const std::vector<CMonthEdit::Change>& changes);

    // fd is the work file opened under its lock. kGrown: only records were appended since (a
    // tap meanwhile): what was read stands and the appended part is read too, but the journal
    // written ahead no longer fits.
    enum class EHolds { kYes, kGrown, kNo };
    EHolds StillHolds(const std::filesystem::path& work, int fd) const;
    std::uint64_t ReadSize() const { return m_at + m_region.size(); }

    std::uint64_t At() const { return m_at; }
    std::string& Region() { return m_region; }
    CMonthRewrite& Rewrite() { return m_rewrite; }
    std::optional<CMonthIndex::CBuilder>& Kept() { return m_kept; }
    // The journal written ahead, when there is anything to write.
    std::optional<CWorkJournal::CAhead>& Ahead() { return m_ahead; }

    // The part of the file's end compared again under the lock: where the records of the day
    // are (an overwrite by a program that does not count its changes lands there).
    static constexpr std::uint64_t kTailChecked = 64 * 1024;

private:
    CMonthSavePlan() = default;

    CWorkGeneration::Stamp m_stamp;
    struct stat m_status {};
    std::uint64_t m_at = 0;
    std::string m_region;
    std::optional<CMonthIndex::CBuilder> m_kept;
    CMonthRewrite m_rewrite;
    std::optional<CWorkJournal::CAhead> m_ahead;
};

}  // namespace stampwell
