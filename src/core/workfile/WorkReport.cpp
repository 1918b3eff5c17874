#include "workfile/WorkReport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include "calendar/PayPeriod.h"
#include "calendar/WorkDate.h"
#include "calendar/WorkingDay.h"
#include "diagnostics/ErrorLog.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "settings/StoredFiles.h"
#include "text/TextCodec.h"
#include "workfile/MonthIndex.h"
#include "workfile/MonthStore.h"
#include "workfile/NameCache.h"
#include "workfile/TemporaryRecordMove.h"
#include "workfile/TodayCache.h"
#include "workfile/TodayIndex.h"
#include "workfile/TodayReader.h"
#include "workfile/WaitingRecords.h"
#include "workfile/WorkExport.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkGeneration.h"
#include "workfile/WorkJournal.h"
#include "workfile/WorkLine.h"
#include "workfile/WorkMessages.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLength = WorkLine::kRecordLength;

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
    return SetStamp(name, m_runtime.Clock().Now());
}

bool CWorkReport::SetStamp(const std::string& name, std::int64_t at) {
    m_name = name;
    m_stampTime = at;
    return true;
}

int CWorkReport::DayChangeHour() const {
    return m_settings ? m_settings->GetDayChangeHour() : 0;
}

std::string CWorkReport::StampDateText() const {
    return CWorkingDay::DateText(m_stampTime, DayChangeHour());
}

std::string CWorkReport::StampTimeText() const {
    return CWorkingDay::TimeText(m_stampTime, DayChangeHour());
}

int CWorkReport::DateNumber(const std::string& dateText) {
    return CWorkDate::Number(dateText);
}

std::string CWorkReport::TodayText() const {
    return CWorkingDay::DateText(m_runtime.Clock().Now(), DayChangeHour());
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
    NoteTornTail();
    return cut;
}

void CWorkReport::NoteTornTail() const {
    ErrorLog(m_runtime.DataDir(), __LINE__,
             "勤務ファイルの末尾の書きかけの記録を切り取りました (CWorkReport::AppendRecord)",
             __FILE__, &m_runtime.Clock());
}

bool CWorkReport::RegistTemp() {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    fs::path work = ResolveWorkFilePath();
    m_locks.TakeWorkLock(work);
    if (!m_locks.AllowsChange()) return false;
    CTemporaryRecordMove move(TemporaryFilePath(), work);
    if (!move.Recover(true)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "一時ファイルの記録を勤務ファイルへ移せませんでした (CWorkReport::RegistTemp)",
                 __FILE__, &m_runtime.Clock());
        return false;
    }
    if (!CFileSystem::Exists(TemporaryFilePath())) return false;
    CutTornTail(work);
    const auto waiting = CFileSystem::ReadWholeFile(TemporaryFilePath());
    // Another clock cut off at the same time may have recorded the same taps meanwhile.
    if (!CWaitingRecords::Merge(TemporaryFilePath(), work, m_mode == kRoomMode,
                                m_runtime.DataDir())) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "他の端末の待機記録との統合に失敗しました (CWorkReport::RegistTemp: merge)",
                 __FILE__, &m_runtime.Clock());
        return false;
    }
    if (CFileSystem::Exists(TemporaryFilePath()) && !move.Append()) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "一時ファイルの記録を勤務ファイルへ移せませんでした (CWorkReport::RegistTemp)",
                 __FILE__, &m_runtime.Clock());
        return false;
    }
    // The moved taps are today's records of the work file now, also for another program of
    // this data folder that decides while the folder is away again: known even when the folder
    // goes before the day can be read again.
    if (waiting) CTodayCache(TemporaryFilePath()).Add(TodayNumber(), *waiting);
    RefreshDayCache();
    return true;
}

void CWorkReport::RefreshDayCache() {
    bool away = false;
    Today().ForEach(
        away, [] { return true; }, m_locks.AllowsChange(),
        [](std::size_t, std::string_view) { return true; });
}

CTodayReader CWorkReport::Today() const {
    return CTodayReader(ResolveWorkFilePath(), TemporaryFilePath(), TodayNumber());
}

bool CWorkReport::ForEachToday(const std::function<bool(std::size_t, std::string_view)>& visit) {
    bool away = m_usingTemporary;
    const bool read = Today().ForEach(
        away,
        [this] {
            CheckWorkFolder();
            return m_usingTemporary;
        },
        m_locks.AllowsChange(), visit);
    NoteForeignIndex();
    return read;
}

