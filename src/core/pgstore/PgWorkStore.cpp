#include "pgstore/PgWorkStore.h"

#include <random>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "calendar/WorkingDay.h"
#include "diagnostics/ErrorLog.h"
#include "people/CipherRecordFile.h"
#include "pgstore/PgMonthRecords.h"
#include "pgstore/PgTransaction.h"
#include "platform/FileSystem.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "settings/StoredFiles.h"
#include "text/TextCodec.h"
#include "workfile/WorkExport.h"
#include "workfile/WorkLine.h"

namespace stampwell {

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
// so what is reported as recorded is in the database.
class CPgWorkStore::CDayHold : public IWorkStore::CHold {
public:
    explicit CDayHold(CPgWorkStore& store) : m_store(store) {
        std::string why;
        CPgConnection* connection = m_store.m_session.Get(why);
        if (connection && m_store.LockDay(*connection)) m_locked = true;
    }
    ~CDayHold() override {
        std::string why;
        if (!m_locked) return;
        if (CPgConnection* connection = m_store.m_session.Get(why)) m_store.UnlockDay(*connection);
    }

private:
    CPgWorkStore& m_store;
    bool m_locked = false;
};

CPgWorkStore::CPgWorkStore(CRuntime runtime, std::string conninfo, std::string site)
    : m_runtime(std::move(runtime)), m_site(std::move(site)), m_session(std::move(conninfo)) {
    m_mode = CModeFiles::ReadMode(m_runtime.DataDir());
}

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

std::string CPgWorkStore::DayKey(const std::string& name, const std::string& date) {
    return "stampwell day\x1f" + Trimmed(name) + "\x1f" + date;
}

void CPgWorkStore::SayUnreachable(const std::string& why, const char* doing) {
    ErrorLog(m_runtime.DataDir(), __LINE__, std::string(doing) + ": " + why, __FILE__,
             &m_runtime.Clock());
    m_runtime.Messages().ShowMessage(
        "データベースに接続できないため、" + std::string(doing) + "できませんでした。\n" + why,
        EMessageIcon::None);
}

CPgConnection* CPgWorkStore::Connect(const char* doing) {
    std::string why;
    CPgConnection* connection = m_session.Get(why);
    if (!connection) SayUnreachable(why, doing);
    return connection;
}

bool CPgWorkStore::LockDay(CPgConnection& connection) {
    const auto wait = std::to_string(m_runtime.LockWait().count()) + "ms";
    connection.Exec("SELECT set_config('lock_timeout', $1, false)", {wait});
    const auto locked = connection.Exec("SELECT pg_advisory_lock(hashtextextended($1, 0))",
                                        {DayKey(m_name, StampDateText())});
    if (locked.Ok()) return true;
    if (locked.State() == "55P03") {
        m_runtime.Messages().ShowMessage(
            "他の端末が同じ記録を処理中のため、登録できませんでした。\nもう一度カードをかざして"
            "ください。",
            EMessageIcon::None);
    } else {
        SayUnreachable(locked.Error(), "登録");
        m_session.Drop();
    }
    return false;
}

void CPgWorkStore::UnlockDay(CPgConnection& connection) {
    connection.Exec("SELECT pg_advisory_unlock(hashtextextended($1, 0))",
                    {DayKey(m_name, StampDateText())});
}

std::unique_ptr<IWorkStore::CHold> CPgWorkStore::HoldToday() {
    return std::make_unique<CDayHold>(*this);
}

bool CPgWorkStore::ReadDay(CPgConnection& connection, std::vector<Row>& rows) {
    rows.clear();
    return CPgWorkRows::Select(connection,
                               "employee = $1 AND working_day = to_date($2, 'YYYY/MM/DD')",
                               {m_name, StampDateText()}, [&](const Row& row) {
                                   rows.push_back(row);
                                   return true;
                               });
}

int CPgWorkStore::CheckToday() {
    const auto cp932 = CTextCodec::ToCp932(m_name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth) return 0;
    CPgConnection* connection = Connect("登録");
    if (!connection) return WriteFailed;
    if (!LockDay(*connection)) return WriteFailed;
    struct Unlock {
        CPgWorkStore& store;
        CPgConnection& connection;
        ~Unlock() { store.UnlockDay(connection); }
    } unlock{*this, *connection};
    std::vector<Row> rows;
    if (!ReadDay(*connection, rows)) {
        SayUnreachable(connection->LastError(), "登録");
        return WriteFailed;
    }
    if (m_mode != kRoomMode) {
        const int wanted = IsEndSide() ? 1 : 0;
        for (const Row& row : rows) {
            if (row.side == wanted) return static_cast<int>(row.id);
        }
        return 0;
    }
    // Room mode: the entry before the first exit, and the five minutes after the last of them.
    std::int64_t entry = 0;
    std::int64_t exit = 0;
    std::string lastTime;
    for (const Row& row : rows) {
        lastTime = row.time;
        if (row.side == 0) {
            entry = row.id;
        } else {
            exit = row.id;
            break;
        }
    }
    if (entry == 0) return Append(0) ? EntryRecorded : WriteFailed;
    if (CWorkDate::ParseMinutes(StampTimeText()) <= CWorkDate::ParseMinutes(lastTime) + 5) {
        return TooSoon;
    }
    const bool written = exit != 0 ? Write(1, exit) : Append(1);
    return written ? ExitRecorded : WriteFailed;
}

bool CPgWorkStore::RegisterStamp() {
    return Append(IsEndSide() && m_mode != kRoomMode ? 1 : 0);
}

bool CPgWorkStore::OverwriteRecord(int recordNumber) {
    const int side = (m_mode == kRoomMode || IsEndSide()) ? 1 : 0;
    return Write(side, recordNumber);
}

bool CPgWorkStore::Append(int side) {
    return Write(side, std::nullopt);
}

bool CPgWorkStore::Write(int side, std::optional<std::int64_t> overwrite) {
    const auto cp932 = CTextCodec::ToCp932(m_name);
    if (!cp932 || WorkLine::Format(*cp932, StampDateText(), StampTimeText(), side).empty()) {
        return false;
    }
    CPgConnection* connection = Connect("登録");
    if (!connection) return false;
    if (!LockDay(*connection)) return false;
    struct Unlock {
        CPgWorkStore& store;
        CPgConnection& connection;
        ~Unlock() { store.UnlockDay(connection); }
    } unlock{*this, *connection};
    const Row row{0, m_name, StampDateText(), side, StampTimeText(), ""};
    bool written = false;
    if (overwrite) {
        // The record found may have gone since the question: the person's record of that day
        // and side is looked up again, and a new one made when there is none.
        std::vector<Row> rows;
        if (!ReadDay(*connection, rows)) {
            SayUnreachable(connection->LastError(), "登録");
            return false;
        }
        std::optional<std::int64_t> target;
        for (const Row& found : rows) {
            if (found.side != side) continue;
            if (found.id == *overwrite) {
                target = found.id;
                break;
            }
            if (!target) target = found.id;
        }
        written = target ? CPgWorkRows::UpdateTime(*connection, *target, row.time)
                         : CPgWorkRows::Insert(*connection, row, m_tapId, m_site);
    } else {
        written = CPgWorkRows::Insert(*connection, row, m_tapId, m_site);
    }
    if (!written) {
        SayUnreachable(connection->LastError(), "登録");
        m_session.Drop();
    }
    return written;
}

std::string CPgWorkStore::MakeResultText(int kind) const {
    const int side = kind == 1 ? 0 : (kind == 2 ? 1 : (IsEndSide() ? 1 : 0));
    const char* suffix = m_mode == kRoomMode ? (side == 0 ? " 入室" : " 退室")
                                             : (side == 0 ? " 勤務開始" : " 勤務終了");
    return StampTimeText() + suffix;
}

void CPgWorkStore::ListToday(std::vector<std::string>& lines) {
    lines.clear();
    std::string why;
    CPgConnection* connection = m_session.Get(why);
    if (!connection) return;
    const bool room = m_mode == kRoomMode;
    CPgWorkRows::Select(
        *connection, "working_day = to_date($1, 'YYYY/MM/DD')", {TodayText()}, [&](const Row& row) {
            const auto cp932 = CTextCodec::ToCp932(row.name);
            if (!cp932) return true;
            const std::string shown =
                CTextCodec::FromCp932(CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth));
            const char* word =
                row.side == 0 ? (room ? " 入室 " : " 出社 ") : (room ? " 退室 " : " 退社 ");
            lines.push_back(row.date + " " + row.time + word + shown);
            return true;
        });
}

