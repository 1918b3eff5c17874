#include "recording/WorkReport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include "diagnostics/ErrorLog.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "recording/PayPeriod.h"
#include "recording/TemporaryRecordMove.h"
#include "recording/TodayCache.h"
#include "recording/TodayIndex.h"
#include "recording/WorkDate.h"
#include "recording/WorkExport.h"
#include "recording/WorkFileReader.h"
#include "recording/WorkLine.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "settings/StoredFiles.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLength = WorkLine::kRecordLength;
// The number CheckToday gives a record known only from the day's cache: positive (the record
// exists) but in no file that can be written now.
constexpr std::size_t kUnreachableRecord = 0x7fffffff;

// Only a block that starts with the padded name and a comma can have that name field: a cheap
// test before parsing, as every scan of the work file looks for one person.
bool HasPaddedName(std::string_view text, const std::string& padded) {
    return text.size() > WorkLine::kNameWidth &&
           text.compare(0, WorkLine::kNameWidth, padded) == 0 && text[WorkLine::kNameWidth] == ',';
}

fs::path DataLockOf(const CRuntime& runtime) {
    return runtime.DataFile("TemporaryRecord.dat.lock");
}

}  // namespace

CWorkReport::CWorkReport(CRuntime runtime)
    : m_runtime(std::move(runtime)), m_locks(DataLockOf(m_runtime), m_runtime.LockWait()) {
    m_mode = CModeFiles::ReadMode(m_runtime.DataDir());
}

CWorkReport::~CWorkReport() = default;

void CWorkReport::SetSettings(std::shared_ptr<const ISettings> settings) {
    m_settings = std::move(settings);
}

void CWorkReport::SetStampSide(const IStampSide* side) {
    m_stampSide = side;
}

bool CWorkReport::IsEndSide() const {
    return m_stampSide != nullptr && m_stampSide->IsEndSelected();
}

fs::path CWorkReport::ResolveWorkFilePath() const {
    if (m_settings) return fs::path(m_settings->GetWorkFilePath());
    return m_runtime.DataFile("KINTAI.dat");
}

fs::path CWorkReport::TemporaryFilePath() const {
    return m_runtime.DataFile("TemporaryRecord.dat");
}

fs::path CWorkReport::TargetPath() const {
    return m_usingTemporary ? TemporaryFilePath() : ResolveWorkFilePath();
}

bool CWorkReport::SetStamp(const std::string& name) {
    m_name = name;
    m_stampTime = m_runtime.Clock().Now();
    return true;
}

std::string CWorkReport::ShiftedDate(std::int64_t time) const {
    auto tm = CLocalTime::ToLocal(time);
    if (!tm) return {};
    int dayChange = m_settings ? m_settings->GetDayChangeHour() : 0;
    if (tm->tm_hour < dayChange) {
        tm = CLocalTime::ToLocal(time - 86400);
        if (!tm) return {};
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d", &*tm);
    return text;
}

std::string CWorkReport::StampDateText() const {
    return ShiftedDate(m_stampTime);
}

std::string CWorkReport::StampTimeText() const {
    auto tm = CLocalTime::ToLocal(m_stampTime);
    if (!tm) return {};
    int dayChange = m_settings ? m_settings->GetDayChangeHour() : 0;
    int hour = tm->tm_hour < dayChange ? tm->tm_hour + 24 : tm->tm_hour;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, tm->tm_min);
    return text;
}

int CWorkReport::DateNumber(const std::string& dateText) {
    return CWorkDate::Number(dateText);
}

std::string CWorkReport::TodayText() const {
    return ShiftedDate(m_runtime.Clock().Now());
}

int CWorkReport::TodayNumber() const {
    return DateNumber(TodayText());
}

bool CWorkReport::IsToday(const std::string& dateText) const {
    if (dateText.empty()) return false;
    return DateNumber(dateText) == TodayNumber();
}

void CWorkReport::CheckWorkFolder() {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    fs::path work = ResolveWorkFilePath();
    fs::path folder = work.parent_path().empty() ? fs::path(".") : work.parent_path();
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        m_usingTemporary = true;
        if (m_locks.AllowsChange()) CTemporaryRecordMove(TemporaryFilePath(), work).Recover(false);
        return;
    }
    // The folder may have come back since the lock scope began.
    m_locks.TakeWorkLock(work);
    if (m_locks.AllowsChange() && !m_locks.HasWorkLock()) {
        // It went again as its lock was taken: never touch the work file without the lock.
        m_usingTemporary = true;
        return;
    }
    m_usingTemporary = false;
    if (m_locks.AllowsChange()) RegistTemp();
}

