#include "recording/WorkReport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <span>
#include <system_error>
#include <unordered_map>

#include "diagnostics/ErrorLog.h"
#include "people/CipherRecordFile.h"
#include "platform/FileHandle.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "recording/TemporaryRecordMove.h"
#include "recording/WorkFileReader.h"
#include "recording/WorkLine.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLength = WorkLine::kRecordLength;

// Reads up to out.size() numbers separated by sep the way sscanf("%d<sep>%d...") does, but a
// number of more than nine digits counts as unreadable instead of overflowing. Returns how many
// numbers were read.
std::size_t ScanNumbers(std::string_view text, char sep, std::span<int> out) {
    std::size_t pos = 0;
    std::size_t count = 0;
    while (count < out.size()) {
        if (count > 0) {
            if (pos >= text.size() || text[pos] != sep) break;
            ++pos;
        }
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
            negative = text[pos] == '-';
            ++pos;
        }
        std::size_t first = pos;
        long long value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (pos - first >= 9) return count;
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (pos == first) break;
        out[count++] = static_cast<int>(negative ? -value : value);
    }
    return count;
}

int ParseMinutes(const std::string& time) {
    int parts[2] = {0, 0};
    ScanNumbers(time, ':', parts);
    return static_cast<int>(
        std::clamp(static_cast<long long>(parts[0]) * 60 + parts[1], -1000000LL, 1000000LL));
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int MonthDays(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// y*10000+m*100+d of a local date, normalised the way mktime normalises (2011/02/30 is 03/02).
int NormalisedDateNumber(int year, int month, int day) {
    if (month >= 1 && month <= 12 && day >= 1 && day <= MonthDays(year, month)) {
        return year * 10000 + month * 100 + day;
    }
    auto tm = CLocalTime::ToLocal(CLocalTime::FromLocal(year, month, day, 12));
    if (!tm) return -1;
    return (tm->tm_year + 1900) * 10000 + (tm->tm_mon + 1) * 100 + tm->tm_mday;
}

bool ParseDate(std::string_view text, int& year, int& month, int& day) {
    // The common "YYYY/MM/DD" without sscanf: this runs once per record of a long file.
    if (text.size() == 10 && text[4] == '/' && text[7] == '/') {
        bool digits = true;
        for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
            digits = digits && text[i] >= '0' && text[i] <= '9';
        if (digits) {
            year = (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 +
                   (text[3] - '0');
            month = (text[5] - '0') * 10 + (text[6] - '0');
            day = (text[8] - '0') * 10 + (text[9] - '0');
            return true;
        }
    }
    int parts[3] = {0, 0, 0};
    if (ScanNumbers(text, '/', parts) != 3) return false;
    // Beyond these no calendar date is meant, and the arithmetic below must not overflow.
    if (parts[0] < 0 || parts[0] > 9999 || std::abs(parts[1]) > 9999 || std::abs(parts[2]) > 9999)
        return false;
    year = parts[0];
    month = parts[1];
    day = parts[2];
    return true;
}

// Only a block that starts with the padded name and a comma can have that name field: a cheap
// test before parsing, as every scan of the work file looks for one person.
bool HasPaddedName(std::string_view text, const std::string& padded) {
    return text.size() > WorkLine::kNameWidth &&
           text.compare(0, WorkLine::kNameWidth, padded) == 0 && text[WorkLine::kNameWidth] == ',';
}

// The UTF-8 name of a record's padded CP932 name field. Names repeat on every working day: each
// spelling is converted once.
class CNameCache {
public:
    const std::string& Utf8(std::string_view padded) {
        while (!padded.empty() && padded.back() == ' ') padded.remove_suffix(1);
        auto [it, added] = m_names.try_emplace(std::string(padded));
        if (added) it->second = CTextCodec::FromCp932(padded);
        return it->second;
    }

private:
    std::unordered_map<std::string, std::string> m_names;
};

}  // namespace

// Holds the advisory locks for the outermost operation; nested operations reuse them. The data
// folder's lock comes first: it guards the temporary file, which is written while the work
// folder is away and moved when it is back.
class CWorkReport::CLockScope {
public:
    explicit CLockScope(CWorkReport& report) : m_report(report) {
        if (m_report.m_lockDepth++ > 0) return;
        fs::path dataLock = m_report.TemporaryFilePath();
        dataLock += ".lock";
        m_report.m_dataLock = std::make_unique<CFileLock>(dataLock);
        fs::path work = m_report.ResolveWorkFilePath();
        std::error_code error;
        fs::path folder = work.parent_path().empty() ? fs::path(".") : work.parent_path();
        if (fs::is_directory(folder, error)) m_report.TakeWorkLock();
    }
    ~CLockScope() {
        if (--m_report.m_lockDepth == 0) {
            m_report.m_workLock.reset();
            m_report.m_dataLock.reset();
        }
    }
    CLockScope(const CLockScope&) = delete;
    CLockScope& operator=(const CLockScope&) = delete;

private:
    CWorkReport& m_report;
};

void CWorkReport::TakeWorkLock() {
    if (m_lockDepth == 0 || m_workLock) return;
    fs::path lockPath = ResolveWorkFilePath();
    lockPath += ".lock";
    m_workLock = std::make_unique<CFileLock>(lockPath);
}

CWorkReport::CWorkReport(CRuntime runtime) : m_runtime(std::move(runtime)) {
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
    int year = 0, month = 0, day = 0;
    if (!ParseDate(dateText, year, month, day)) return -1;
    return year * 10000 + month * 100 + day;
}

bool CWorkReport::IsToday(const std::string& dateText) const {
    if (dateText.empty()) return false;
    return DateNumber(dateText) == DateNumber(ShiftedDate(m_runtime.Clock().Now()));
}

void CWorkReport::CheckWorkFolder() {
    CLockScope lock(*this);
    fs::path work = ResolveWorkFilePath();
    fs::path folder = work.parent_path().empty() ? fs::path(".") : work.parent_path();
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        m_usingTemporary = true;
        CTemporaryRecordMove(TemporaryFilePath(), work).Recover(false);
        return;
    }
    // The folder may have come back since the lock scope began.
    TakeWorkLock();
    m_usingTemporary = false;
    RegistTemp();
}

bool CWorkReport::CutTornTail(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return true;
    auto size = fs::file_size(path, error);
    if (error || size % kLength == 0) return true;
    // A crash mid-append left part of a block: drop it so new records stay aligned.
    fs::resize_file(path, size - size % kLength, error);
    ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::AppendRecord", __FILE__);
    return !error;
}

bool CWorkReport::RegistTemp() {
    CLockScope lock(*this);
    TakeWorkLock();
    fs::path work = ResolveWorkFilePath();
    CTemporaryRecordMove move(TemporaryFilePath(), work);
    if (!move.Recover(true)) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::RegistTemp", __FILE__);
        return false;
    }
    if (!CFileSystem::Exists(TemporaryFilePath())) return false;
    CutTornTail(work);
    if (!move.Append()) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::RegistTemp", __FILE__);
        return false;
    }
    return true;
}

