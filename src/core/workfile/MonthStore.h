#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "workfile/MonthEdit.h"
#include "workfile/MonthRewrite.h"
#include "workfile/MonthSavePlan.h"
#include "workfile/WorkDayRecord.h"
#include "workfile/WorkJournal.h"

namespace stampwell {

// One person's calendar month in the work file, for the record edit screen: read, and saved by
// writing only the changed times. Both go through the month index (CMonthIndex): a month is
// read from its own ranges and a save rewrites the file from the month's first record on,
// through the journal (CWorkJournal). The caller holds the work file's locks and has checked
// that its folder is there (CWorkReport).
class CMonthStore {
public:
    using CellChange = CMonthEdit::Change;
    using CellConflict = CMonthRewrite::Conflict;
    enum class ESaveOutcome { kSaved, kConflict, kUnreachable, kBusy, kNoSpace, kFailed };
    struct SaveHooks {
        // Sees the changes before the file is replaced (their `before` is the value on disk
        // then); false stops the save.
        std::function<bool(const std::vector<CellChange>&)> beforeReplace;
        std::function<void()> replaceFailed;
        std::function<void()> replaced;
        // The crash tests' points inside the rewrite.
        CWorkJournal::StepHook step;
        // Told once the work file's lock is held (everything after holds it) and, before,
        // once the save was worked out and its journal written ahead of the lock.
        std::function<void()> locked;
        std::function<void()> prepared;
    };

    // days[d - 1] holds day d's start and end; leadIn, when given, the six days before the 1st
    // (in date order), read in the same pass. False when the file cannot be read to its end.
    // keepIndex: the work file's lock is held, so the month index may be written.
    static bool Load(const std::filesystem::path& work, const std::string& cp932Name,
                     const std::string& name, int year, int month, std::vector<WorkDayRecord>& days,
                     std::vector<WorkDayRecord>* leadIn = nullptr, bool keepIndex = true);
    // Not under the lock: reads and works out the save ahead (nothing when the file does not
    // allow it; Save then does all of it under the lock).
    static std::optional<CMonthSavePlan> Plan(const std::filesystem::path& work,
                                              const std::string& cp932Name, const std::string& name,
                                              int year, int month,
                                              const std::vector<CellChange>& changes);
    // The file is read again (unless the plan still holds), each change goes over the value on
    // disk; conflicts when a value on disk is not the one a change was made over (nothing
    // written then). hooks.replaceFailed is told when the replace failed.
    static ESaveOutcome Save(const std::filesystem::path& work, const std::string& cp932Name,
                             const std::string& name, int year, int month,
                             const std::vector<CellChange>& changes,
                             std::vector<CellConflict>* conflicts, const SaveHooks& hooks,
                             CMonthSavePlan* plan = nullptr);

    // Records added past the month index before a read writes it again.
    static constexpr std::uint64_t kIndexTailLimit = 64 * 1024;
};

}  // namespace stampwell