std::string CPgWorkStore::Where() const {
    return "データベース (" + m_session.ConnInfo() + ")";
}

std::string CPgWorkStore::WaitingWhere() const {
    return m_runtime.DataFile("TemporaryRecord.dat").string();
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
    CPgConnection* connection = m_session.Get(why);
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
    CPgConnection* connection = m_session.Get(why);
    return connection && CPgMonthRecords::ForEachTrailEntry(*connection, visit);
}

bool CPgWorkStore::SelectSite(const std::string& site) {
    if (site.empty()) {
        m_onlySite.clear();
        m_onlySiteId.clear();
        return true;
    }
    std::string why;
    CPgConnection* connection = m_session.Get(why);
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
    CPgConnection* connection = m_session.Get(why);
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
    CPgConnection* connection = m_session.Get(why);
    if (!connection) return false;
    // Numbered as the lines of a work file holding the same records in the same order.
    std::size_t number = 0;
    std::string filter = "true";
    std::vector<std::string> values;
    const std::string today = TodayText();
    if (todayOnly) {
        const auto first = connection->Exec(
            // Through the day's index (the fence keeps the planner from walking the whole
            // table in id order to find the day's first row).
            "SELECT min(id) FROM (SELECT id FROM stampwell.work_records WHERE working_day = "
            "to_date($1, 'YYYY/MM/DD') OFFSET 0) AS today",
            {today});
        if (!first.Ok()) return false;
        if (first.IsNull(0, 0)) return true;
        const auto before = connection->Exec(
            "SELECT count(*) FROM stampwell.work_records WHERE id < $1", {first.Value(0, 0)});
        if (!before.Ok()) return false;
        number = std::stoull(before.Value(0, 0));
        filter = "id >= $1";
        values.push_back(first.Value(0, 0));
    }
    bool going = true;
    return CPgWorkRows::Select(*connection, filter, values, [&](const Row& row) {
        ++number;
        if (todayOnly && row.date != today) return true;
        if (!m_onlySiteId.empty() && row.siteId != m_onlySiteId) return true;
        std::string text = CPgWorkRows::LineText(row);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        going = visit({number, CTextCodec::FromCp932(text)});
        return going;
    });
}

