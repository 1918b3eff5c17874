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
    explicit CDayHold(CPgWorkStore& store) : m_store(store) {
        m_locked = m_store.LockDay() == ELock::kHeld;
    }
    ~CDayHold() override {
        if (m_locked) m_store.UnlockDay();
    }

private:
    CPgWorkStore& m_store;
    bool m_locked = false;
};

CPgWorkStore::CPgWorkStore(CRuntime runtime, std::string conninfo, std::string site)
    : m_runtime(std::move(runtime)),
      m_site(std::move(site)),
      m_session(std::move(conninfo)),
      m_mode(CModeFiles::ReadMode(m_runtime.DataDir())),
      m_waiting(m_runtime, m_mode == kRoomMode) {}

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
    if (!connection) {
        SayUnreachable(why, doing);
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

CPgConnection* CPgWorkStore::TapConnection() {
    // Within one tap (and for a while after) a database that did not answer is not waited for
    // again: the tap is decided and kept here at once.
    if (m_away && std::chrono::steady_clock::now() - m_awaySince < kRetryAfter) return nullptr;
    if (!m_session.Current() && CPgReach::RecentlyAway(m_runtime.DataDir())) {
        NoteAway("");
        return nullptr;
    }
    std::string why;
    CPgConnection* connection = m_session.Get(why);
    if (!connection) {
        NoteAway(why);
        return nullptr;
    }
    CPgReach::NoteBack(m_runtime.DataDir());
    connection->SetAnswerWait(kTapWait);
    m_away = false;
    if (!m_waiting.HasWaiting()) return connection;
    // The taps that waited go first, so every tap keeps its order.
    const CFileLock lock = m_waiting.Lock();
    if (!lock.AllowsChange() || !m_waiting.Send(*connection, m_site, why)) {
        if (!connection->IsOpen()) {
            NoteAway(why);
            return nullptr;
        }
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "待機中の打刻をデータベースに送れませんでした: " + why + " (CPgWorkStore)",
                 __FILE__, &m_runtime.Clock());
    }
    return connection;
}

void CPgWorkStore::NoteAway(const std::string& why) {
    m_away = true;
    m_awaySince = std::chrono::steady_clock::now();
    if (!why.empty()) CPgReach::NoteAway(m_runtime.DataDir());
    if (m_awaySaid) return;
    m_awaySaid = true;
    ErrorLog(m_runtime.DataDir(), __LINE__,
             "データベースが応答しないため、打刻をこの端末に預かります（" +
                 m_waiting.FilePath().string() + "）: " + why + " (CPgWorkStore)",
             __FILE__, &m_runtime.Clock());
}

CPgWorkStore::ELock CPgWorkStore::LockDay() {
    CPgConnection* connection = TapConnection();
    if (!connection) return ELock::kAway;
    const auto wait = std::to_string(m_runtime.LockWait().count()) + "ms";
    connection->Exec("SELECT set_config('lock_timeout', $1, false)", {wait});
    const auto locked = connection->Exec("SELECT pg_advisory_lock(hashtextextended($1, 0))",
                                         {DayKey(m_name, StampDateText())});
    if (locked.Ok()) return ELock::kHeld;
    if (locked.State() == "55P03") {
        m_runtime.Messages().ShowMessage(
            "他の端末が同じ記録を処理中のため、登録できませんでした。\nもう一度カードをかざして"
            "ください。",
            EMessageIcon::None);
        return ELock::kBusy;
    }
    NoteAway(locked.Error());
    return ELock::kAway;
}

void CPgWorkStore::UnlockDay() {
    // Never on a new connection: the lock went with the one that held it.
    if (CPgConnection* connection = m_session.Current()) {
        connection->Exec("SELECT pg_advisory_unlock(hashtextextended($1, 0))",
                         {DayKey(m_name, StampDateText())});
    }
}

std::unique_ptr<IWorkStore::CHold> CPgWorkStore::HoldToday() {
    return std::make_unique<CDayHold>(*this);
}

