#include "pgstore/PgWorkStore.h"

#include <random>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "calendar/WorkingDay.h"
#include "diagnostics/ErrorLog.h"
#include "people/CipherRecordFile.h"
#include "pgstore/PgMonthRecords.h"
#include "pgstore/PgReach.h"
#include "pgstore/PgRecordLists.h"
#include "pgstore/PgTransaction.h"
#include "platform/FileSystem.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "settings/StoredFiles.h"
#include "text/TextCodec.h"
#include "workfile/WorkExport.h"
#include "workfile/WorkLine.h"

namespace stampwell {

static_assert(IWorkStore::EntryRecorded == CPgTap::kEntryRecorded &&
              IWorkStore::ExitRecorded == CPgTap::kExitRecorded &&
              IWorkStore::WriteFailed == CPgTap::kWriteFailed &&
              IWorkStore::TooSoon == CPgTap::kTooSoon);

namespace {

using Row = CPgWorkRows::Row;

std::string NewTapId() {
    static thread_local std::random_device device;
    static thread_local std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^
                                               device());
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(random()),
                  static_cast<unsigned long long>(random()));
    return text;
}

// The name as the work file's lines compare it: blanks at the end do not count.
std::string Trimmed(std::string name) {
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

}  // namespace

// Keeps the stamp's day locked from a tap's decision to its write; each write commits itself,
// so what is reported as recorded is in the database (or waits on this clock's disk).
class CPgWorkStore::CDayHold : public IWorkStore::CHold {
public:
    CDayHold(CPgTap& tap, CPgTap::Stamp stamp) : m_tap(tap), m_stamp(std::move(stamp)) {
        m_locked = m_tap.LockDay(m_stamp) == CPgTap::ELock::kHeld;
    }
    ~CDayHold() override {
        if (m_locked) m_tap.UnlockDay(m_stamp);
    }

private:
    CPgTap& m_tap;
    CPgTap::Stamp m_stamp;
    bool m_locked = false;
};

CPgWorkStore::CPgWorkStore(CRuntime runtime, std::string conninfo, std::string site)
    : m_runtime(std::move(runtime)),
      m_site(std::move(site)),
      m_session(std::move(conninfo)),
      m_mode(CModeFiles::ReadMode(m_runtime.DataDir())),
      m_tap(m_runtime, m_session, m_site, m_mode == kRoomMode) {}

void CPgWorkStore::SetSettings(std::shared_ptr<const ISettings> settings) {
    m_settings = std::move(settings);
}

bool CPgWorkStore::IsEndSide() const {
    return m_stampSide != nullptr && m_stampSide->IsEndSelected();
}

int CPgWorkStore::DayChangeHour() const {
    return m_settings ? m_settings->GetDayChangeHour() : 0;
}

bool CPgWorkStore::SetStamp(const std::string& name) {
    return SetStamp(name, m_runtime.Clock().Now());
}

bool CPgWorkStore::SetStamp(const std::string& name, std::int64_t at) {
    m_name = Trimmed(name);
    m_stampTime = at;
    m_tapId = NewTapId();
    return true;
}

std::string CPgWorkStore::StampDateText() const {
    return CWorkingDay::DateText(m_stampTime, DayChangeHour());
}

std::string CPgWorkStore::StampTimeText() const {
    return CWorkingDay::TimeText(m_stampTime, DayChangeHour());
}

std::string CPgWorkStore::TodayText() const {
    return CWorkingDay::DateText(m_runtime.Clock().Now(), DayChangeHour());
}

CPgConnection* CPgWorkStore::Connect(const char* doing) {
    std::string why;
    CPgConnection* connection = m_session.Get(why);
    if (!connection) {
        CPgTap::SayUnreachable(m_runtime, why, doing);
        return nullptr;
    }
    connection->SetAnswerWait(kScreenWait);
    return connection;
}

CPgConnection* CPgWorkStore::ScreenConnection(std::string& why) {
    CPgConnection* connection = m_session.Get(why);
    if (connection) connection->SetAnswerWait(kScreenWait);
    return connection;
}

std::unique_ptr<IWorkStore::CHold> CPgWorkStore::HoldToday() {
    return std::make_unique<CDayHold>(m_tap, CurrentStamp());
}

