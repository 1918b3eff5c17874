#include "pgstore/PgWaitingTaps.h"

#include <nettle/sha2.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "diagnostics/ErrorLog.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgTransaction.h"
#include "pgstore/PgWorkRows.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"
#include "workfile/TodayCache.h"
#include "workfile/WaitingMerge.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {

constexpr std::size_t kLength = WorkLine::kRecordLength;

std::string TextOf(const std::string& block) {
    char plain[kLength];
    return std::string(CWorkFileReader::Decipher(block.data(), plain));
}

bool SameRecordPlace(const WorkLine& a, const WorkLine& b) {
    return a.name == b.name && a.date == b.date && a.Side() == b.Side();
}

}  // namespace

CPgWaitingTaps::CPgWaitingTaps(CRuntime runtime, bool roomMode)
    : m_runtime(std::move(runtime)), m_roomMode(roomMode) {}

std::filesystem::path CPgWaitingTaps::FilePath() const {
    return m_runtime.DataFile("DatabaseWaiting.dat");
}

CFileLock CPgWaitingTaps::Lock() const {
    return CFileLock(m_runtime.DataFile("DatabaseWaiting.dat.lock"), m_runtime.LockWait());
}

void CPgWaitingTaps::Remember(int date, const std::vector<std::string>& blocks) const {
    CTodayCache(FilePath()).Replace(date, blocks);
}

void CPgWaitingTaps::Noted(int date, const std::string& block, bool overwritten) const {
    const CFileLock lock = Lock();
    if (!lock.AllowsChange()) return;
    CTodayCache cache(FilePath());
    overwritten ? cache.Put(date, block) : cache.Add(date, block);
}

bool CPgWaitingTaps::Add(const std::string& block) const {
    return CFileSystem::AppendWhole(FilePath(), block, kLength);
}

std::vector<std::string> CPgWaitingTaps::WaitingBlocks() const {
    std::vector<std::string> blocks;
    const auto bytes = CFileSystem::ReadWholeFile(FilePath());
    if (!bytes) return blocks;
    for (std::size_t at = 0; at + kLength <= bytes->size(); at += kLength)
        blocks.push_back(bytes->substr(at, kLength));
    return blocks;
}

bool CPgWaitingTaps::HasWaiting() const {
    return !WaitingBlocks().empty();
}

bool CPgWaitingTaps::Overwrite(const std::string& block) const {
    auto blocks = WaitingBlocks();
    const std::string text = TextOf(block);
    const WorkLine wanted = WorkLine::Parse(text);
    for (auto& waiting : blocks) {
        const std::string known = TextOf(waiting);
        if (!SameRecordPlace(WorkLine::Parse(known), wanted)) continue;
        waiting = block;
        std::string bytes;
        for (const auto& each : blocks) bytes += each;
        return CFileSystem::WriteWholeFile(FilePath(), "DatabaseWaiting.dat.tmp", bytes);
    }
    return false;
}

std::vector<std::string> CPgWaitingTaps::Known(int date) const {
    std::vector<std::string> texts;
    CTodayCache(FilePath()).ForEach(date, [&](std::string_view text) {
        texts.emplace_back(text);
        return true;
    });
    for (const auto& block : WaitingBlocks()) texts.push_back(TextOf(block));
    return texts;
}

std::string CPgWaitingTaps::TapIdOf(const std::string& block, int repeat) const {
    // The same record of the same clock is the same tap, however often it is sent.
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string key = std::string(host) + '\0' + m_runtime.DataDir().string() + '\0' + block +
                            '\0' + std::to_string(repeat);
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, key.size(), reinterpret_cast<const uint8_t*>(key.data()));
    std::array<uint8_t, SHA256_DIGEST_SIZE> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    static const char hex[] = "0123456789abcdef";
    std::string id = "w";
    for (std::size_t i = 0; i < 16; ++i) {
        id += hex[digest[i] >> 4];
        id += hex[digest[i] & 15];
    }
    return id;
}