bool CWorkReport::CutTornTail(const fs::path& path) {
    CFileDescriptor fd = CFileSystem::Open(path, O_RDWR);
    if (!fd) return true;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) return false;
    const off_t size = status.st_size;
    if (size % static_cast<off_t>(kLength) == 0) return true;
    // A crash mid-append left part of a block: drop it so new records stay aligned.
    const bool cut = ::ftruncate(fd.Get(), size - size % static_cast<off_t>(kLength)) == 0;
    ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::AppendRecord", __FILE__);
    return cut;
}

bool CWorkReport::RegistTemp() {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    fs::path work = ResolveWorkFilePath();
    m_locks.TakeWorkLock(work);
    if (!m_locks.AllowsChange()) return false;
    CTemporaryRecordMove move(TemporaryFilePath(), work);
    if (!move.Recover(true)) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::RegistTemp", __FILE__);
        return false;
    }
    if (!CFileSystem::Exists(TemporaryFilePath())) return false;
    CutTornTail(work);
    const auto waiting = CFileSystem::ReadWholeFile(TemporaryFilePath());
    if (!move.Append()) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::RegistTemp", __FILE__);
        return false;
    }
    // The moved taps are today's records of the work file now, also for another program of
    // this data folder that decides while the folder is away again.
    if (waiting) CTodayCache(TemporaryFilePath()).Add(TodayNumber(), *waiting);
    return true;
}

void CWorkReport::ShowPathMessage() const {
    m_runtime.Messages().ShowMessage(
        m_mode == kRoomMode ? "入退室時間を保存するファイルパスが無効です。\n保存はされません。"
                            : "勤務時間を保存するファイルパスが無効です。\n保存はされません。",
        EMessageIcon::None);
}

void CWorkReport::ShowBusy() const {
    if (m_locks.Refusal() == CFileLock::EState::kForeign) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport: foreign lock file", __FILE__);
        m_runtime.Messages().ShowMessage(
            "勤務ファイルのロックファイルの場所に、Stampwellのものではないファイル（リンクなど）が"
            "置かれています。\n保存はされません。管理者に連絡してください。",
            EMessageIcon::None);
        return;
    }
    ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport: lock wait timed out", __FILE__);
    m_runtime.Messages().ShowMessage(
        "他の端末が処理中のため、保存できませんでした。\nしばらくしてからもう一度お試しください。",
        EMessageIcon::None);
}

void CWorkReport::ShowWriteFailure(const fs::path& path, int error) const {
    if (CFileSystem::IsForeign(path)) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport: foreign work file", __FILE__);
        m_runtime.Messages().ShowMessage(
            "勤務ファイルの場所に、Stampwellのものではないファイル（リンクなど）が置かれています。"
            "\n保存はされません。管理者に連絡してください。",
            EMessageIcon::None);
    } else if (CFileSystem::IsNoSpace(error)) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport: disk full", __FILE__);
        m_runtime.Messages().ShowMessage("ディスクの空き容量が足りないため、保存できませんでした。",
                                         EMessageIcon::None);
    } else {
        ShowPathMessage();
    }
}

bool CWorkReport::ReadTarget(const fs::path& path, bool recentOnly,
                             const std::function<bool(std::size_t, std::string_view)>& visit) {
    CFileDescriptor fd = CFileSystem::Open(path, O_RDONLY);
    if (!fd) return false;
    if (!recentOnly) return CWorkFileReader::ForEachIn(fd.Get(), 0, CWorkFileReader::kToEnd, visit);
    return CTodayIndex(path).ForEachRecent(fd.Get(), TodayNumber(), visit);
}