int CPgWorkStore::CheckToday() {
    return m_tap.Check(CurrentStamp());
}

void CPgWorkStore::ListToday(std::vector<std::string>& lines) {
    m_tap.ListToday(TodayText(), lines);
}

CPgTap::Stamp CPgWorkStore::CurrentStamp() const {
    return {m_name, StampDateText(), StampTimeText(), m_tapId, IsEndSide()};
}

bool CPgWorkStore::RegisterStamp() {
    return Append(IsEndSide() && m_mode != kRoomMode ? 1 : 0);
}

bool CPgWorkStore::OverwriteRecord(int recordNumber) {
    const int side = (m_mode == kRoomMode || IsEndSide()) ? 1 : 0;
    return m_tap.Write(CurrentStamp(), side, recordNumber);
}

bool CPgWorkStore::Append(int side) {
    return m_tap.Write(CurrentStamp(), side, std::nullopt);
}

std::string CPgWorkStore::MakeResultText(int kind) const {
    const int side = kind == 1 ? 0 : (kind == 2 ? 1 : (IsEndSide() ? 1 : 0));
    const char* suffix = m_mode == kRoomMode ? (side == 0 ? " 入室" : " 退室")
                                             : (side == 0 ? " 勤務開始" : " 勤務終了");
    return StampTimeText() + suffix;
}

std::string CPgWorkStore::Where() const {
    return "データベース (" + m_session.ConnInfo() + ")";
}

std::string CPgWorkStore::WaitingWhere() const {
    return m_tap.WaitingPath().string();
}

bool CPgWorkStore::LoadMonth(const std::string& name, int year, int month,
                             std::vector<WorkDayRecord>& days, std::vector<WorkDayRecord>* leadIn) {
    days.clear();
    if (leadIn) leadIn->clear();
    CPgConnection* connection = Connect("記録の読み込み");
    if (!connection) return false;
    return CPgMonthRecords::Load(*connection, Trimmed(name), year, month, days, leadIn);
}

IWorkStore::ESaveOutcome CPgWorkStore::SaveMonth(const std::string& name, int year, int month,
                                                 const std::vector<CellChange>& changes,
                                                 std::vector<CellConflict>* conflicts,
                                                 const TrailMark* trail, bool* trailFailed) {
    if (conflicts) conflicts->clear();
    if (trailFailed) *trailFailed = false;
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    if (!connection) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "月の修正を保存できませんでした: " + why, __FILE__,
                 &m_runtime.Clock());
        return ESaveOutcome::kUnreachable;
    }
    const auto outcome =
        CPgMonthRecords::Save(*connection, Trimmed(name), year, month, changes, conflicts, trail,
                              m_runtime.LockWait(), trailFailed, why);
    if (outcome == ESaveOutcome::kFailed || outcome == ESaveOutcome::kUnreachable) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "月の修正を保存できませんでした: " + why, __FILE__,
                 &m_runtime.Clock());
        if (!connection->IsOpen()) m_session.Drop();
    }
    return outcome;
}

bool CPgWorkStore::ForEachTrailEntry(const std::function<void(const TrailEntry&)>& visit) {
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    return connection && CPgMonthRecords::ForEachTrailEntry(*connection, visit);
}

bool CPgWorkStore::SelectSite(const std::string& site) {
    if (site.empty()) {
        m_onlySite.clear();
        m_onlySiteId.clear();
        return true;
    }
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    if (!connection) return false;
    const auto known = connection->Exec("SELECT id FROM stampwell.sites WHERE name = $1", {site});
    if (!known.Ok() || known.Rows() == 0) return false;
    m_onlySite = site;
    m_onlySiteId = known.Value(0, 0);
    return true;
}

std::string CPgWorkStore::OfSite(std::string filter, std::vector<std::string>& values) const {
    if (m_onlySite.empty()) return filter;
    values.push_back(m_onlySite);
    return "(" + filter + ") AND site_id = (SELECT id FROM stampwell.sites WHERE name = $" +
           std::to_string(values.size()) + ")";
}

