#pragma once

#include <memory>

#include "store/IWorkStore.h"
#include "workfile/WorkReport.h"

namespace stampwell {

// The work records as the folder of files keeps them: KINTAI.dat with its side files and locks
// (CWorkReport), the temporary file beside the clock, and the trail EditLog.txt beside the work
// file, whose batch is on disk before the work file changes and is settled against it after a
// crash (CTrailSettlement).
class CFolderWorkStore : public IWorkStore {
public:
    explicit CFolderWorkStore(std::shared_ptr<CWorkReport> report);
    // A view of a work record object that outlives it (the tests of the folder store's files).
    explicit CFolderWorkStore(CWorkReport& report);

    void SetSettings(std::shared_ptr<const ISettings> settings) override;
    const CRuntime& Runtime() const override { return m_report->Runtime(); }
    const std::filesystem::path& DataDir() const override { return m_report->DataDir(); }
    void SetStampSide(const IStampSide* side) override { m_report->SetStampSide(side); }
    int GetMode() const override { return m_report->GetMode(); }

    const std::string& GetName() const override { return m_report->GetName(); }
    bool SetStamp(const std::string& name) override { return m_report->SetStamp(name); }
    bool SetStamp(const std::string& name, std::int64_t at) override {
        return m_report->SetStamp(name, at);
    }
    int CheckToday() override { return m_report->CheckToday(); }
    bool RegisterStamp() override { return m_report->RegisterStamp(); }
    bool OverwriteRecord(int recordNumber) override {
        return m_report->OverwriteRecord(recordNumber);
    }
    std::unique_ptr<CHold> HoldToday() override;
    std::string MakeResultText(int kind) const override { return m_report->MakeResultText(kind); }
    void ListToday(std::vector<std::string>& lines) override { m_report->ListToday(lines); }
    std::string StampDateText() const override { return m_report->StampDateText(); }
    std::string StampTimeText() const override { return m_report->StampTimeText(); }
    std::string TodayText() const override { return m_report->TodayText(); }
    bool IsUsingTemporary() const override { return m_report->IsUsingTemporary(); }
    std::string Where() const override;
    std::string WaitingWhere() const override;

    bool LoadMonth(const std::string& name, int year, int month, std::vector<WorkDayRecord>& days,
                   std::vector<WorkDayRecord>* leadIn) override {
        return m_report->LoadMonth(name, year, month, days, leadIn);
    }
    ESaveOutcome SaveMonth(const std::string& name, int year, int month,
                           const std::vector<CellChange>& changes,
                           std::vector<CellConflict>* conflicts, const TrailMark* trail,
                           bool* trailFailed) override;
    bool ForEachTrailEntry(const std::function<void(const TrailEntry&)>& visit) override;

    // A folder keeps no sites.
    bool SelectSite(const std::string& site) override { return site.empty(); }
    bool CollectRange(int first, int last, const std::string& onlyName,
                      WorkRecordTable& table) override {
        return m_report->CollectRange(first, last, onlyName, table);
    }
    bool ForEachRecord(bool todayOnly,
                       const std::function<bool(const NumberedLine&)>& visit) override;

    bool Backup() override { return m_report->Backup(); }
    void SetExportYear(int year) override { m_report->SetExportYear(year); }
    void SetExportMonth(int month) override { m_report->SetExportMonth(month); }
    void SetExportClosing(int index) override { m_report->SetExportClosing(index); }
    void SetExportPath(std::string path) override { m_report->SetExportPath(std::move(path)); }
    bool Export() override { return m_report->Export(); }
    const std::string& LastExportError() const override { return m_report->LastExportError(); }
    bool IsStoredFile(const std::filesystem::path& path) const override {
        return m_report->IsStoredFile(path);
    }

    std::shared_ptr<IWorkStore> Twin() const override;

private:
    CEditLog Trail() const;

    std::shared_ptr<CWorkReport> m_report;
};

}  // namespace stampwell
