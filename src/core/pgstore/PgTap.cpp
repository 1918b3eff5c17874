#include "pgstore/PgTap.h"

#include "calendar/WorkDate.h"
#include "diagnostics/ErrorLog.h"
#include "people/CipherRecordFile.h"
#include "pgstore/PgReach.h"
#include "pgstore/PgWorkRows.h"
#include "text/TextCodec.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
using Row = CPgWorkRows::Row;
}  // namespace

// Lets the day's lock go at the end of a scope that took it.
struct CPgTap::CDayLock {
    CPgTap& tap;
    const Stamp& stamp;
    ~CDayLock() { tap.UnlockDay(stamp); }
};

CPgTap::CPgTap(const CRuntime& runtime, CPgSession& session, std::string site, bool roomMode)
    : m_runtime(runtime),
      m_session(session),
      m_site(std::move(site)),
      m_room(roomMode),
      m_waiting(runtime, roomMode) {}

void CPgTap::SayUnreachable(const CRuntime& runtime, const std::string& why, const char* doing) {
    ErrorLog(runtime.DataDir(), __LINE__, std::string(doing) + ": " + why, __FILE__,
             &runtime.Clock());
    runtime.Messages().ShowMessage(
        "データベースに接続できないため、" + std::string(doing) + "できませんでした。\n" + why,
        EMessageIcon::None);
}