void CWorkReport::ShowPathMessage() const {
    m_runtime.Messages().ShowMessage(
        m_mode == kRoomMode ? "入退室時間を保存するファイルパスが無効です。\n保存はされません。"
                            : "勤務時間を保存するファイルパスが無効です。\n保存はされません。",
        EMessageIcon::None);
}

bool CWorkReport::WriteLine(const fs::path& path, int side, std::optional<int> overwrite) {
    auto file = CreateCipherRecordFile();
    if (overwrite) {
        if (!file->OpenUpdate(path)) {
            ShowPathMessage();
            return false;
        }
    } else {
        CutTornTail(path);
        if (!file->OpenAppend(path)) {
            ShowPathMessage();
            return false;
        }
    }
    auto name = CTextCodec::ToCp932(m_name);
    std::string text = name ? WorkLine::Format(*name, StampDateText(), StampTimeText(), side) : "";
    if (text.empty() || (side != 0 && side != 1)) {
        file->Close();
        return false;
    }
    if (overwrite) {
        std::error_code error;
        auto size = fs::file_size(path, error);
        std::uintmax_t needed = static_cast<std::uintmax_t>(*overwrite) * kLength;
        if (*overwrite < 1 || error || size < needed) {
            file->Close();
            return false;
        }
        file->Skip(kLength, static_cast<std::size_t>(*overwrite - 1));
    }
    bool ok = file->WriteRecord(text, kLength) == 1;
    ok = file->Sync() && ok;
    ok = file->Close() == 1 && ok;
    return ok;
}

