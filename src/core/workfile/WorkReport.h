#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Runtime.h"
#include "workfile/IStampSide.h"
#include "workfile/MonthStore.h"
#include "workfile/RecordTableFile.h"
#include "workfile/TodayReader.h"
#include "workfile/WorkLocks.h"
#include "workfile/WorkRecordTable.h"

namespace stampwell {

class ISettings;

// The work file KINTAI.dat: one enciphered 51-byte line per clock-in/out or room entry/exit.
// Decides what a tap means for today, writes it durably, lists today's history, keeps the
// temporary file for when the work folder is unreachable, and is the face of the whole-file
// work (the month of the edit screen, the record table, the backup and the export). Several
// processes may share one work file: every operation holds the locks of CWorkLocks. A tap reads
// today's records only (CTodayIndex).
class CWorkReport {
public:
    enum ECheckResult {
        EntryRecorded = -666,
        ExitRecorded = -777,
        WriteFailed = -888,
        TooSoon = -999
    };

    explicit CWorkReport(CRuntime runtime);
    ~CWorkReport();
    CWorkReport(const CWorkReport&) = delete;
    CWorkReport& operator=(const CWorkReport&) = delete;

    void SetSettings(std::shared_ptr<const ISettings> settings);
    const CRuntime& Runtime() const { return m_runtime; }
    const std::shared_ptr<const ISettings>& Settings() const { return m_settings; }
    // Non-owning; nullptr returns to the built-in source that always answers start.
    void SetStampSide(const IStampSide* side);
    int GetMode() const { return m_mode; }
    const std::filesystem::path& DataDir() const;
    const std::string& GetName() const { return m_name; }

    // Today's decisions.
    bool SetStamp(const std::string& name);
    // The same for a card read at `at` (a tap whose file work runs later, off the window).
    bool SetStamp(const std::string& name, std::int64_t at);
    int CheckToday();
    bool RegisterStamp();
    bool AppendRecord(int side);
    // Overwrites today's record that CheckToday found as number n. Under the lock the record is
    // read again: when another clock's save or move shifted it, the same person's record of
    // today and that side is looked up again, and appended when there is none any more; no
    // other block is ever written.
    bool OverwriteRecord(int recordNumber);
    std::string MakeResultText(int kind) const;
    void ListToday(std::vector<std::string>& lines);

    // The working-day rule.
    std::string StampDateText() const;
    std::string StampTimeText() const;
    bool IsToday(const std::string& dateText) const;
    // Today's working day "YYYY/MM/DD" by the clock.
    std::string TodayText() const;
    static int DateNumber(const std::string& dateText);

    // The temporary file.
    void CheckWorkFolder();
    bool IsUsingTemporary() const { return m_usingTemporary; }
    bool RegistTemp();
    std::filesystem::path ResolveWorkFilePath() const;
    std::filesystem::path TemporaryFilePath() const;

    // Whole-file access for the record table. LoadTable is false when a work file that exists
    // cannot be read to its end; SaveTable then refuses, so a bad read never replaces records.
    bool LoadTable(WorkRecordTable& table);
    bool SaveTable(const WorkRecordTable& table);