bool CPgWorkStore::ReadDay(std::vector<Side>& rows) {
    rows.clear();
    CPgConnection* connection = m_session.Current();
    return connection &&
           CPgWorkRows::Select(*connection,
                               "employee = $1 AND working_day = to_date($2, 'YYYY/MM/DD')",
                               {m_name, StampDateText()}, [&](const Row& row) {
                                   rows.push_back({row.id, row.side, row.time});
                                   return true;
                               });
}

void CPgWorkStore::ReadWaitingDay(std::vector<Side>& rows) const {
    rows.clear();
    const auto cp932 = CTextCodec::ToCp932(m_name);
    if (!cp932) return;
    const std::string padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth);
    const std::string date = StampDateText();
    std::int64_t number = 0;
    for (const auto& text : m_waiting.Known(CWorkDate::Number(date))) {
        const WorkLine line = WorkLine::Parse(text);
        ++number;
        if (line.name != padded || line.date != date || line.Side() < 0) continue;
        rows.push_back({number, line.Side(), std::string(line.Time())});
    }
}

int CPgWorkStore::Decide(const std::vector<Side>& rows, bool away) {
    if (m_mode != kRoomMode) {
        const int wanted = IsEndSide() ? 1 : 0;
        for (const Side& row : rows) {
            if (row.side == wanted) return static_cast<int>(row.id);
        }
        return 0;
    }
    // Room mode: the entry before the first exit, and the five minutes after the last of them.
    std::int64_t entry = 0;
    std::int64_t exit = 0;
    std::string lastTime;
    for (const Side& row : rows) {
        lastTime = row.time;
        if (row.side == 0) {
            entry = row.id;
        } else {
            exit = row.id;
            break;
        }
    }
    auto write = [&](int side, std::optional<std::int64_t> overwrite) {
        return away ? WriteWaiting(side, overwrite.has_value()) : Write(side, overwrite);
    };
    if (entry == 0) return write(0, std::nullopt) ? EntryRecorded : WriteFailed;
    if (CWorkDate::ParseMinutes(StampTimeText()) <= CWorkDate::ParseMinutes(lastTime) + 5) {
        return TooSoon;
    }
    const bool written = exit != 0 ? write(1, exit) : write(1, std::nullopt);
    return written ? ExitRecorded : WriteFailed;
}