bool CPgWorkStore::Backup() {
    auto config = CreateConfig(m_runtime);
    if (!config->IsBackupChecked()) return true;
    std::string why;
    CPgConnection* connection = m_session.Get(why);
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
    std::string blocks;
    const bool read = CPgWorkRows::Select(*connection, "true", {}, [&](const Row& row) {
        blocks += CCipherRecordFile::Encipher(CPgWorkRows::LineText(row), WorkLine::kRecordLength);
        return true;
    });
    return read && CFileSystem::WriteWholeFile(target, target.filename().string() + ".tmp", blocks);
}

bool CPgWorkStore::Export() {
    m_exportError.clear();
    if (m_exportPath.empty() || IsStoredFile(m_exportPath)) {
        m_exportError =
            "出力先に勤務ファイルや設定ファイルなど、保存データのファイルは指定できません。";
        return false;
    }
    std::string why;
    CPgConnection* connection = m_session.Get(why);
    if (!connection) {
        m_exportError = "データベースに接続できません: " + why;
        return false;
    }
    const CPayPeriod period(m_exportYear, m_exportMonth, m_exportClosing);
    std::string csv;
    std::vector<std::string> values{CPgWorkRows::DateOf(period.First()),
                                    CPgWorkRows::DateOf(period.Last())};
    const std::string filter = OfSite(
        "working_day BETWEEN to_date($1, 'YYYY/MM/DD') AND to_date($2, 'YYYY/MM/DD')", values);
    const bool read = CPgWorkRows::Select(*connection, filter, values, [&](const Row& row) {
        const std::string text = CPgWorkRows::LineText(row);
        CWorkExport::AppendCsvLine(csv, WorkLine::Parse(text));
        return true;
    });
    if (!read) {
        m_exportError = "データベースを読めませんでした: " + connection->LastError();
        return false;
    }
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