void CWorkReport::NoteForeignIndex() {
    if (m_usingTemporary) return;
    const fs::path work = ResolveWorkFilePath();
    const struct {
        fs::path path;
        bool foreign;
        const char* said;
    } sides[] = {
        {CTodayIndex(work).FilePath(), CTodayIndex(work).IsForeign(),
         "索引ファイルの場所にStampwellのものではないもの（フォルダ、リンクなど）が置かれてい"
         "るため、使わずに勤務ファイルを読みます: "},
        {CMonthIndex(work).FilePath(), CMonthIndex(work).IsForeign(),
         "月の索引ファイルの場所にStampwellのものではないもの（フォルダ、リンクなど）が置かれ"
         "ているため、使わずに勤務ファイルを読みます: "},
        {CWorkJournal(work).FilePath(), CWorkJournal(work).IsForeign(),
         "保存用ファイルの場所にStampwellのものではないもの（フォルダ、リンクなど）が置かれて"
         "いるため、月の修正は保存できません: "},
    };
    for (std::size_t i = 0; i < std::size(sides); ++i) {
        if (!sides[i].foreign || (m_foreignSaid & (1u << i)) != 0) continue;
        m_foreignSaid |= 1u << i;
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 std::string(sides[i].said) + sides[i].path.string() + " (CWorkReport)", __FILE__,
                 &m_runtime.Clock());
    }
}

