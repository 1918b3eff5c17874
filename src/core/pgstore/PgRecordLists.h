#pragma once

#include <functional>
#include <optional>
#include <string>

#include "pgstore/PgConnection.h"

namespace stampwell {

// The whole-table reads of the work records, as the work file's readers make them: the numbered
// listing, the work file's bytes (the backup and the move back to a folder) and the export CSV.
class CPgRecordLists {
public:
    // Each record in recorded order, numbered as the work file's lines would be; todayOnly: the
    // working day `today` ("YYYY/MM/DD") only; siteId: one site's only (empty for all). visit
    // returns false to stop. False when not read.
    static bool ForEach(CPgConnection& connection, bool todayOnly, const std::string& today,
                        const std::string& siteId,
                        const std::function<bool(std::size_t, const std::string&)>& visit);
    // Every record as a work file (enciphered 51-byte blocks); nothing when not read.
    static std::optional<std::string> WorkFile(CPgConnection& connection);
    // The export CSV (CP932, CR LF) of the records filter selects (SQL with values); nothing
    // when not read.
    static std::optional<std::string> Csv(CPgConnection& connection, const std::string& filter,
                                          const std::vector<std::string>& values);
};

}  // namespace stampwell
