#pragma once

#include <filesystem>
#include <string>

#include "calendar/PayPeriod.h"
#include "workfile/WorkLine.h"
#include "workfile/WorkRecordTable.h"

namespace stampwell {

// The whole-file reads of a pay period: the CSV of the export (every record of the period in
// file order, CP932 with CR LF) and the period merged per person and day for the report. Dates
// are tested at their fixed place before a record is parsed.
class CWorkExport {
public:
    // The CSV text of the period. False when the work file cannot be read to its end.
    static bool MakeCsv(const std::filesystem::path& work, const CPayPeriod& period,
                        std::string& csv);
    // The CSV of the period written over out through a scratch file (the previous file stays
    // until the whole new one is on disk). False with the reason when the work file cannot be
    // read to its end or the file cannot be written.
    static bool Write(const std::filesystem::path& work, const CPayPeriod& period,
                      const std::filesystem::path& out, std::string& reason);
    // One record's line of the CSV (CP932, CR LF), appended to csv.
    static void AppendCsvLine(std::string& csv, const WorkLine& record);
    // csv written over out through a scratch file; false with the reason.
    static bool WriteCsv(const std::filesystem::path& out, const std::string& csv,
                         std::string& reason);
    // The period's records, one person's when cipherPrefix (the enciphered padded name and
    // comma) is not empty. False when the work file cannot be read to its end.
    static bool Collect(const std::filesystem::path& work, const CPayPeriod& period,
                        const std::string& cipherPrefix, WorkRecordTable& table);
};

}  // namespace stampwell