bool CWorkReport::ForEachToday(const std::function<bool(std::size_t, std::string_view)>& visit) {
    const int today = TodayNumber();
    bool stopped = false;
    auto until = [&](std::size_t number, std::string_view text) {
        if (visit(number, text)) return true;
        stopped = true;
        return false;
    };
    bool read = false;
    const CTodayCache cache(TemporaryFilePath());
    // The folder may go between the check and the read, and come back before the next check:
    // the day is decided from the work file itself whenever it can be read.
    for (int attempt = 0; attempt < 3 && !m_usingTemporary && !read; ++attempt) {
        if (attempt > 0) CheckWorkFolder();
        if (m_usingTemporary) break;
        std::vector<std::string> seen;
        read =
            ReadTarget(ResolveWorkFilePath(), true, [&](std::size_t number, std::string_view text) {
                if (CWorkDate::Number(WorkLine::Parse(text).date) == today) {
                    seen.push_back(CCipherRecordFile::Encipher(text, kLength));
                }
                return until(number, text);
            });
        if (read && !stopped && m_locks.AllowsChange()) cache.Replace(today, seen);
        if (!read && !CFileSystem::Exists(ResolveWorkFilePath()) &&
            fs::is_directory(ResolveWorkFilePath().parent_path())) {
            break;  // no work file yet: nothing recorded
        }
    }
    if (stopped) return true;
    if (m_usingTemporary) {
        // What the work file held today when it was last seen; a record found here has no
        // number in the file that can be reached now (the overwrite then looks again).
        cache.ForEach(today, [&](std::string_view text) {
            read = true;
            return until(kUnreachableRecord, text);
        });
        if (stopped) return true;
    }
    // Records still waiting (a move that could not be finished) count as today's taps too.
    if (CFileSystem::Exists(TemporaryFilePath())) {
        read = ReadTarget(TemporaryFilePath(), false, until) || read;
    }
    return read;
}

std::optional<std::size_t> CWorkReport::FindToday(const fs::path& path, int side) {
    auto name = CTextCodec::ToCp932(m_name);
    if (!name || name->size() > WorkLine::kNameWidth) return std::nullopt;
    const std::string padded = CTextCodec::PadCp932(*name, WorkLine::kNameWidth);
    const std::string date = StampDateText();
    std::optional<std::size_t> found;
    ReadTarget(path, path != TemporaryFilePath(), [&](std::size_t number, std::string_view text) {
        if (!HasPaddedName(text, padded)) return true;
        WorkLine line = WorkLine::Parse(text);
        if (line.name != padded || line.date != date || line.Side() != side) return true;
        found = number;
        return false;
    });
    return found;
}

bool CWorkReport::WriteLine(const fs::path& path, int side, std::optional<int> overwrite) {
    if (!m_locks.AllowsChange()) {
        ShowBusy();
        return false;
    }
    auto name = CTextCodec::ToCp932(m_name);
    std::string text = name ? WorkLine::Format(*name, StampDateText(), StampTimeText(), side) : "";
    if (text.empty() || (side != 0 && side != 1)) return false;
    const std::string block = CCipherRecordFile::Encipher(text, kLength);
    if (block.empty()) return false;
    if (overwrite) {
        CFileDescriptor fd = CFileSystem::Open(path, O_RDWR);
        if (!fd && errno != ENOENT) {
            ShowWriteFailure(path, errno);
            return false;
        }
        // Never a block that was not just read: the record found may have moved meanwhile.
        const std::string padded = CTextCodec::PadCp932(*name, WorkLine::kNameWidth);
        auto isOurs = [&](const std::string& found) {
            WorkLine line = WorkLine::Parse(found);
            return HasPaddedName(found, padded) && line.name == padded &&
                   line.date == StampDateText() && line.Side() == side;
        };
        std::optional<std::size_t> number;
        std::string current;
        if (fd && *overwrite >= 1 &&
            CWorkFileReader::ReadRecord(fd.Get(), static_cast<std::size_t>(*overwrite), current) &&
            isOurs(current)) {
            number = static_cast<std::size_t>(*overwrite);
        }
        if (!number && fd) number = FindToday(path, side);
        if (!number) {
            // The record is in the work file, which cannot be reached now: a second record of
            // the day would be a double, so the tap is refused for now.
            if (m_usingTemporary && IsKnownToday(padded, side)) {
                m_runtime.Messages().ShowMessage(
                    "勤務ファイルに接続できないため、上書きできませんでした。\nしばらくしてから"
                    "もう一度カードをかざしてください。",
                    EMessageIcon::None);
                return false;
            }
            return WriteLine(path, side, std::nullopt);  // gone: a new record
        }
        if (::pwrite(fd.Get(), block.data(), kLength,
                     static_cast<off_t>((*number - 1) * kLength)) !=
                static_cast<ssize_t>(kLength) ||
            ::fsync(fd.Get()) != 0) {
            ShowWriteFailure(path, errno);
            return false;
        }
        return fd.Close();
    }
    bool cut = false;
    std::uint64_t at = 0;
    if (!CFileSystem::AppendWhole(path, block, kLength, {}, &cut, &at)) {
        const int error = errno;
        if (cut) ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::AppendRecord", __FILE__);
        ShowWriteFailure(path, error);
        return false;
    }
    // A crash mid-append had left part of a block: it was cut so new records stay aligned.
    if (cut) ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::AppendRecord", __FILE__);
    // What this clock wrote counts among the day's known records if the folder goes away.
    if (!m_usingTemporary) CTodayCache(TemporaryFilePath()).Add(TodayNumber(), block);
    return true;
}