bool CWorkReport::WriteLine(const fs::path& path, int side, std::optional<int> overwrite) {
    if (!m_locks.AllowsChange()) {
        CWorkMessages(m_runtime, m_mode).ShowLockRefusal(m_locks.Refusal());
        return false;
    }
    auto name = CTextCodec::ToCp932(m_name);
    std::string text = name ? WorkLine::Format(*name, StampDateText(), StampTimeText(), side) : "";
    if (text.empty() || (side != 0 && side != 1)) return false;
    const std::string block = CCipherRecordFile::Encipher(text, kLength);
    if (block.empty()) return false;
    if (overwrite) {
        CFileDescriptor fd = CFileSystem::Open(path, O_RDWR);
        const int openError = fd ? 0 : errno;
        const bool onWork = !m_usingTemporary;
        if (!fd && openError != ENOENT && !(onWork && CFileSystem::IsShareGone(openError))) {
            CWorkMessages(m_runtime, m_mode).ShowWriteFailure(path, openError);
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
        // Looked up by the stamp's working day: the question may have stayed open across the
        // day change, when today's part of the file starts later.
        bool read = true;
        if (!number && fd) {
            number = CTodayReader(ResolveWorkFilePath(), TemporaryFilePath(),
                                  DateNumber(StampDateText()))
                         .Find(path, padded, StampDateText(), side, &read);
        }
        std::error_code ignored;
        const bool workGone =
            onWork && !number &&
            (!read ||
             (!fd && (openError != ENOENT || !fs::is_directory(path.parent_path(), ignored))));
        fs::path target = path;
        if (!number && onWork && !workGone && CFileSystem::Exists(TemporaryFilePath())) {
            // A move that could not finish left the record waiting: it is overwritten there and
            // moves with the rest (a second record beside it would be merged away).
            number = CTodayReader(ResolveWorkFilePath(), TemporaryFilePath(),
                                  DateNumber(StampDateText()))
                         .Find(TemporaryFilePath(), padded, StampDateText(), side);
            if (number) {
                target = TemporaryFilePath();
                fd = CFileSystem::Open(target, O_RDWR);
                if (!fd) {
                    CWorkMessages(m_runtime, m_mode).ShowWriteFailure(target, errno);
                    return false;
                }
            }
        }
        if (!number) {
            // The record found is in the work file, which cannot be reached now (it was not
            // among the waiting records): a waiting second record of the day would be dropped
            // as a double when it moves, so the tap is refused for now.
            if (m_usingTemporary || workGone) {
                m_runtime.Messages().ShowMessage(
                    "勤務ファイルに接続できないため、上書きできませんでした。\nしばらくしてから"
                    "もう一度カードをかざしてください。",
                    EMessageIcon::None);
                return false;
            }
            return WriteLine(path, side, std::nullopt);  // gone: a new record
        }
        // A month save prepared before its lock must see that this record changed.
        std::optional<CWorkGeneration::CChanging> changing;
        if (target == ResolveWorkFilePath()) changing.emplace(target);
        if (::pwrite(fd.Get(), block.data(), kLength,
                     static_cast<off_t>((*number - 1) * kLength)) !=
                static_cast<ssize_t>(kLength) ||
            ::fsync(fd.Get()) != 0) {
            CWorkMessages(m_runtime, m_mode).ShowWriteFailure(target, errno);
            return false;
        }
        if (!fd.Close()) return false;
        // The day's cache follows the overwrite (a tap after it, while the folder is away,
        // decides from it) without reading the work file again.
        if (target == ResolveWorkFilePath())
            CTodayCache(TemporaryFilePath()).Put(TodayNumber(), block);
        return true;
    }
    bool cut = false;
    std::uint64_t at = 0;
    if (!CFileSystem::AppendWhole(path, block, kLength, {}, &cut, &at)) {
        const int error = errno;
        if (cut) NoteTornTail();
        if (!m_usingTemporary && path == ResolveWorkFilePath() && CFileSystem::IsShareGone(error)) {
            // The share went between the check and the write: the tap waits in the temporary
            // file like any other tap made while the folder is away.
            ErrorLog(m_runtime.DataDir(), __LINE__,
                     "勤務ファイルの場所に接続できなくなったため、一時ファイルに記録しました "
                     "(CWorkReport::AppendRecord: " +
                         std::string(std::strerror(error)) + ")",
                     __FILE__, &m_runtime.Clock());
            m_usingTemporary = true;
            return WriteLine(TemporaryFilePath(), side, std::nullopt);
        }
        CWorkMessages(m_runtime, m_mode).ShowWriteFailure(path, error);
        return false;
    }
    // A crash mid-append had left part of a block: it was cut so new records stay aligned.
    if (cut) NoteTornTail();
    // What this clock wrote counts among the day's known records if the folder goes away.
    if (!m_usingTemporary) CTodayCache(TemporaryFilePath()).Add(TodayNumber(), block);
    return true;
}

std::unique_ptr<CWorkReport::CLockScope> CWorkReport::HoldLocks() {
    return std::make_unique<CLockScope>(m_locks, ResolveWorkFilePath());
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
        CWorkMessages(m_runtime, m_mode).ShowLockRefusal(m_locks.Refusal());
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
    CNameCache names;
    NumberedLine line;
    return Today().Read(
        target, todayOnly && !m_usingTemporary, [&](std::size_t number, std::string_view text) {
            if (todayOnly && CWorkDate::Number(WorkLine::Parse(text).date) != today) {
                return true;
            }
            std::string_view shown = text;
            while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) {
                shown.remove_suffix(1);
            }
            line.number = number;
            std::string_view rest = shown.size() > WorkLine::kNameWidth
                                        ? shown.substr(WorkLine::kNameWidth)
                                        : std::string_view{};
            if (!rest.empty() && CTextCodec::IsAscii(rest)) {
                line.text = names.Utf8(shown.substr(0, WorkLine::kNameWidth));
                line.text += rest;
            } else {
                line.text = CTextCodec::FromCp932(shown);
            }
            return visit(line);
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
    CLockScope lock(m_locks, ResolveWorkFilePath());
    if (m_table.Load(ResolveWorkFilePath(), table)) return true;
    ErrorLog(m_runtime.DataDir(), __LINE__,
             "勤務ファイルを最後まで読めませんでした (CWorkReport::LoadTable)", __FILE__,
             &m_runtime.Clock());
    return false;
}

bool CWorkReport::SaveTable(const WorkRecordTable& table) {
    CLockScope lock(m_locks, ResolveWorkFilePath());
    if (!m_locks.AllowsChange()) return false;
    return m_table.Save(ResolveWorkFilePath(), table);
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

const fs::path& CWorkReport::DataDir() const {
    return m_runtime.DataDir();
}

bool CWorkReport::CollectPeriod(int year, int month, int closing, const std::string& onlyName,
                                WorkRecordTable& table) {
    SetExportYear(year);
    SetExportMonth(month);
    SetExportClosing(closing);
    const CPayPeriod period(year, month, closing);
    return CollectRange(period.First(), period.Last(), onlyName, table);
}

bool CWorkReport::CollectRange(int first, int last, const std::string& onlyName,
                               WorkRecordTable& table) {
    table.Clear();
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
    return CWorkExport::Collect(work, CPayPeriod::Range(first, last), prefix, table);
}

bool CWorkReport::LoadMonth(const std::string& name, int year, int month,
                            std::vector<WorkDayRecord>& days, std::vector<WorkDayRecord>* leadIn) {
    days.clear();
    if (leadIn != nullptr) leadIn->clear();
    auto cp932 = CTextCodec::ToCp932(name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth || DaysInMonth(year, month) == 0) {
        return false;
    }
    days = CMonthEdit(*cp932, year, month).EmptyDays(name);
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (m_usingTemporary) return false;
    NoteForeignIndex();
    const bool read = CMonthStore::Load(ResolveWorkFilePath(), *cp932, name, year, month, days,
                                        leadIn, m_locks.AllowsChange() && m_locks.HasWorkLock());
    if (!read) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "勤務ファイルを最後まで読めませんでした (CWorkReport::LoadMonth)", __FILE__,
                 &m_runtime.Clock());
    }
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
    // Read, worked out and journalled before the lock, so every clock's tap waits only while
    // the work file itself is written (the plan stands only if nothing but taps came between).
    auto plan = CMonthStore::Plan(ResolveWorkFilePath(), *cp932, name, year, month, changes);
    if (hooks.prepared) hooks.prepared();
    CLockScope lock(m_locks, ResolveWorkFilePath());
    CheckWorkFolder();
    if (!m_locks.AllowsChange()) return ESaveOutcome::kBusy;
    if (m_usingTemporary) return ESaveOutcome::kUnreachable;
    if (hooks.locked) hooks.locked();
    NoteForeignIndex();
    const auto outcome = CMonthStore::Save(ResolveWorkFilePath(), *cp932, name, year, month,
                                           changes, conflicts, hooks, plan ? &*plan : nullptr);
    if (outcome == ESaveOutcome::kNoSpace || outcome == ESaveOutcome::kFailed) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "月の修正を勤務ファイルに保存できませんでした (CWorkReport::SaveMonth)", __FILE__,
                 &m_runtime.Clock());
    }
    // A save may have changed today's records, which a tap decides from while the folder is away.
    if (outcome == ESaveOutcome::kSaved) RefreshDayCache();
    return outcome;
}

