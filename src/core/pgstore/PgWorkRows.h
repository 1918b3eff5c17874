#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pgstore/PgConnection.h"

namespace stampwell {

// The work records' rows in the company database, read and written as the work file's lines:
// each row is one clock-in or clock-out of one person's working day, in the order recorded.
class CPgWorkRows {
public:
    struct Row {
        std::int64_t id = 0;
        std::string name;    // as the register has it, without padding
        std::string date;    // "YYYY/MM/DD"
        int side = 0;        // 0 start, 1 end
        std::string time;    // "HH:MM"
        std::string siteId;  // empty for none
    };

    // The line the work file would hold for the row (CP932, "%-32s,date,start,end\n"); empty
    // when the name has no CP932 form or does not fit.
    static std::string LineText(const Row& row);

    // Rows in recorded order; filter is SQL over the table's columns with $1.. for values.
    static bool Select(CPgConnection& connection, const std::string& filter,
                       const std::vector<std::string>& values,
                       const std::function<bool(const Row&)>& visit,
                       const std::string& suffix = {});
    // A new row; false when it was not stored. A tap id already stored adds nothing (true).
    static bool Insert(CPgConnection& connection, const Row& row, const std::string& tapId,
                       const std::string& site);
    static bool UpdateTime(CPgConnection& connection, std::int64_t id, const std::string& time);
    static bool Delete(CPgConnection& connection, std::int64_t id);

    // The lock of one person's working day, taken by a tap and by a month's save for each day
    // it changes; a key for pg_advisory_lock.
    static std::string DayKey(const std::string& name, const std::string& date);
    // "YYYY/MM/DD" of a date number (year * 10000 + month * 100 + day).
    static std::string DateOf(int number);
};

}  // namespace stampwell