bool CWorkReport::IsKnownToday(const std::string& padded, int side) const {
    const std::string date = StampDateText();
    bool known = false;
    CTodayCache(TemporaryFilePath()).ForEach(TodayNumber(), [&](std::string_view text) {
        WorkLine line = WorkLine::Parse(text);
        known = line.name == padded && line.date == date && line.Side() == side;
        return !known;
    });
    return known;
}

bool CWorkReport::AppendRecord(int side) {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    return WriteLine(TargetPath(), side, std::nullopt);
}

bool CWorkReport::OverwriteRecord(int recordNumber) {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    int side = (m_mode == kRoomMode || IsEndSide()) ? 1 : 0;
    return WriteLine(TargetPath(), side, recordNumber);
}

bool CWorkReport::RegisterStamp() {
    return AppendRecord(IsEndSide() && m_mode != kRoomMode ? 1 : 0);
}

int CWorkReport::CheckToday() {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (!m_locks.AllowsChange()) {
        ShowBusy();
        return WriteFailed;
    }
    auto name = CTextCodec::ToCp932(m_name);
    if (!name || name->size() > WorkLine::kNameWidth) return 0;
    const std::string padded = CTextCodec::PadCp932(*name, WorkLine::kNameWidth);
    const std::string date = StampDateText();
    auto matches = [&](std::string_view text, WorkLine& line) {
        if (!HasPaddedName(text, padded)) return false;
        line = WorkLine::Parse(text);
        return line.name == padded && line.date == date;
    };

    if (m_mode != kRoomMode) {
        std::size_t found = 0;
        const int wanted = IsEndSide() ? 1 : 0;
        ForEachToday([&](std::size_t number, std::string_view text) {
            WorkLine line;
            if (!matches(text, line) || line.Side() != wanted) return true;
            found = number;
            return false;
        });
        return static_cast<int>(found);
    }

    std::size_t entry = 0;
    std::size_t exit = 0;
    std::string lastTime;
    bool opened = ForEachToday([&](std::size_t number, std::string_view text) {
        WorkLine line;
        if (!matches(text, line)) return true;
        if (!line.start.empty()) {
            entry = number;
            lastTime = line.start;
        } else if (!line.end.empty()) {
            lastTime = line.end;
            exit = number;
            return false;
        }
        return true;
    });
    // No file yet (the first tap ever): the command registers the entry.
    if (!opened) return 0;
    if (entry == 0) return AppendRecord(0) ? EntryRecorded : WriteFailed;
    if (CWorkDate::ParseMinutes(StampTimeText()) <= CWorkDate::ParseMinutes(lastTime) + 5) {
        return TooSoon;
    }
    bool written = exit != 0 ? OverwriteRecord(static_cast<int>(exit)) : AppendRecord(1);
    return written ? ExitRecorded : WriteFailed;
}

std::string CWorkReport::MakeResultText(int kind) const {
    int side = kind == 1 ? 0 : (kind == 2 ? 1 : (IsEndSide() ? 1 : 0));
    const char* suffix = nullptr;
    if (m_mode == kRoomMode) {
        suffix = side == 0 ? " 入室" : " 退室";
    } else {
        suffix = side == 0 ? " 勤務開始" : " 勤務終了";
    }
    return StampTimeText() + suffix;
}