bool CWorkReport::AppendRecord(int side) {
    CLockScope lock(*this);
    CheckWorkFolder();
    return WriteLine(TargetPath(), side, std::nullopt);
}

bool CWorkReport::OverwriteRecord(int recordNumber) {
    CLockScope lock(*this);
    CheckWorkFolder();
    int side = (m_mode == kRoomMode || IsEndSide()) ? 1 : 0;
    return WriteLine(TargetPath(), side, recordNumber);
}

bool CWorkReport::RegisterStamp() {
    return AppendRecord(IsEndSide() && m_mode != kRoomMode ? 1 : 0);
}

int CWorkReport::CheckToday() {
    CLockScope lock(*this);
    CheckWorkFolder();
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
        CWorkFileReader::ForEach(TargetPath(), [&](std::size_t number, std::string_view text) {
            WorkLine line;
            if (!matches(text, line)) return true;
            int side = !line.start.empty() ? 0 : (!line.end.empty() ? 1 : -1);
            if (side == (IsEndSide() ? 1 : 0)) {
                found = number;
                return false;
            }
            return true;
        });
        return static_cast<int>(found);
    }

    std::size_t entry = 0;
    std::size_t exit = 0;
    std::string lastTime;
    bool opened =
        CWorkFileReader::ForEach(TargetPath(), [&](std::size_t number, std::string_view text) {
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
    if (!opened) return 0;
    if (entry == 0) return AppendRecord(0) ? EntryRecorded : WriteFailed;
    if (ParseMinutes(StampTimeText()) <= ParseMinutes(lastTime) + 5) return TooSoon;
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
    CLockScope lock(*this);
    CheckWorkFolder();
    const int today = DateNumber(ShiftedDate(m_runtime.Clock().Now()));
    const bool room = m_mode == kRoomMode;
    CWorkFileReader::ForEach(TargetPath(), [&](std::size_t, std::string_view text) {
        WorkLine line = WorkLine::Parse(text);
        if (line.date.empty() || DateNumber(std::string(line.date)) != today) return true;
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

std::vector<CWorkReport::NumberedLine> CWorkReport::ListRecords(bool todayOnly) {
    std::vector<NumberedLine> records;
    CLockScope lock(*this);
    CheckWorkFolder();
    const int today = DateNumber(ShiftedDate(m_runtime.Clock().Now()));
    CWorkFileReader::ForEach(TargetPath(), [&](std::size_t number, std::string_view text) {
        if (todayOnly) {
            WorkLine line = WorkLine::Parse(text);
            if (DateNumber(std::string(line.date)) != today) return true;
        }
        std::string_view shown = text;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) {
            shown.remove_suffix(1);
        }
        records.push_back({number, CTextCodec::FromCp932(shown)});
        return true;
    });
    return records;
}

bool CWorkReport::LoadTable(WorkRecordTable& table) {
    table.Clear();
    CLockScope lock(*this);
    fs::path path = ResolveWorkFilePath();
    m_loadedPath = path;
    m_loadedSize = 0;
    m_loadFailed = false;
    std::error_code error;
    if (!fs::exists(path, error) && !error) return true;  // no records yet
    auto size = fs::file_size(path, error);
    CNameCache names;
    bool read = !error && CWorkFileReader::ForEach(path, [&](std::size_t, std::string_view text) {
        WorkLine line = WorkLine::Parse(text);
        if (line.name.empty() || line.date.empty()) return true;
        table.MergeRecord({names.Utf8(line.name), std::string(line.date), std::string(line.start),
                           std::string(line.end)});
        return true;
    });
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
    CLockScope lock(*this);
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
    m_loadedPath = work;
    m_loadedSize = tableSize;
    return true;
}

int CWorkReport::DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    return MonthDays(year, month);
}

bool CWorkReport::CollectPeriod(int year, int month, int closing, const std::string& onlyName,
                                WorkRecordTable& table) {
    table.Clear();
    SetExportYear(year);
    SetExportMonth(month);
    SetExportClosing(closing);
    CLockScope lock(*this);
    CheckWorkFolder();
    const fs::path work = ResolveWorkFilePath();
    std::error_code error;
    if (!fs::exists(work, error) && !error) return true;
    std::string padded;
    if (!onlyName.empty()) {
        auto cp932 = CTextCodec::ToCp932(onlyName);
        if (!cp932 || cp932->size() > WorkLine::kNameWidth) return true;
        padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth);
    }
    CNameCache names;
    return CWorkFileReader::ForEach(work, [&](std::size_t, std::string_view text) {
        if (!padded.empty() && !HasPaddedName(text, padded)) return true;
        WorkLine line = WorkLine::Parse(text);
        if (line.name.empty() || IsOutsidePeriod(std::string(line.date))) return true;
        table.MergeRecord({names.Utf8(line.name), std::string(line.date), std::string(line.start),
                           std::string(line.end)});
        return true;
    });
}

bool CWorkReport::LoadMonth(const std::string& name, int year, int month,
                            std::vector<WorkDayRecord>& days) {
    const int count = DaysInMonth(year, month);
    days.assign(static_cast<std::size_t>(count), WorkDayRecord{});
    for (int d = 0; d < count; ++d) {
        char date[32];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", year, month, d + 1);
        days[static_cast<std::size_t>(d)] = {name, date, "", ""};
    }
    CLockScope lock(*this);
    CheckWorkFolder();
    if (m_usingTemporary) return false;
    auto cp932 = CTextCodec::ToCp932(name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth) return false;
    const std::string padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth);
    const fs::path work = ResolveWorkFilePath();
    std::error_code error;
    if (!fs::exists(work, error) && !error) return true;
    const int wanted = year * 100 + month;
    bool read = CWorkFileReader::ForEach(work, [&](std::size_t, std::string_view text) {
        if (!HasPaddedName(text, padded)) return true;
        WorkLine line = WorkLine::Parse(text);
        int date = DateNumber(std::string(line.date));
        if (date < 0 || date / 100 != wanted) return true;
        int day = date % 100;
        if (day < 1 || day > count) return true;
        WorkDayRecord& record = days[static_cast<std::size_t>(day - 1)];
        // As the record table merges them: a later time of a side replaces an earlier one.
        if (!line.start.empty()) record.start = std::string(line.start);
        if (line.start.empty() && !line.end.empty()) record.end = std::string(line.end);
        return true;
    });
    if (!read) ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::LoadMonth", __FILE__);
    return read;
}

