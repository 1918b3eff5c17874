#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/IStampSide.h"
#include "platform/Runtime.h"
#include "recording/WorkRecordTable.h"

namespace stampwell {

class ISettings;
class CFileLock;

// The work file KINTAI.dat: one enciphered 51-byte line per clock-in/out or room entry/exit.
// Decides what a tap means for today, writes it durably, lists today's history, keeps the
// temporary file for when the work folder is unreachable, loads and saves the whole file for the
// edit screen, backs it up and exports a pay period. Several processes may share one work file:
// each operation holds an advisory lock on "TemporaryRecord.dat.lock" in the data folder and,
// while the work folder is reachable, on "<work file>.lock", always in that order.
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
    // Non-owning; nullptr returns to the built-in source that always answers start.
    void SetStampSide(const IStampSide* side);
    int GetMode() const { return m_mode; }
    const std::string& GetName() const { return m_name; }

    // Today's decisions.
    bool SetStamp(const std::string& name);
    int CheckToday();
    bool RegisterStamp();
    bool AppendRecord(int side);
    bool OverwriteRecord(int recordNumber);
    std::string MakeResultText(int kind) const;
    void ListToday(std::vector<std::string>& lines);

    // The working-day rule.
    std::string StampDateText() const;
    std::string StampTimeText() const;
    bool IsToday(const std::string& dateText) const;
    static int DateNumber(const std::string& dateText);

    // The temporary file.
    void CheckWorkFolder();
    bool IsUsingTemporary() const { return m_usingTemporary; }
    bool RegistTemp();
    std::filesystem::path ResolveWorkFilePath() const;
    std::filesystem::path TemporaryFilePath() const;

    // Whole-file access for the record edit screen. LoadTable is false when a work file that
    // exists cannot be read to its end; SaveTable then refuses, so a bad read never replaces
    // the records.
    bool LoadTable(WorkRecordTable& table);
    bool SaveTable(const WorkRecordTable& table);

    // One person's calendar month, for the record edit screen: days[d - 1] holds day d's start
    // and end (empty when none). False when the work file exists but cannot be read, or the
    // work folder cannot be reached.
    bool LoadMonth(const std::string& name, int year, int month, std::vector<WorkDayRecord>& days);
    // One changed time of a month save.
    struct CellChange {
        int day = 0;
        int side = 0;  // 0 start, 1 end
        std::string before, after;
    };
    // Writes one person's month back: under the lock, the work file is read again and only the
    // days that differ between `loaded` and `edited` are replaced (their blocks in place of the
    // first old one); every other record, also taps made meanwhile, stays as it is on disk.
    // beforeReplace sees the changes under the lock before the file is replaced, and may stop the
    // save; replaceFailed is told when the replace then fails.
    bool SaveMonth(const std::string& name, int year, int month,
                   const std::vector<WorkDayRecord>& loaded,
                   const std::vector<WorkDayRecord>& edited,
                   const std::function<bool(const std::vector<CellChange>&)>& beforeReplace = {},
                   const std::function<void()>& replaceFailed = {});
    static int DaysInMonth(int year, int month);
    // Every record of the export's pay period (one person's when onlyName is given) merged per
    // person and day, in date order. False when the work file cannot be read to its end.
    bool CollectPeriod(int year, int month, int closing, const std::string& onlyName,
                       WorkRecordTable& table);

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
    // Whether path names the work file, its backup, the temporary file or another file kept
    // in the data folder, after resolving links.
    bool IsStoredFile(const std::filesystem::path& path) const;
    bool IsOutsidePeriod(const std::string& dateText) const;

    // Every record line in file order with its number (for listings).
    struct NumberedLine {
        std::size_t number;
        std::string text;
    };
    // While the work folder cannot be reached, the records waiting in the temporary file.
    std::vector<NumberedLine> ListRecords(bool todayOnly);

private:
    class CLockScope;
    void TakeWorkLock();
    bool IsEndSide() const;
    std::filesystem::path TargetPath() const;
    std::string ShiftedDate(std::int64_t time) const;
    bool WriteLine(const std::filesystem::path& path, int side, std::optional<int> overwrite);
    bool CutTornTail(const std::filesystem::path& path);
    void ShowPathMessage() const;

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
    // How far the work file reached when LoadTable read it: SaveTable keeps what was appended
    // after that.
    std::optional<std::uintmax_t> m_loadedSize;
    std::filesystem::path m_loadedPath;
    bool m_loadFailed = false;
    std::unique_ptr<CFileLock> m_dataLock;
    std::unique_ptr<CFileLock> m_workLock;
    int m_lockDepth = 0;
};

std::shared_ptr<CWorkReport> CreateWorkReport(const CRuntime& runtime);

}  // namespace stampwell