void CWorkReport::ListToday(std::vector<std::string>& lines) {
    lines.clear();
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    const int today = TodayNumber();
    const bool room = m_mode == kRoomMode;
    ForEachToday([&](std::size_t, std::string_view text) {
        WorkLine line = WorkLine::Parse(text);
        if (line.date.empty() || CWorkDate::Number(line.date) != today) return true;
        std::string name = CTextCodec::FromCp932(line.name);
        std::string date(line.date);
        if (!line.start.empty()) {
            lines.push_back(date + " " + std::string(line.start) + (room ? " 入室 " : " 出社 ") +
                            name);
        }
        if (!line.end.empty()) {
            lines.push_back(date + " " + std::string(line.end) + (room ? " 退室 " : " 退社 ") +
                            name);
        }
        return true;
    });
}

bool CWorkReport::ForEachRecord(bool todayOnly,
                                const std::function<bool(const NumberedLine&)>& visit) {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    const int today = TodayNumber();
    const fs::path target = TargetPath();
    return ReadTarget(target, todayOnly && !m_usingTemporary,
                      [&](std::size_t number, std::string_view text) {
                          if (todayOnly && CWorkDate::Number(WorkLine::Parse(text).date) != today) {
                              return true;
                          }
                          std::string_view shown = text;
                          while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) {
                              shown.remove_suffix(1);
                          }
                          return visit({number, CTextCodec::FromCp932(shown)});
                      });
}

std::vector<CWorkReport::NumberedLine> CWorkReport::ListRecords(bool todayOnly) {
    std::vector<NumberedLine> records;
    ForEachRecord(todayOnly, [&](const NumberedLine& line) {
        records.push_back(line);
        return true;
    });
    return records;
}

bool CWorkReport::LoadTable(WorkRecordTable& table) {
    table.Clear();
    CLockScope lock(m_locks, ResolveWorkFilePath());
    fs::path path = ResolveWorkFilePath();
    m_loadedPath = path;
    m_loadedSize = 0;
    m_loadFailed = false;
    bool absent = false;
    auto content = CFileSystem::ReadWholeFileInFolder(path, absent);
    if (content && absent) return true;  // no records yet
    const std::uintmax_t size = content ? content->size() : 0;
    char plain[kLength];
    bool read = static_cast<bool>(content);
    for (std::size_t at = 0; read && at + kLength <= size; at += kLength) {
        std::string_view text = CWorkFileReader::Decipher(content->data() + at, plain);
        WorkLine line = WorkLine::Parse(text);
        // A line with no time holds nothing a save could write back.
        if (line.name.empty() || line.date.empty() || line.Side() < 0) continue;
        std::string_view name = line.name;
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        table.MergeRecord({CTextCodec::FromCp932(name), std::string(line.date),
                           std::string(line.start), std::string(line.end)});
    }
    if (!read) {
        // Saving this table would replace records that were never read.
        table.Clear();
        m_loadedSize.reset();
        m_loadFailed = true;
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::LoadTable", __FILE__);
        return false;
    }
    m_loadedSize = size / kLength * kLength;
    return true;
}

bool CWorkReport::SaveTable(const WorkRecordTable& table) {
    if (m_loadFailed) return false;
    CLockScope lock(m_locks, ResolveWorkFilePath());
    if (!m_locks.AllowsChange()) return false;
    fs::path work = ResolveWorkFilePath();
    std::string bytes;
    bool ok = true;
    table.ForEach([&](const WorkDayRecord& record) {
        auto name = CTextCodec::ToCp932(record.name);
        for (int side = 0; side < 2 && ok; ++side) {
            const std::string& time = side == 0 ? record.start : record.end;
            if (time.empty()) continue;
            std::string text = name ? WorkLine::Format(*name, record.date, time, side) : "";
            std::string block = CCipherRecordFile::Encipher(text, kLength);
            ok = !text.empty() && !block.empty();
            bytes += block;
        }
    });
    if (!ok) return false;
    const std::uintmax_t tableSize = bytes.size();
    // Taps recorded after the table was loaded stay in the file.
    std::error_code error;
    auto now = fs::file_size(work, error) / kLength * kLength;
    if (!error && m_loadedSize && m_loadedPath == work && now > *m_loadedSize) {
        auto current = CFileSystem::ReadWholeFile(work);
        if (!current || current->size() < now) return false;
        bytes.append(*current, static_cast<std::size_t>(*m_loadedSize),
                     static_cast<std::size_t>(now - *m_loadedSize));
    }
    if (!CFileSystem::WriteWholeFile(work, "KintaiTemp.txt", bytes)) return false;
    CTodayIndex::Invalidate(work);
    m_loadedPath = work;
    m_loadedSize = tableSize;
    return true;
}