bool CWorkReport::SaveMonth(
    const std::string& name, int year, int month, const std::vector<WorkDayRecord>& loaded,
    const std::vector<WorkDayRecord>& edited,
    const std::function<bool(const std::vector<CellChange>&)>& beforeReplace,
    const std::function<void()>& replaceFailed) {
    const int count = DaysInMonth(year, month);
    if (count == 0 || loaded.size() != static_cast<std::size_t>(count) ||
        edited.size() != loaded.size()) {
        return false;
    }
    auto cp932 = CTextCodec::ToCp932(name);
    if (!cp932 || cp932->empty() || cp932->size() > WorkLine::kNameWidth) return false;
    const std::string padded = CTextCodec::PadCp932(*cp932, WorkLine::kNameWidth);

    std::vector<CellChange> changes;
    std::vector<bool> changed(static_cast<std::size_t>(count) + 1, false);
    for (int d = 1; d <= count; ++d) {
        const auto& before = loaded[static_cast<std::size_t>(d - 1)];
        const auto& after = edited[static_cast<std::size_t>(d - 1)];
        if (before.start != after.start) changes.push_back({d, 0, before.start, after.start});
        if (before.end != after.end) changes.push_back({d, 1, before.end, after.end});
        changed[static_cast<std::size_t>(d)] =
            before.start != after.start || before.end != after.end;
    }
    if (changes.empty()) return true;

    // The new blocks of a day: its start, then its end.
    auto blocksOf = [&](int d) {
        const auto& day = edited[static_cast<std::size_t>(d - 1)];
        char date[32];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", year, month, d);
        std::string blocks;
        for (int side = 0; side < 2; ++side) {
            const std::string& time = side == 0 ? day.start : day.end;
            if (time.empty()) continue;
            std::string text = WorkLine::Format(*cp932, date, time, side);
            std::string block = CCipherRecordFile::Encipher(text, kLength);
            if (text.empty() || block.empty()) return std::optional<std::string>{};
            blocks += block;
        }
        return std::optional<std::string>{blocks};
    };

    CLockScope lock(*this);
    CheckWorkFolder();
    if (m_usingTemporary) return false;
    const fs::path work = ResolveWorkFilePath();
    std::string current;
    if (CFileSystem::Exists(work)) {
        // Read again now, under the lock: what other clocks wrote meanwhile stays.
        auto content = CFileSystem::ReadWholeFile(work);
        if (!content) return false;
        current = std::move(*content);
    }
    const int wanted = year * 100 + month;
    std::vector<bool> placed(static_cast<std::size_t>(count) + 1, false);
    std::string out;
    out.reserve(current.size() + 8 * kLength);
    char plain[kLength];
    for (std::size_t at = 0; at + kLength <= current.size(); at += kLength) {
        const char* block = current.data() + at;
        std::string_view text = CWorkFileReader::Decipher(block, plain);
        int day = 0;
        if (HasPaddedName(text, padded)) {
            int date = DateNumber(std::string(WorkLine::Parse(text).date));
            if (date >= 0 && date / 100 == wanted) day = date % 100;
        }
        if (day < 1 || day > count || !changed[static_cast<std::size_t>(day)]) {
            out.append(block, kLength);
            continue;
        }
        if (!placed[static_cast<std::size_t>(day)]) {
            auto blocks = blocksOf(day);
            if (!blocks) return false;
            out += *blocks;
            placed[static_cast<std::size_t>(day)] = true;
        }
    }
    for (int d = 1; d <= count; ++d) {
        if (!changed[static_cast<std::size_t>(d)] || placed[static_cast<std::size_t>(d)]) continue;
        auto blocks = blocksOf(d);
        if (!blocks) return false;
        out += *blocks;
    }
    if (beforeReplace && !beforeReplace(changes)) return false;
    if (!CFileSystem::WriteWholeFile(work, "KintaiTemp.txt", out)) {
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::SaveMonth", __FILE__);
        if (replaceFailed) replaceFailed();
        return false;
    }
    return true;
}