CPgConnection* CPgTap::Connection() {
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
    connection->SetAnswerWait(kAnswerWait);
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

void CPgTap::NoteAway(const std::string& why) {
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

CPgTap::ELock CPgTap::LockDay(const Stamp& stamp) {
    CPgConnection* connection = Connection();
    if (!connection) return ELock::kAway;
    const auto wait = std::to_string(m_runtime.LockWait().count()) + "ms";
    connection->Exec("SELECT set_config('lock_timeout', $1, false)", {wait});
    const auto locked = connection->Exec("SELECT pg_advisory_lock(hashtextextended($1, 0))",
                                         {CPgWorkRows::DayKey(stamp.name, stamp.date)});
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

void CPgTap::UnlockDay(const Stamp& stamp) {
    // Never on a new connection: the lock went with the one that held it.
    if (CPgConnection* connection = m_session.Current()) {
        connection->Exec("SELECT pg_advisory_unlock(hashtextextended($1, 0))",
                         {CPgWorkRows::DayKey(stamp.name, stamp.date)});
    }
}

bool CPgTap::ReadDay(const Stamp& stamp, std::vector<Side>& rows) {
    rows.clear();
    CPgConnection* connection = m_session.Current();
    return connection &&
           CPgWorkRows::Select(*connection,
                               "employee = $1 AND working_day = to_date($2, 'YYYY/MM/DD')",
                               {stamp.name, stamp.date}, [&](const Row& row) {
                                   rows.push_back({row.id, row.side, row.time});
                                   return true;
                               });
}

void CPgTap::ReadWaitingDay(const Stamp& stamp, std::vector<Side>& rows) const {
    rows.clear();
    const auto cp932 = CTextCodec::ToCp932(stamp.name);
    if (!cp932) return;
    const std::string padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth);
    const std::string date = stamp.date;
    std::int64_t number = 0;
    for (const auto& text : m_waiting.Known(CWorkDate::Number(date))) {
        const WorkLine line = WorkLine::Parse(text);
        ++number;
        if (line.name != padded || line.date != date || line.Side() < 0) continue;
        rows.push_back({number, line.Side(), std::string(line.Time())});
    }
}

int CPgTap::Decide(const Stamp& stamp, const std::vector<Side>& rows, bool away) {
    if (!m_room) {
        const int wanted = stamp.endSide ? 1 : 0;
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
        return away ? WriteWaiting(stamp, side, overwrite.has_value())
                    : Write(stamp, side, overwrite);
    };
    if (entry == 0) return write(0, std::nullopt) ? kEntryRecorded : kWriteFailed;
    if (CWorkDate::ParseMinutes(stamp.time) <= CWorkDate::ParseMinutes(lastTime) + 5) {
        return kTooSoon;
    }
    const bool written = exit != 0 ? write(1, exit) : write(1, std::nullopt);
    return written ? kExitRecorded : kWriteFailed;
}

int CPgTap::Check(const Stamp& stamp) {
    const auto cp932 = CTextCodec::ToCp932(stamp.name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth) return 0;
    const ELock locked = LockDay(stamp);
    if (locked == ELock::kBusy) return kWriteFailed;
    std::vector<Side> rows;
    if (locked == ELock::kHeld) {
        const CDayLock unlock{*this, stamp};
        if (ReadDay(stamp, rows)) return Decide(stamp, rows, false);
        NoteAway(m_session.Current() ? m_session.Current()->LastError() : "");
    }
    // Decided from what this clock knows: today's records as last read and its waiting taps.
    const CFileLock lock = m_waiting.Lock();
    if (!lock.AllowsChange()) return kWriteFailed;
    ReadWaitingDay(stamp, rows);
    return Decide(stamp, rows, true);
}

std::string CPgTap::Block(const Stamp& stamp, int side) {
    const auto cp932 = CTextCodec::ToCp932(stamp.name);
    const std::string text = cp932 ? WorkLine::Format(*cp932, stamp.date, stamp.time, side) : "";
    return text.empty() ? text : CCipherRecordFile::Encipher(text, WorkLine::kRecordLength);
}

bool CPgTap::Write(const Stamp& stamp, int side, std::optional<std::int64_t> overwrite) {
    if (Block(stamp, side).empty()) return false;
    const ELock locked = LockDay(stamp);
    if (locked == ELock::kBusy) return false;
    if (locked == ELock::kAway) {
        const CFileLock lock = m_waiting.Lock();
        return lock.AllowsChange() && WriteWaiting(stamp, side, overwrite.has_value());
    }
    const CDayLock unlock{*this, stamp};
    CPgConnection& connection = *m_session.Current();
    const Row row{0, stamp.name, stamp.date, side, stamp.time, ""};
    bool written = true;
    std::optional<std::int64_t> target;
    if (overwrite) {
        // The record found may have gone since the question: the person's record of that day
        // and side is looked up again, and a new one made when there is none.
        std::vector<Side> rows;
        written = ReadDay(stamp, rows);
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
                         : CPgWorkRows::Insert(connection, row, stamp.tapId, m_site);
    }
    if (written) {
        m_waiting.Noted(CWorkDate::Number(row.date), Block(stamp, side), target.has_value());
        return true;
    }
    if (connection.IsOpen()) {
        SayUnreachable(m_runtime, connection.LastError(), "登録");
        return false;
    }
    // The server went during the write: the tap waits here (sent again, it is merged with what
    // may have reached the database).
    NoteAway(connection.LastError());
    const CFileLock lock = m_waiting.Lock();
    return lock.AllowsChange() && WriteWaiting(stamp, side, overwrite.has_value());
}

bool CPgTap::WriteWaiting(const Stamp& stamp, int side, bool overwrite) {
    const std::string block = Block(stamp, side);
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

void CPgTap::ListToday(const std::string& today, std::vector<std::string>& lines) {
    lines.clear();
    const bool room = m_room;
    auto add = [&](const std::string& text) {
        const WorkLine line = WorkLine::Parse(text);
        if (line.date != today || line.Side() < 0) return;
        const char* word =
            line.Side() == 0 ? (room ? " 入室 " : " 出社 ") : (room ? " 退室 " : " 退社 ");
        lines.push_back(std::string(line.date) + " " + std::string(line.Time()) + word +
                        CTextCodec::FromCp932(line.name));
    };
    std::vector<std::string> blocks;
    CPgConnection* connection = Connection();
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

}  // namespace stampwell