int CWorkReport::DaysInMonth(int year, int month) {
    return CWorkDate::DaysInMonth(year, month);
}

bool CWorkReport::RunLocked(const std::function<bool()>& work) {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (!m_locks.AllowsChange()) return false;
    return work();
}

bool CWorkReport::CollectPeriod(int year, int month, int closing, const std::string& onlyName,
                                WorkRecordTable& table) {
    table.Clear();
    SetExportYear(year);
    SetExportMonth(month);
    SetExportClosing(closing);
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    const fs::path work = ResolveWorkFilePath();
    std::error_code error;
    if (!fs::exists(work, error) && !error) return true;
    std::string prefix;
    if (!onlyName.empty()) {
        auto cp932 = CTextCodec::ToCp932(onlyName);
        if (!cp932 || cp932->size() > WorkLine::kNameWidth) return true;
        std::string padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth) + ",";
        prefix = CCipherRecordFile::Encipher(padded, kLength).substr(0, padded.size());
    }
    return CWorkExport::Collect(work, CPayPeriod(year, month, closing), prefix, table);
}

bool CWorkReport::LoadMonth(const std::string& name, int year, int month,
                            std::vector<WorkDayRecord>& days) {
    days.clear();
    auto cp932 = CTextCodec::ToCp932(name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth || DaysInMonth(year, month) == 0) {
        return false;
    }
    const CMonthEdit edit(*cp932, year, month);
    days = edit.EmptyDays(name);
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (m_usingTemporary) return false;
    const fs::path work = ResolveWorkFilePath();
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    if (!fd && errno == ENOENT && fs::is_directory(work.parent_path())) {
        return true;  // no records yet
    }
    // Other people's blocks are passed over without deciphering them.
    const std::string padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth) + ",";
    const std::string prefix =
        CCipherRecordFile::Encipher(padded, kLength).substr(0, padded.size());
    char plain[kLength];
    bool read =
        fd && CWorkFileReader::ForEachRaw(
                  fd.Get(), 0, CWorkFileReader::kToEnd, [&](std::size_t, const char* cipher) {
                      if (std::memcmp(cipher, prefix.data(), prefix.size()) == 0) {
                          edit.Note(CWorkFileReader::Decipher(cipher, plain), days);
                      }
                      return true;
                  });
    if (!read) ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::LoadMonth", __FILE__);
    return read;
}

CWorkReport::ESaveOutcome CWorkReport::SaveMonth(const std::string& name, int year, int month,
                                                 const std::vector<CellChange>& changes,
                                                 std::vector<CellConflict>* conflicts,
                                                 const SaveHooks& hooks) {
    if (conflicts != nullptr) conflicts->clear();
    auto cp932 = CTextCodec::ToCp932(name);
    if (!cp932 || cp932->empty() || cp932->size() > WorkLine::kNameWidth ||
        DaysInMonth(year, month) == 0) {
        return ESaveOutcome::kFailed;
    }
    if (changes.empty()) return ESaveOutcome::kSaved;
    const CMonthEdit edit(*cp932, year, month);
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (!m_locks.AllowsChange()) return ESaveOutcome::kBusy;
    if (m_usingTemporary) return ESaveOutcome::kUnreachable;
    const fs::path work = ResolveWorkFilePath();
    // Read again now, under the lock: what other clocks wrote meanwhile stays. A folder that is
    // away for a moment must never pass for one without a work file: the save would replace
    // every record.
    bool absent = false;
    auto content = CFileSystem::ReadWholeFileInFolder(work, absent);
    if (!content) return ESaveOutcome::kUnreachable;
    std::string current = std::move(*content);
    const std::vector<WorkDayRecord> onDisk = edit.Read(current, name);
    std::vector<CellChange> applied = changes;
    std::vector<CellConflict> found;
    for (auto& change : applied) {
        if (change.day < 1 || change.day > static_cast<int>(onDisk.size())) {
            return ESaveOutcome::kFailed;
        }
        const auto& day = onDisk[static_cast<std::size_t>(change.day - 1)];
        const std::string& disk = change.side == 0 ? day.start : day.end;
        if (disk != change.before)
            found.push_back({change.day, change.side, change.before, disk, change.after});
        change.before = disk;
    }
    if (!found.empty()) {
        if (conflicts != nullptr) *conflicts = std::move(found);
        return ESaveOutcome::kConflict;
    }
    auto out = edit.Apply(current, applied);
    if (!out) return ESaveOutcome::kFailed;
    if (hooks.beforeReplace && !hooks.beforeReplace(applied)) return ESaveOutcome::kFailed;
    if (!CFileSystem::WriteWholeFile(work, "KintaiTemp.txt", *out)) {
        const int error = errno;
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::SaveMonth", __FILE__);
        if (hooks.replaceFailed) hooks.replaceFailed();
        return CFileSystem::IsNoSpace(error) ? ESaveOutcome::kNoSpace : ESaveOutcome::kFailed;
    }
    CTodayIndex::Invalidate(work);
    if (hooks.replaced) hooks.replaced();
    return ESaveOutcome::kSaved;
}

