#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "recording/MonthEdit.h"
#include "recording/WorkDayRecord.h"

namespace stampwell {

// One person's calendar month in the work file, for the record edit screen: read, and saved by
// writing only the changed times. The caller holds the work file's locks and has checked that
// its folder is there (CWorkReport).
class CMonthStore {
public:
    using CellChange = CMonthEdit::Change;
    // A changed time whose value on disk is no longer the one the change was made over.
    struct CellConflict {
        int day = 0;
        int side = 0;
        std::string loaded, onDisk, typed;
    };
    enum class ESaveOutcome { kSaved, kConflict, kUnreachable, kBusy, kNoSpace, kFailed };
    struct SaveHooks {
        // Sees the changes before the file is replaced (their `before` is the value on disk
        // then); false stops the save.
        std::function<bool(const std::vector<CellChange>&)> beforeReplace;
        std::function<void()> replaceFailed;
        std::function<void()> replaced;
    };

    // days[d - 1] holds day d's start and end; leadIn, when given, the six days before the 1st
    // (in date order), read in the same pass. False when the file cannot be read to its end.
    static bool Load(const std::filesystem::path& work, const std::string& cp932Name,
                     const std::string& name, int year, int month, std::vector<WorkDayRecord>& days,
                     std::vector<WorkDayRecord>* leadIn = nullptr);
    // The file is read again, each change goes over the value on disk; conflicts when a value
    // on disk is not the one a change was made over (nothing written then). errorLogged is told
    // when the replace failed.
    static ESaveOutcome Save(const std::filesystem::path& work, const std::string& cp932Name,
                             const std::string& name, int year, int month,
                             const std::vector<CellChange>& changes,
                             std::vector<CellConflict>* conflicts, const SaveHooks& hooks);
};

}  // namespace stampwell
