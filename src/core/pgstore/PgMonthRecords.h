#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "pgstore/PgConnection.h"
#include "store/IWorkStore.h"

namespace stampwell {

// One person's month of work records in the company database, for the record edit screen: read
// as the work file's lines would be, and saved with its trail lines in one transaction.
class CPgMonthRecords {
public:
    // days[d - 1] is day d; leadIn the six days before the 1st. False when not read.
    static bool Load(CPgConnection& connection, const std::string& name, int year, int month,
                     std::vector<WorkDayRecord>& days, std::vector<WorkDayRecord>* leadIn);
    // Each change goes over the time stored now, under the locks of the days it changes (the
    // same a tap takes) waiting at most wait; a time changed since it was loaded is a conflict
    // and nothing is written. The trail's lines go in the same transaction: when they cannot be
    // written, trailFailed is told and nothing is stored. why says a failure.
    static IWorkStore::ESaveOutcome Save(CPgConnection& connection, const std::string& name,
                                         int year, int month,
                                         const std::vector<IWorkStore::CellChange>& changes,
                                         std::vector<IWorkStore::CellConflict>* conflicts,
                                         const IWorkStore::TrailMark* trail,
                                         std::chrono::milliseconds wait, bool* trailFailed,
                                         std::string& why);
    static bool ForEachTrailEntry(CPgConnection& connection,
                                  const std::function<void(const IWorkStore::TrailEntry&)>& visit);
};

}  // namespace stampwell
