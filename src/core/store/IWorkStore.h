#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Runtime.h"
#include "trail/EditLog.h"
#include "workfile/IStampSide.h"
#include "workfile/MonthStore.h"
#include "workfile/WorkDayRecord.h"
#include "workfile/WorkRecordTable.h"

namespace stampwell {

class ISettings;

// The office's work records as stored, whatever keeps them: a tap's decision and its record,
// today's history, one person's month with its corrections and their trail, a pay period's
// records, the backup and the export. The clock, the screens, the reports and the command line
// reach the records only through this face. One object is used by one thread at a time; Twin
// gives another for a job on another thread.
class IWorkStore {
public:
    // What CheckToday did itself (room mode records the tap in the check).
    static constexpr int EntryRecorded = -666;
    static constexpr int ExitRecorded = -777;
    static constexpr int WriteFailed = -888;
    static constexpr int TooSoon = -999;

    using CellChange = CMonthStore::CellChange;
    using CellConflict = CMonthStore::CellConflict;
    using ESaveOutcome = CMonthStore::ESaveOutcome;
    using TrailEntry = CEditLog::Entry;
    using ETrailState = CEditLog::EState;
    // The side words of a save's own lines in the trail (beside 出社/退社 of a changed time).
    static constexpr const char* kTrailSaveStarted = CEditLog::kSaveStarted;
    static constexpr const char* kTrailSaveDone = CEditLog::kSaveDone;
    static constexpr const char* kTrailSaveFailed = CEditLog::kSaveFailed;
    // Whether a text can go into the trail (a reason): no comma or line break, a CP932 form.
    static bool IsTrailStorable(const std::string& text) { return CEditLog::IsStorable(text); }

    // The trail lines a month's correction leaves: when and by whom, why, and the words of the
    // two sides ("出社"/"退社", "入室"/"退室").
    struct TrailMark {
        std::string when, admin, reason, startWord, endWord;
    };
    struct NumberedLine {
        std::size_t number;
        std::string text;
    };
    // Keeps today's records to this tap from its decision to its write.
    class CHold {
    public:
        virtual ~CHold() = default;
    };

    virtual ~IWorkStore() = default;

    virtual void SetSettings(std::shared_ptr<const ISettings> settings) = 0;
    virtual const CRuntime& Runtime() const = 0;
    // The clock's own data folder.
    virtual const std::filesystem::path& DataDir() const = 0;
    // Non-owning; nullptr returns to the built-in source that always answers start.
    virtual void SetStampSide(const IStampSide* side) = 0;
    virtual int GetMode() const = 0;

    // A tap: the card's name and moment, the check of today (a record number to overwrite after
    // the question, 0 for a new record, or one of the results above), then the record.
    virtual const std::string& GetName() const = 0;
    virtual bool SetStamp(const std::string& name) = 0;
    virtual bool SetStamp(const std::string& name, std::int64_t at) = 0;
    virtual int CheckToday() = 0;
    virtual bool RegisterStamp() = 0;
    virtual bool OverwriteRecord(int recordNumber) = 0;
    virtual std::unique_ptr<CHold> HoldToday() = 0;
    virtual std::string MakeResultText(int kind) const = 0;
    virtual void ListToday(std::vector<std::string>& lines) = 0;
    virtual std::string StampDateText() const = 0;
    virtual std::string StampTimeText() const = 0;
    // Today's working day "YYYY/MM/DD" by the clock.
    virtual std::string TodayText() const = 0;
    // Whether the records cannot be reached now and taps wait beside the clock.
    virtual bool IsUsingTemporary() const = 0;
    // Where the records are kept and where taps wait meanwhile, for messages.
    virtual std::string Where() const = 0;
    virtual std::string WaitingWhere() const = 0;

    // One person's calendar month (days[d - 1] is day d; leadIn the six days before the 1st).
    // False when the records cannot be read.
    virtual bool LoadMonth(const std::string& name, int year, int month,
                           std::vector<WorkDayRecord>& days,
                           std::vector<WorkDayRecord>* leadIn = nullptr) = 0;
    // Writes the changed times of one person's month over the times stored now, and with trail
    // the trail's lines, all or nothing: the trail holds every change that was stored and says
    // which were not. A time changed by someone else since it was loaded (before differs) is
    // not overwritten: nothing is written and conflicts lists them. trailFailed: the trail
    // could not be written, so neither was the month.
    virtual ESaveOutcome SaveMonth(const std::string& name, int year, int month,
                                   const std::vector<CellChange>& changes,
                                   std::vector<CellConflict>* conflicts = nullptr,
                                   const TrailMark* trail = nullptr,
                                   bool* trailFailed = nullptr) = 0;
    // Every change and failure line of the trail, oldest first, each with the state of its save.
    // False when the trail cannot be read.
    virtual bool ForEachTrailEntry(const std::function<void(const TrailEntry&)>& visit) = 0;

    // From now on the lists, the period's records and the export hold only the records tapped
    // at that site (拠点); empty for all. False when the store keeps no sites or knows no such
    // site (nothing changes then).
    virtual bool SelectSite(const std::string& site) = 0;
    // Every record of the days first to last (date numbers), one person's when onlyName is
    // given, merged per person and day in date order. False when not every record was read.
    virtual bool CollectRange(int first, int last, const std::string& onlyName,
                              WorkRecordTable& table) = 0;
    // Every record line in stored order with its number (while the records cannot be reached,
    // the waiting ones). visit returns false to stop.
    virtual bool ForEachRecord(bool todayOnly,
                               const std::function<bool(const NumberedLine&)>& visit) = 0;

    // A copy of the records where the backup setting says; true when there was nothing to do.
    virtual bool Backup() = 0;
    // The pay period's CSV.
    virtual void SetExportYear(int year) = 0;
    virtual void SetExportMonth(int month) = 0;
    virtual void SetExportClosing(int index) = 0;
    virtual void SetExportPath(std::string path) = 0;
    virtual bool Export() = 0;
    virtual const std::string& LastExportError() const = 0;
    // Whether path names a file this program keeps (never a place to write an export to).
    virtual bool IsStoredFile(const std::filesystem::path& path) const = 0;

    virtual std::shared_ptr<IWorkStore> Twin() const = 0;
};

}  // namespace stampwell