bool CWorkReport::Backup() {
    auto config = CreateConfig(m_runtime);
    if (!m_settings) SetSettings(config);
    if (!config->IsBackupChecked()) return true;
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (m_usingTemporary) {
        // A copy of the waiting records would replace a good backup of the whole file.
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::Backup: work folder away", __FILE__);
        return true;
    }
    fs::path source = ResolveWorkFilePath();
    auto content = CFileSystem::ReadWholeFile(source);
    if (!content) return true;
    fs::path target(config->GetBackupPath());
    const CStoredFiles stored(m_runtime.DataDir(), source, config->GetIdFilePath(), {});
    if (target.empty() || stored.Contains(target) || CFileSystem::IsForeign(target)) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::Backup: refused target", __FILE__);
        return false;
    }
    return CFileSystem::WriteWholeFile(target, target.filename().string() + ".tmp", *content);
}

bool CWorkReport::IsOutsidePeriod(const std::string& dateText) const {
    return !CPayPeriod(m_exportYear, m_exportMonth, m_exportClosing).ContainsText(dateText);
}

bool CWorkReport::IsStoredFile(const fs::path& path) const {
    const fs::path work = ResolveWorkFilePath();
    std::string reg = m_settings ? m_settings->GetIdFilePath() : std::string{};
    std::string backup = m_settings ? m_settings->GetBackupPath() : std::string{};
    return CStoredFiles(m_runtime.DataDir(), work, reg, backup).Contains(path);
}

bool CWorkReport::Export() {
    m_exportError.clear();
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    fs::path work = ResolveWorkFilePath();
    if (!CFileSystem::Open(work, O_RDONLY)) {
        m_runtime.Messages().ShowMessage(m_mode == kRoomMode
                                             ? "エクスポートする入退室データが見つかりません。"
                                             : "エクスポートする出退勤データが見つかりません。",
                                         EMessageIcon::None);
        return false;
    }
    if (m_exportPath.empty() || IsStoredFile(m_exportPath)) {
        m_exportError =
            "出力先に勤務ファイルや設定ファイルなど、保存データのファイルは指定できません。";
        return false;
    }
    std::string csv;
    if (!CWorkExport::MakeCsv(work, CPayPeriod(m_exportYear, m_exportMonth, m_exportClosing),
                              csv)) {
        m_exportError = "勤務ファイルを最後まで読めませんでした。";
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::Export", __FILE__);
        return false;
    }
    // The previous file stays until the whole new one is on disk.
    fs::path out(m_exportPath);
    if (!CFileSystem::WriteWholeFile(out, out.filename().string() + ".tmp", csv)) {
        m_exportError = CFileSystem::IsNoSpace(errno)
                            ? "ディスクの空き容量が足りないため、書き込めませんでした。"
                            : "出力先のファイルに書き込めませんでした。";
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::Export", __FILE__);
        return false;
    }
    return true;
}

std::shared_ptr<CWorkReport> CreateWorkReport(const CRuntime& runtime) {
    return std::make_shared<CWorkReport>(runtime);
}

}  // namespace stampwell