bool CPgWorkStore::CollectRange(int first, int last, const std::string& onlyName,
                                WorkRecordTable& table) {
    table.Clear();
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    if (!connection) return false;
    std::string filter =
        "working_day BETWEEN to_date($1, 'YYYY/MM/DD') AND to_date($2, 'YYYY/MM/DD')";
    std::vector<std::string> values{CPgWorkRows::DateOf(first), CPgWorkRows::DateOf(last)};
    if (!onlyName.empty()) {
        filter += " AND employee = $3";
        values.push_back(Trimmed(onlyName));
    }
    filter = OfSite(filter, values);
    return CPgWorkRows::Select(*connection, filter, values, [&](const Row& row) {
        table.MergeRecord({row.name, row.date, row.side == 0 ? row.time : std::string{},
                           row.side == 1 ? row.time : std::string{}});
        return true;
    });
}

bool CPgWorkStore::ForEachRecord(bool todayOnly,
                                 const std::function<bool(const NumberedLine&)>& visit) {
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    return connection && CPgRecordLists::ForEach(*connection, todayOnly, TodayText(), m_onlySiteId,
                                                 [&](std::size_t number, const std::string& text) {
                                                     return visit({number, text});
                                                 });
}

bool CPgWorkStore::Backup() {
    auto config = CreateConfig(m_runtime);
    if (!config->IsBackupChecked()) return true;
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    if (!connection) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "バックアップできませんでした: " + why, __FILE__,
                 &m_runtime.Clock());
        return false;
    }
    const std::filesystem::path target(config->GetBackupPath());
    if (target.empty() || IsStoredFile(target) || CFileSystem::IsForeign(target)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "バックアップ先がStampwellのファイルか使えない場所のため、書き込みませんでした "
                 "(CPgWorkStore::Backup)",
                 __FILE__, &m_runtime.Clock());
        return false;
    }
    // The records as a work file, which the folder store reads as its own.
    const auto blocks = CPgRecordLists::WorkFile(*connection);
    return blocks &&
           CFileSystem::WriteWholeFile(target, target.filename().string() + ".tmp", *blocks);
}

bool CPgWorkStore::Export() {
    m_exportError.clear();
    if (m_exportPath.empty() || IsStoredFile(m_exportPath)) {
        m_exportError =
            "出力先に勤務ファイルや設定ファイルなど、保存データのファイルは指定できません。";
        return false;
    }
    std::string why;
    CPgConnection* connection = ScreenConnection(why);
    if (!connection) {
        m_exportError = "データベースに接続できません: " + why;
        return false;
    }
    const CPayPeriod period(m_exportYear, m_exportMonth, m_exportClosing);
    std::vector<std::string> values{CPgWorkRows::DateOf(period.First()),
                                    CPgWorkRows::DateOf(period.Last())};
    const std::string filter = OfSite(
        "working_day BETWEEN to_date($1, 'YYYY/MM/DD') AND to_date($2, 'YYYY/MM/DD')", values);
    const auto read = CPgRecordLists::Csv(*connection, filter, values);
    if (!read) {
        m_exportError = "データベースを読めませんでした: " + connection->LastError();
        return false;
    }
    const std::string& csv = *read;
    const auto any = csv.empty()
                         ? connection->Exec("SELECT EXISTS (SELECT 1 FROM stampwell.work_records)")
                         : CPgResult();
    if (csv.empty() && any.Ok() && any.Value(0, 0) != "t") {
        m_runtime.Messages().ShowMessage(m_mode == kRoomMode
                                             ? "エクスポートする入退室データが見つかりません。"
                                             : "エクスポートする出退勤データが見つかりません。",
                                         EMessageIcon::None);
        return false;
    }
    return CWorkExport::WriteCsv(m_exportPath, csv, m_exportError);
}

bool CPgWorkStore::IsStoredFile(const std::filesystem::path& path) const {
    const std::string reg = m_settings ? m_settings->GetIdFilePath() : std::string{};
    const std::string backup = m_settings ? m_settings->GetBackupPath() : std::string{};
    return CStoredFiles(m_runtime.DataDir(), m_runtime.DataFile("KINTAI.dat"), reg, backup)
        .Contains(path);
}

std::shared_ptr<IWorkStore> CPgWorkStore::Twin() const {
    auto twin = std::make_shared<CPgWorkStore>(m_runtime, m_session.ConnInfo(), m_site);
    if (m_settings) twin->SetSettings(m_settings);
    return twin;
}

}  // namespace stampwell