    // One person's calendar month, for the record edit screen: days[d - 1] holds day d's start
    // and end (empty when none); leadIn the six days before the 1st (for the payroll figures of
    // the month's first week). False when the work file exists but cannot be read, or the
    // work folder cannot be reached.
    bool LoadMonth(const std::string& name, int year, int month, std::vector<WorkDayRecord>& days,
                   std::vector<WorkDayRecord>* leadIn = nullptr);
    using CellChange = CMonthStore::CellChange;
    using CellConflict = CMonthStore::CellConflict;
    using ESaveOutcome = CMonthStore::ESaveOutcome;
    using SaveHooks = CMonthStore::SaveHooks;
    // Writes the changed times of one person's month and nothing else: under the lock the file
    // is read again, and each change goes over the value on disk. When a time was changed on
    // disk since it was loaded (before differs), nothing is written and conflicts lists them.
    ESaveOutcome SaveMonth(const std::string& name, int year, int month,
                           const std::vector<CellChange>& changes,
                           std::vector<CellConflict>* conflicts = nullptr,
                           const SaveHooks& hooks = {});
    static int DaysInMonth(int year, int month);
    // Runs work under the work file's locks (for the correction trail). False when the locks
    // were refused.
    bool RunLocked(const std::function<bool()>& work);
    // Every record of the export's pay period (one person's when onlyName is given) merged per
    // person and day, in date order. False when the work file cannot be read to its end.
    bool CollectPeriod(int year, int month, int closing, const std::string& onlyName,
                       WorkRecordTable& table);
    // The same for the days from first to last (date numbers).
    bool CollectRange(int first, int last, const std::string& onlyName, WorkRecordTable& table);

    // Copies the work file to the backup path when the backup switch is on. True when there was
    // nothing to do or the copy replaced the backup.
    bool Backup();

    // The pay-period export.
    void SetExportYear(int year) { m_exportYear = year; }
    void SetExportMonth(int month) { m_exportMonth = month; }
    void SetExportClosing(int index) { m_exportClosing = index; }
    void SetExportPath(std::string path) { m_exportPath = std::move(path); }
    // False on any failed write (the previous file stays) or a refused destination; the reason
    // is then in LastExportError (the no-data case shows its message instead).
    bool Export();
    const std::string& LastExportError() const { return m_exportError; }
    // Whether path names a file Stampwell keeps (CStoredFiles), after resolving links.
    bool IsStoredFile(const std::filesystem::path& path) const;
    bool IsOutsidePeriod(const std::string& dateText) const;

    // Every record line in file order with its number (for listings); while the work folder
    // cannot be reached, the records waiting in the temporary file. visit returns false to stop.
    struct NumberedLine {
        std::size_t number;
        std::string text;
    };
    bool ForEachRecord(bool todayOnly, const std::function<bool(const NumberedLine&)>& visit);
    std::vector<NumberedLine> ListRecords(bool todayOnly);

    // The locks held across several operations: a tap holds them from its decision to its write.
    using CLockScope = CWorkLocks::CScope;
    std::unique_ptr<CLockScope> HoldLocks();

private:
    bool IsEndSide() const;
    std::filesystem::path TargetPath() const;
    int DayChangeHour() const;
    int TodayNumber() const;
    // Today's records as the decision sees them (CTodayReader).
    CTodayReader Today() const;
    bool ForEachToday(const std::function<bool(std::size_t, std::string_view)>& visit);
    bool WriteLine(const std::filesystem::path& path, int side, std::optional<int> overwrite);
    bool CutTornTail(const std::filesystem::path& path);
    void NoteTornTail() const;
    // Today's records as the work file has them now, for the decisions while it is away.
    void RefreshDayCache();
    // Something not ours at a side file's name is never used; the log says so once a run.
    void NoteForeignIndex();

    CRuntime m_runtime;
    std::shared_ptr<const ISettings> m_settings;
    const IStampSide* m_stampSide = nullptr;
    std::string m_name;
    std::int64_t m_stampTime = 0;
    int m_mode = 1;
    int m_exportYear = 0;
    int m_exportMonth = 0;
    int m_exportClosing = 0;
    std::string m_exportPath;
    std::string m_exportError;
    bool m_usingTemporary = false;
    unsigned m_foreignSaid = 0;  // which side files were said to be foreign
    CRecordTableFile m_table;
    CWorkLocks m_locks;
};

std::shared_ptr<CWorkReport> CreateWorkReport(const CRuntime& runtime);
// Another work record object on the same files and settings, for a job on another thread (a
// CWorkReport is used by one thread at a time).
std::shared_ptr<CWorkReport> TwinOf(const CWorkReport& report);

}  // namespace stampwell
