// The work record line, and a work file of such records through every reader of it, with the
// round trips: a month save of one time keeps every other block in its order, and a record
// table saved and loaded again is the same table.
#include <cstdlib>
#include <string_view>

#include "FuzzSupport.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"
#include "workfile/MonthEdit.h"
#include "workfile/WorkLine.h"
#include "workfile/WorkRecordTable.h"
#include "workfile/WorkReport.h"

using namespace stampwell;

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    WorkLine line = WorkLine::Parse(text.substr(0, WorkLine::kRecordLength));
    (void)CWorkReport::DateNumber(std::string(line.date));
    (void)CWorkReport::DateNumber(std::string(text.substr(0, 64)));

    // The same bytes as plain record texts, enciphered into a work file.
    std::string file;
    for (std::size_t at = 0; at < size; at += WorkLine::kRecordLength) {
        std::string_view piece = text.substr(at, WorkLine::kRecordLength);
        file += CCipherRecordFile::Encipher(piece, WorkLine::kRecordLength);
    }
    auto& folder = fuzz::CFuzzFolder::Get();
    folder.Put("KINTAI.dat", reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    CWorkReport report(folder.Runtime());
    std::vector<std::string> today;
    report.ListToday(today);
    (void)report.ListRecords(false);
    report.SetStamp(line.name.empty() ? "Name" : CTextCodec::FromCp932(line.name));
    (void)report.CheckToday();
    report.SetExportYear(2011);
    report.SetExportMonth(static_cast<int>(size % 14));
    report.SetExportClosing(static_cast<int>(size % 7));
    (void)report.IsOutsidePeriod(std::string(line.date));

    // One time of the first record's person and month changed: every other block stays.
    const auto work = folder.Path() / "KINTAI.dat";
    int year = 0, month = 0, day = 0;
    std::string_view name = line.name;
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    const std::string utf8 = CTextCodec::FromCp932(name);
    std::vector<WorkDayRecord> days;
    if (line.date.size() == 10 && line.date[4] == '/' && line.date[7] == '/' &&
        std::sscanf(std::string(line.date).c_str(), "%d/%d/%d", &year, &month, &day) == 3 &&
        year > 2000 && report.LoadMonth(utf8, year, month, days) && day >= 1 &&
        day <= static_cast<int>(days.size())) {
        const auto before = CFileSystem::ReadWholeFile(work);
        const std::string old = days[static_cast<std::size_t>(day - 1)].end;
        if (report.SaveMonth(utf8, year, month, {{day, 1, old, "23:59"}}) ==
            CWorkReport::ESaveOutcome::kSaved) {
            std::vector<WorkDayRecord> after;
            Require(report.LoadMonth(utf8, year, month, after));
            Require(after[static_cast<std::size_t>(day - 1)].end == "23:59");
            for (std::size_t d = 0; d < days.size(); ++d) {
                if (static_cast<int>(d) + 1 != day) Require(after[d] == days[d]);
            }
            Require(after[static_cast<std::size_t>(day - 1)].start ==
                    days[static_cast<std::size_t>(day - 1)].start);
            // The other blocks, in their order, are the ones that were there.
            const auto now = CFileSystem::ReadWholeFile(work);
            Require(before && now);
            // The blocks of that person, day and side, as the month save reads them.
            const CMonthEdit edit(*CTextCodec::ToCp932(utf8), year, month);
            auto others = [&](const std::string& bytes) {
                std::string kept;
                for (std::size_t at = 0; at + 51 <= bytes.size(); at += 51) {
                    std::string plain = CCipherRecordFile::Encipher(bytes.substr(at, 51), 51);
                    const auto place = edit.Classify(std::string_view(plain.c_str()));
                    if (place.day != day || place.side != 1) kept += bytes.substr(at, 51);
                }
                return kept;
            };
            Require(others(*before) == others(*now));
        }
    }

    WorkRecordTable table;
    if (report.LoadTable(table) && report.SaveTable(table)) {
        WorkRecordTable again;
        Require(report.LoadTable(again) && again.Records() == table.Records());
    }
    return 0;
}
