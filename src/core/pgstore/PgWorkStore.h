#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "pgstore/PgSession.h"
#include "pgstore/PgTap.h"
#include "pgstore/PgWorkRows.h"
#include "store/IWorkStore.h"

namespace stampwell {

// The work records in the company database. A tap is decided and written under a lock of that
// person's working day held in the database (so clocks tapping one card at once leave what one
// clock would), and each write carries the tap's id, so a tap sent again adds nothing. A month's
// correction and its trail lines are one transaction. The lists and the export read the rows in
// the order they were recorded, as the work file's lines.
class CPgWorkStore : public IWorkStore {
public:
    // site: the clock's site (拠点), kept with each tap; empty for none.
    CPgWorkStore(CRuntime runtime, std::string conninfo, std::string site);

    void SetSettings(std::shared_ptr<const ISettings> settings) override;
    const CRuntime& Runtime() const override { return m_runtime; }
    const std::filesystem::path& DataDir() const override { return m_runtime.DataDir(); }
    void SetStampSide(const IStampSide* side) override { m_stampSide = side; }
    int GetMode() const override { return m_mode; }

    const std::string& GetName() const override { return m_name; }
    bool SetStamp(const std::string& name) override;
    bool SetStamp(const std::string& name, std::int64_t at) override;
    int CheckToday() override;
    bool RegisterStamp() override;
    bool OverwriteRecord(int recordNumber) override;
    std::unique_ptr<CHold> HoldToday() override;
    std::string MakeResultText(int kind) const override;
    void ListToday(std::vector<std::string>& lines) override;
    std::string StampDateText() const override;
    std::string StampTimeText() const override;
    std::string TodayText() const override;
    // Whether the database did not answer and taps wait beside the clock.
    bool IsUsingTemporary() const override { return m_tap.IsAway(); }
    std::string Where() const override;
    std::string WaitingWhere() const override;

    bool LoadMonth(const std::string& name, int year, int month, std::vector<WorkDayRecord>& days,
                   std::vector<WorkDayRecord>* leadIn) override;
    ESaveOutcome SaveMonth(const std::string& name, int year, int month,
                           const std::vector<CellChange>& changes,
                           std::vector<CellConflict>* conflicts, const TrailMark* trail,
                           bool* trailFailed) override;
    bool ForEachTrailEntry(const std::function<void(const TrailEntry&)>& visit) override;

    bool SelectSite(const std::string& site) override;
    bool CollectRange(int first, int last, const std::string& onlyName,
                      WorkRecordTable& table) override;
    bool ForEachRecord(bool todayOnly,
                       const std::function<bool(const NumberedLine&)>& visit) override;

    bool Backup() override;
    void SetExportYear(int year) override { m_exportYear = year; }
    void SetExportMonth(int month) override { m_exportMonth = month; }
    void SetExportClosing(int index) override { m_exportClosing = index; }
    void SetExportPath(std::string path) override { m_exportPath = std::move(path); }
    bool Export() override;
    const std::string& LastExportError() const override { return m_exportError; }
    bool IsStoredFile(const std::filesystem::path& path) const override;

    std::shared_ptr<IWorkStore> Twin() const override;

    // How long an administrator's screen waits for the database (it runs off the window).
    static constexpr std::chrono::milliseconds kScreenWait{30000};

private:
    class CDayHold;
    bool IsEndSide() const;
    int DayChangeHour() const;
    CPgTap::Stamp CurrentStamp() const;
    // The connection for a screen's work, or nothing after the reason was said and logged.
    CPgConnection* Connect(const char* doing);
    CPgConnection* ScreenConnection(std::string& why);
    bool Append(int side);
    // filter narrowed to the selected site, its value added to values.
    std::string OfSite(std::string filter, std::vector<std::string>& values) const;

    CRuntime m_runtime;
    std::string m_site;
    std::string m_onlySite;
    std::string m_onlySiteId;
    CPgSession m_session;
    int m_mode = 1;
    CPgTap m_tap;
    std::shared_ptr<const ISettings> m_settings;
    const IStampSide* m_stampSide = nullptr;
    std::string m_name;
    std::int64_t m_stampTime = 0;
    std::string m_tapId;
    int m_exportYear = 0;
    int m_exportMonth = 0;
    int m_exportClosing = 0;
    std::string m_exportPath;
    std::string m_exportError;
};

}  // namespace stampwell
