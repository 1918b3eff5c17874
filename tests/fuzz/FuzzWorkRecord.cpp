// The work record line, and a work file of such records through every reader of it.
#include <string_view>

#include "FuzzSupport.h"
#include "people/CipherRecordFile.h"
#include "recording/WorkLine.h"
#include "recording/WorkRecordTable.h"
#include "recording/WorkReport.h"

using namespace stampwell;

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
    report.SetStamp(line.name.empty() ? "Name" : std::string(line.name));
    (void)report.CheckToday();
    WorkRecordTable table;
    report.LoadTable(table);
    report.SetExportYear(2011);
    report.SetExportMonth(static_cast<int>(size % 14));
    report.SetExportClosing(static_cast<int>(size % 7));
    (void)report.IsOutsidePeriod(std::string(line.date));
    return 0;
}
