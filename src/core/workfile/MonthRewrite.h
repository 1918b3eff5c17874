#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "workfile/MonthEdit.h"

namespace stampwell {

// What a month save makes of the part of the work file it read (from the month's first record
// to the end): each change put over the value on disk, the conflicts when a value on disk is no
// longer the one a change was made over, and the new bytes with the part that differs.
class CMonthRewrite {
public:
    // A changed time whose value on disk is no longer the one the change was made over.
    struct Conflict {
        int day = 0;
        int side = 0;
        std::string loaded, onDisk, typed;
    };
    enum class EOutcome { kReady, kConflict, kFailed };

    static CMonthRewrite Work(const CMonthEdit& edit, const std::string& name,
                              std::string_view region,
                              const std::vector<CMonthEdit::Change>& changes);

    EOutcome Outcome() const { return m_outcome; }
    // The changes with `before` as on disk.
    const std::vector<CMonthEdit::Change>& Applied() const { return m_applied; }
    std::vector<Conflict>& Conflicts() { return m_conflicts; }
    // The whole new part, and the bytes of it from the first block that changed (to the last,
    // when nothing moved); Skipped() bytes before them are as they were.
    const std::string& Out() const { return m_out; }
    std::string_view Changed() const;
    std::size_t Skipped() const { return m_same; }
    // Nothing to write: every block is as it was.
    bool IsSame(std::size_t regionSize) const;

private:
    EOutcome m_outcome = EOutcome::kFailed;
    std::vector<CMonthEdit::Change> m_applied;
    std::vector<Conflict> m_conflicts;
    std::string m_out;
    std::size_t m_same = 0, m_sameEnd = 0;
};

}  // namespace stampwell
