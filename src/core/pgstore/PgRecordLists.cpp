#include "pgstore/PgRecordLists.h"

#include "people/CipherRecordFile.h"
#include "pgstore/PgWorkRows.h"
#include "text/TextCodec.h"
#include "workfile/WorkExport.h"
#include "workfile/WorkLine.h"

namespace stampwell {

bool CPgRecordLists::ForEach(CPgConnection& connection, bool todayOnly, const std::string& today,
                             const std::string& siteId,
                             const std::function<bool(std::size_t, const std::string&)>& visit) {
    std::size_t number = 0;
    std::string filter = "true";
    std::vector<std::string> values;
    if (todayOnly) {
        const auto first = connection.Exec(
            // Through the day's index (the fence keeps the planner from walking the whole
            // table in id order to find the day's first row).
            "SELECT min(id) FROM (SELECT id FROM stampwell.work_records WHERE working_day = "
            "to_date($1, 'YYYY/MM/DD') OFFSET 0) AS today",
            {today});
        if (!first.Ok()) return false;
        if (first.IsNull(0, 0)) return true;
        const auto before = connection.Exec(
            "SELECT count(*) FROM stampwell.work_records WHERE id < $1", {first.Value(0, 0)});
        if (!before.Ok()) return false;
        number = std::stoull(before.Value(0, 0));
        filter = "id >= $1";
        values.push_back(first.Value(0, 0));
    }
    return CPgWorkRows::Select(connection, filter, values, [&](const CPgWorkRows::Row& row) {
        ++number;
        if (todayOnly && row.date != today) return true;
        if (!siteId.empty() && row.siteId != siteId) return true;
        std::string text = CPgWorkRows::LineText(row);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        return visit(number, CTextCodec::FromCp932(text));
    });
}

std::optional<std::string> CPgRecordLists::WorkFile(CPgConnection& connection) {
    std::string blocks;
    const bool read = CPgWorkRows::Select(connection, "true", {}, [&](const CPgWorkRows::Row& row) {
        blocks += CCipherRecordFile::Encipher(CPgWorkRows::LineText(row), WorkLine::kRecordLength);
        return true;
    });
    if (!read) return std::nullopt;
    return blocks;
}

std::optional<std::string> CPgRecordLists::Csv(CPgConnection& connection, const std::string& filter,
                                               const std::vector<std::string>& values) {
    std::string csv;
    const bool read =
        CPgWorkRows::Select(connection, filter, values, [&](const CPgWorkRows::Row& row) {
            const std::string text = CPgWorkRows::LineText(row);
            CWorkExport::AppendCsvLine(csv, WorkLine::Parse(text));
            return true;
        });
    if (!read) return std::nullopt;
    return csv;
}

}  // namespace stampwell