int CPgWorkStore::CheckToday() {
    const auto cp932 = CTextCodec::ToCp932(m_name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth) return 0;
    const ELock locked = LockDay();
    if (locked == ELock::kBusy) return WriteFailed;
    std::vector<Side> rows;
    if (locked == ELock::kHeld) {
        struct Unlock {
            CPgWorkStore& store;
            ~Unlock() { store.UnlockDay(); }
        } unlock{*this};
        if (ReadDay(rows)) return Decide(rows, false);
        NoteAway(m_session.Current() ? m_session.Current()->LastError() : "");
    }
    // Decided from what this clock knows: today's records as last read and its waiting taps.
    const CFileLock lock = m_waiting.Lock();
    if (!lock.AllowsChange()) return WriteFailed;
    ReadWaitingDay(rows);
    return Decide(rows, true);
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

std::string CPgWorkStore::StampBlock(int side) const {
    const auto cp932 = CTextCodec::ToCp932(m_name);
    const std::string text =
        cp932 ? WorkLine::Format(*cp932, StampDateText(), StampTimeText(), side) : "";
    return text.empty() ? text : CCipherRecordFile::Encipher(text, WorkLine::kRecordLength);
}

bool CPgWorkStore::Write(int side, std::optional<std::int64_t> overwrite) {
    if (StampBlock(side).empty()) return false;
    const ELock locked = LockDay();
    if (locked == ELock::kBusy) return false;
    if (locked == ELock::kAway) {
        const CFileLock lock = m_waiting.Lock();
        return lock.AllowsChange() && WriteWaiting(side, overwrite.has_value());
    }
    struct Unlock {
        CPgWorkStore& store;
        ~Unlock() { store.UnlockDay(); }
    } unlock{*this};
    CPgConnection& connection = *m_session.Current();
    const Row row{0, m_name, StampDateText(), side, StampTimeText(), ""};
    bool written = true;
    std::optional<std::int64_t> target;
    if (overwrite) {
        // The record found may have gone since the question: the person's record of that day
        // and side is looked up again, and a new one made when there is none.
        std::vector<Side> rows;
        written = ReadDay(rows);
        for (const Side& found : rows) {
            if (found.side != side) continue;
            if (found.id == *overwrite) {
                target = found.id;
                break;
            }
            if (!target) target = found.id;
        }
    }
    if (written) {
        written = target ? CPgWorkRows::UpdateTime(connection, *target, row.time)
                         : CPgWorkRows::Insert(connection, row, m_tapId, m_site);
    }
    if (written) {
        m_waiting.Noted(CWorkDate::Number(row.date), StampBlock(side), target.has_value());
        return true;
    }
    if (connection.IsOpen()) {
        SayUnreachable(connection.LastError(), "登録");
        return false;
    }
    // The server went during the write: the tap waits here (sent again, it is merged with what
    // may have reached the database).
    NoteAway(connection.LastError());
    const CFileLock lock = m_waiting.Lock();
    return lock.AllowsChange() && WriteWaiting(side, overwrite.has_value());
}

bool CPgWorkStore::WriteWaiting(int side, bool overwrite) {
    const std::string block = StampBlock(side);
    if (block.empty()) return false;
    bool written = false;
    if (overwrite) {
        // A waiting record is overwritten where it waits. One only in the database cannot be:
        // a second clock-in would be merged away, so that tap is refused for now; a later
        // clock-out replaces the earlier one when it is sent.
        written = m_waiting.Overwrite(block);
        if (!written && side == 0) {
            m_runtime.Messages().ShowMessage(
                "データベースに接続できないため、上書きできませんでした。\nしばらくしてから"
                "もう一度カードをかざしてください。",
                EMessageIcon::None);
            return false;
        }
    }
    if (!written) written = m_waiting.Add(block);
    if (!written) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "打刻をこの端末に記録できませんでした: " + m_waiting.FilePath().string() +
                     " (CPgWorkStore)",
                 __FILE__, &m_runtime.Clock());
        m_runtime.Messages().ShowMessage(
            "データベースに接続できず、この端末にも記録できませんでした。\n管理者に連絡して"
            "ください。",
            EMessageIcon::None);
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
    const bool room = m_mode == kRoomMode;
    const std::string today = TodayText();
    auto add = [&](const std::string& text) {
        const WorkLine line = WorkLine::Parse(text);
        if (line.date != today || line.Side() < 0) return;
        const char* word =
            line.Side() == 0 ? (room ? " 入室 " : " 出社 ") : (room ? " 退室 " : " 退社 ");
        lines.push_back(std::string(line.date) + " " + std::string(line.Time()) + word +
                        CTextCodec::FromCp932(line.name));
    };
    std::vector<std::string> blocks;
    CPgConnection* connection = TapConnection();
    const bool read =
        connection &&
        CPgWorkRows::Select(
            *connection, "working_day = to_date($1, 'YYYY/MM/DD')", {today}, [&](const Row& row) {
                const std::string text = CPgWorkRows::LineText(row);
                add(text);
                blocks.push_back(CCipherRecordFile::Encipher(text, WorkLine::kRecordLength));
                return true;
            });
    const CFileLock lock = m_waiting.Lock();
    if (read) {
        m_away = false;
        if (lock.AllowsChange()) m_waiting.Remember(CWorkDate::Number(today), blocks);
        return;
    }
    // While the database does not answer: what this clock knows.
    lines.clear();
    if (!lock.AllowsChange()) return;
    for (const auto& text : m_waiting.Known(CWorkDate::Number(today))) add(text);
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