bool CWorkReport::Backup() {
    auto config = CreateConfig(m_runtime);
    if (!m_settings) SetSettings(config);
    if (!config->IsBackupChecked()) return true;
    CLockScope lock(*this);
    CheckWorkFolder();
    fs::path source = TargetPath();
    auto content = CFileSystem::ReadWholeFile(source);
    if (!content) return true;
    fs::path target(config->GetBackupPath());
    return CFileSystem::WriteWholeFile(target, target.filename().string() + ".tmp", *content);
}

bool CWorkReport::IsOutsidePeriod(const std::string& dateText) const {
    int year = 0, month = 0, day = 0;
    if (!ParseDate(dateText, year, month, day)) return true;
    int date = NormalisedDateNumber(year, month, day);
    int first = 0, last = 0;
    static constexpr int kClosingDays[] = {5, 10, 15, 20, 25};
    if (m_exportClosing >= 0 && m_exportClosing <= 4) {
        int closing = kClosingDays[m_exportClosing];
        first = NormalisedDateNumber(m_exportMonth == 1 ? m_exportYear - 1 : m_exportYear,
                                     m_exportMonth == 1 ? 12 : m_exportMonth - 1, closing + 1);
        last = NormalisedDateNumber(m_exportYear, m_exportMonth, closing);
    } else if (m_exportMonth >= 1 && m_exportMonth <= 12) {
        first = m_exportYear * 10000 + m_exportMonth * 100 + 1;
        last = m_exportYear * 10000 + m_exportMonth * 100 + MonthDays(m_exportYear, m_exportMonth);
    } else {
        first = NormalisedDateNumber(m_exportYear, m_exportMonth, 1);
        last = NormalisedDateNumber(m_exportYear, m_exportMonth + 1, 0);
    }
    return first > date || date > last;
}