bool CWorkReport::Backup() {
    auto config = CreateConfig(m_runtime);
    if (!m_settings) SetSettings(config);
    if (!config->IsBackupChecked()) return true;
    CLockScope lock(m_locks, ResolveWorkFilePath());
    // A copy taken while another program changes the file could be half of each: never
    // without the work file's lock (the refusal is logged where it was taken).
    if (!m_locks.AllowsChange()) return false;
    CheckWorkFolder();
    if (m_usingTemporary) {
        // A copy of the waiting records would replace a good backup of the whole file.
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "勤務ファイルの場所に接続できないため、バックアップを見送りました "
                 "(CWorkReport::Backup: work folder away)",
                 __FILE__, &m_runtime.Clock());
        return true;
    }
    fs::path source = ResolveWorkFilePath();
    auto content = CFileSystem::ReadWholeFile(source);
    if (!content) return true;
    fs::path target(config->GetBackupPath());
    const CStoredFiles stored(m_runtime.DataDir(), source, config->GetIdFilePath(), {});
    if (target.empty() || stored.Contains(target) || CFileSystem::IsForeign(target)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "バックアップ先がStampwellのファイルか使えない場所のため、書き込みませんでした "
                 "(CWorkReport::Backup: refused target)",
                 __FILE__, &m_runtime.Clock());
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
    if (!CWorkExport::Write(work, CPayPeriod(m_exportYear, m_exportMonth, m_exportClosing),
                            m_exportPath, m_exportError)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "エクスポートファイルを書き込めませんでした (CWorkReport::Export)", __FILE__,
                 &m_runtime.Clock());
        return false;
    }
    return true;
}

std::shared_ptr<CWorkReport> CreateWorkReport(const CRuntime& runtime) {
    return std::make_shared<CWorkReport>(runtime);
}

std::shared_ptr<CWorkReport> TwinOf(const CWorkReport& report) {
    auto twin = std::make_shared<CWorkReport>(report.Runtime());
    if (report.Settings()) twin->SetSettings(report.Settings());
    return twin;
}

}  // namespace stampwell