bool CPgWaitingTaps::Send(CPgConnection& connection, const std::string& site,
                          std::string& why) const {
    const auto blocks = WaitingBlocks();
    if (blocks.empty()) return true;
    struct Waiting {
        std::string block;
        CPgWorkRows::Row row;
    };
    std::vector<Waiting> waiting;
    std::set<std::pair<std::string, std::string>> days;  // person and day, UTF-8
    for (const auto& block : blocks) {
        const std::string text = TextOf(block);
        const WorkLine line = WorkLine::Parse(text);
        if (line.Side() < 0) continue;  // never a tap of ours
        std::string name = CTextCodec::FromCp932(line.name);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        waiting.push_back(
            {block, {0, name, std::string(line.date), line.Side(), std::string(line.Time()), ""}});
        days.insert({name, std::string(line.date)});
    }
    auto failed = [&](const CPgResult& result) {
        why = result.Error().empty() ? connection.LastError() : result.Error();
        return false;
    };
    CPgTransaction transaction(connection);
    if (!transaction.Begun()) return failed(CPgResult());
    for (const auto& [name, date] : days) {
        const auto locked = connection.Exec("SELECT pg_advisory_xact_lock(hashtextextended($1, 0))",
                                            {CPgWorkRows::DayKey(name, date)});
        if (!locked.Ok()) return failed(locked);
    }
    // What the database holds of those days, numbered by row.
    std::vector<CWaitingMerge::Known> known;
    for (const auto& [name, date] : days) {
        const bool read = CPgWorkRows::Select(
            connection, "employee = $1 AND working_day = to_date($2, 'YYYY/MM/DD')", {name, date},
            [&](const CPgWorkRows::Row& row) {
                known.push_back({static_cast<std::size_t>(row.id), CPgWorkRows::LineText(row)});
                return true;
            });
        if (!read) return failed(CPgResult());
    }
    std::sort(known.begin(), known.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    std::string all;
    for (const auto& each : waiting) all += each.block;
    const auto actions = CWaitingMerge::Decide(known, all, m_roomMode);
    std::map<std::string, int> repeats;
    char now[32] = {};
    const std::time_t clock = m_runtime.Clock().Now();
    std::strftime(now, sizeof now, "%Y/%m/%d %H:%M:%S", std::localtime(&clock));
    for (const auto& action : actions) {
        const std::string text = TextOf(action.block);
        const WorkLine line = WorkLine::Parse(text);
        std::string name = CTextCodec::FromCp932(line.name);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        const CPgWorkRows::Row row{
            0, name, std::string(line.date), line.Side(), std::string(line.Time()), ""};
        bool done = true;
        if (action.kind == CWaitingMerge::Action::EKind::kAppend) {
            done = CPgWorkRows::Insert(connection, row,
                                       TapIdOf(action.block, repeats[action.block]++), site);
        } else if (action.kind == CWaitingMerge::Action::EKind::kOverwrite) {
            done = CPgWorkRows::UpdateTime(connection, static_cast<std::int64_t>(action.number),
                                           row.time);
        }
        if (!done) return failed(CPgResult());
        if (action.note.empty()) continue;
        // The merge is said where the administrators look for changes of records: an
        // overwrite from the time it replaced, a dropped tap with its own time.
        std::string before, after = row.time;
        if (action.kind == CWaitingMerge::Action::EKind::kOverwrite) {
            for (const auto& each : known) {
                if (each.number == action.number)
                    before = std::string(WorkLine::Parse(each.text).Time());
            }
        } else if (action.kind == CWaitingMerge::Action::EKind::kDrop) {
            before = row.time;
            after.clear();
        }
        const auto noted = connection.Exec(
            "INSERT INTO stampwell.trail (saved_at, admin, employee, working_day, side, before, "
            "after, reason) VALUES ($1, 'Stampwell', $2, $3, $4, $5, $6, $7)",
            {now, name, row.date,
             m_roomMode ? (row.side == 0 ? "入室" : "退室") : (row.side == 0 ? "出社" : "退社"),
             before, after, action.note});
        if (!noted.Ok()) return failed(noted);
        ErrorLog(m_runtime.DataDir(), __LINE__, action.note + " (CPgWaitingTaps::Send)", __FILE__,
                 &m_runtime.Clock());
    }
    if (!transaction.Commit(why)) return false;
    // Sent: a crash before the file goes sends them again, which adds nothing.
    std::error_code ignored;
    std::filesystem::remove(FilePath(), ignored);
    CTodayCache cache(FilePath());
    for (const auto& each : waiting) {
        const int date = std::stoi(each.row.date.substr(0, 4)) * 10000 +
                         std::stoi(each.row.date.substr(5, 2)) * 100 +
                         std::stoi(each.row.date.substr(8, 2));
        cache.Add(date, each.block);
    }
    return true;
}

}  // namespace stampwell