bool CWorkReport::IsStoredFile(const fs::path& path) const {
    static constexpr const char* kDataFiles[] = {
        "Register.txt",       "Admin.dat",    "Setting.txt", "Setting2.txt",
        "ExportSetting.txt",  "Style.txt",    "Timer.txt",   "SendMail.txt",
        "SendMailDetail.txt", "ErrorLog.txt", "EditLog.txt", "KINTAI.dat",
        "TemporaryRecord.dat"};
    const fs::path target = CFileSystem::Resolve(path);
    std::vector<fs::path> stored;
    for (const char* name : kDataFiles) stored.push_back(m_runtime.DataFile(name));
    fs::path work = ResolveWorkFilePath();
    stored.push_back(work);
    stored.push_back(CTemporaryRecordMove(TemporaryFilePath(), work).JournalPath());
    if (m_settings) {
        stored.emplace_back(m_settings->GetBackupPath());
        stored.emplace_back(m_settings->GetIdFilePath());
    }
    for (const auto& file : stored) {
        if (file.empty()) continue;
        if (CFileSystem::Resolve(file) == target) return true;
        fs::path lock = file;
        lock += ".lock";
        if (CFileSystem::Resolve(lock) == target) return true;
    }
    return false;
}

bool CWorkReport::Export() {
    m_exportError.clear();
    CLockScope lock(*this);
    CheckWorkFolder();
    fs::path work = ResolveWorkFilePath();
    if (!OpenFile(work, "rb")) {
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
    std::string line;
    bool read = CWorkFileReader::ForEach(work, [&](std::size_t, std::string_view text) {
        WorkLine record = WorkLine::Parse(text);
        if (IsOutsidePeriod(std::string(record.date))) return true;
        line = ",,";
        line += CTextCodec::PadCp932(record.name, WorkLine::kNameWidth);
        line += ",,";
        line += record.date;
        if (record.end.empty()) {
            line += ',';
            line += record.start;
            line += ",,,";
        } else {
            line += ",,,,";
            line += record.end;
        }
        line += "\r\n";
        csv += line;
        return true;
    });
    if (!read) {
        m_exportError = "勤務ファイルを最後まで読めませんでした。";
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::Export", __FILE__);
        return false;
    }
    // The previous file stays until the whole new one is on disk.
    fs::path out(m_exportPath);
    if (!CFileSystem::WriteWholeFile(out, out.filename().string() + ".tmp", csv)) {
        m_exportError = "出力先のファイルに書き込めませんでした。";
        ErrorLog(m_runtime.DataDir(), __LINE__, "CWorkReport::Export", __FILE__);
        return false;
    }
    return true;
}

std::shared_ptr<CWorkReport> CreateWorkReport(const CRuntime& runtime) {
    return std::make_shared<CWorkReport>(runtime);
}

}  // namespace stampwell
