#include "folderstore/FolderWorkStore.h"

#include <cstdio>
#include <set>

#include "folderstore/TrailSettlement.h"

namespace stampwell {

static_assert(IWorkStore::EntryRecorded == CWorkReport::EntryRecorded &&
              IWorkStore::ExitRecorded == CWorkReport::ExitRecorded &&
              IWorkStore::WriteFailed == CWorkReport::WriteFailed &&
              IWorkStore::TooSoon == CWorkReport::TooSoon);

namespace {

struct CFolderHold : IWorkStore::CHold {
    explicit CFolderHold(std::unique_ptr<CWorkReport::CLockScope> scope)
        : locks(std::move(scope)) {}
    std::unique_ptr<CWorkReport::CLockScope> locks;
};

std::string DayText(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
    return text;
}

}  // namespace

CFolderWorkStore::CFolderWorkStore(std::shared_ptr<CWorkReport> report)
    : m_report(std::move(report)) {}

CFolderWorkStore::CFolderWorkStore(CWorkReport& report)
    : m_report(std::shared_ptr<CWorkReport>(), &report) {}

void CFolderWorkStore::SetSettings(std::shared_ptr<const ISettings> settings) {
    m_report->SetSettings(std::move(settings));
}

std::unique_ptr<IWorkStore::CHold> CFolderWorkStore::HoldToday() {
    return std::make_unique<CFolderHold>(m_report->HoldLocks());
}

std::string CFolderWorkStore::Where() const {
    return m_report->ResolveWorkFilePath().parent_path().string();
}

std::string CFolderWorkStore::WaitingWhere() const {
    return m_report->TemporaryFilePath().string();
}

CEditLog CFolderWorkStore::Trail() const {
    return CEditLog(m_report->ResolveWorkFilePath(), m_report->DataDir());
}

IWorkStore::ESaveOutcome CFolderWorkStore::SaveMonth(const std::string& name, int year, int month,
                                                     const std::vector<CellChange>& changes,
                                                     std::vector<CellConflict>* conflicts,
                                                     const TrailMark* trail, bool* trailFailed) {
    if (trailFailed) *trailFailed = false;
    if (!trail) return m_report->SaveMonth(name, year, month, changes, conflicts);
    const CEditLog log = Trail();
    // The trail is on disk before the work file changes, under the work file's lock.
    const CEditLog::Entry marker{trail->when, trail->admin, name, "", "", "", "", trail->reason};
    std::vector<std::string> days;
    CWorkReport::SaveHooks hooks;
    hooks.beforeReplace = [&](const std::vector<CellChange>& applied) {
        std::vector<CEditLog::Entry> entries;
        std::set<int> changedDays;
        for (const auto& change : applied) {
            entries.push_back({trail->when, trail->admin, name, DayText(year, month, change.day),
                               change.side == 0 ? trail->startWord : trail->endWord, change.before,
                               change.after, trail->reason});
            changedDays.insert(change.day);
        }
        for (int day : changedDays) days.push_back(DayText(year, month, day));
        const bool written =
            CTrailSettlement::Settle(*m_report, log) && log.BeginBatch(marker, entries);
        if (!written && trailFailed) *trailFailed = true;
        return written;
    };
    hooks.replaceFailed = [&] { log.EndBatch(marker, false, days); };
    hooks.replaced = [&] { log.EndBatch(marker, true, {}); };
    return m_report->SaveMonth(name, year, month, changes, conflicts, hooks);
}

bool CFolderWorkStore::ForEachTrailEntry(const std::function<void(const TrailEntry&)>& visit) {
    const CEditLog log = Trail();
    // A save that a crash cut short is settled against the work file before it is read.
    m_report->RunLocked([&] { return CTrailSettlement::Settle(*m_report, log); });
    return log.ForEach(visit);
}

bool CFolderWorkStore::ForEachRecord(bool todayOnly,
                                     const std::function<bool(const NumberedLine&)>& visit) {
    return m_report->ForEachRecord(todayOnly, [&](const CWorkReport::NumberedLine& line) {
        return visit({line.number, line.text});
    });
}

std::shared_ptr<IWorkStore> CFolderWorkStore::Twin() const {
    return std::make_shared<CFolderWorkStore>(TwinOf(*m_report));
}

}  // namespace stampwell
