#include "pgstore/PgWorkRows.h"

#include "calendar/WorkDate.h"
#include "text/TextCodec.h"
#include "workfile/WorkLine.h"

namespace stampwell {

std::string CPgWorkRows::LineText(const Row& row) {
    const auto name = CTextCodec::ToCp932(row.name);
    if (!name) return {};
    return WorkLine::Format(*name, row.date, row.time, row.side);
}

bool CPgWorkRows::Select(CPgConnection& connection, const std::string& filter,
                         const std::vector<std::string>& values,
                         const std::function<bool(const Row&)>& visit, const std::string& suffix) {
    const auto rows = connection.Exec(
        "SELECT id, employee, to_char(working_day, 'YYYY/MM/DD'), side, time, site_id "
        "FROM stampwell.work_records WHERE " +
            filter + " ORDER BY id" + suffix,
        values);
    if (!rows.Ok()) return false;
    Row row;
    for (int i = 0; i < rows.Rows(); ++i) {
        row.id = std::stoll(rows.Value(i, 0));
        row.name = rows.Value(i, 1);
        row.date = rows.Value(i, 2);
        row.side = rows.Value(i, 3) == "1" ? 1 : 0;
        row.time = rows.Value(i, 4);
        row.siteId = rows.Value(i, 5);
        if (!visit(row)) break;
    }
    return true;
}

bool CPgWorkRows::Insert(CPgConnection& connection, const Row& row, const std::string& tapId,
                         const std::string& site) {
    if (!site.empty()) {
        const auto made = connection.Exec(
            "INSERT INTO stampwell.sites (name) VALUES ($1) ON CONFLICT (name) DO NOTHING", {site});
        if (!made.Ok()) return false;
    }
    // A null tap id (a correction's record) never conflicts. A record without a site of its
    // own (a correction) belongs to the site of the day's other record.
    const auto stored = connection.Exec(
        "INSERT INTO stampwell.work_records (employee, working_day, side, time, site_id, tap_id) "
        "VALUES ($1, to_date($2, 'YYYY/MM/DD'), $3, $4, "
        "coalesce((SELECT id FROM stampwell.sites WHERE name = $5), "
        "(SELECT site_id FROM stampwell.work_records WHERE employee = $1 AND "
        "working_day = to_date($2, 'YYYY/MM/DD') AND site_id IS NOT NULL ORDER BY id LIMIT 1)), "
        "NULLIF($6, '')) "
        "ON CONFLICT (tap_id) DO NOTHING",
        {row.name, row.date, std::to_string(row.side), row.time, site, tapId});
    return stored.Ok();
}

bool CPgWorkRows::UpdateTime(CPgConnection& connection, std::int64_t id, const std::string& time) {
    return connection
        .Exec(
            "UPDATE stampwell.work_records SET time = $2, row_version = row_version + 1 "
            "WHERE id = $1",
            {std::to_string(id), time})
        .Ok();
}

bool CPgWorkRows::Delete(CPgConnection& connection, std::int64_t id) {
    return connection.Exec("DELETE FROM stampwell.work_records WHERE id = $1", {std::to_string(id)})
        .Ok();
}

std::string CPgWorkRows::DayKey(const std::string& name, const std::string& date) {
    return "stampwell day\x1f" + name.substr(0, name.find_last_not_of(' ') + 1) + "\x1f" + date;
}

std::string CPgWorkRows::DateOf(int number) {
    return CWorkDate::Text(number / 10000, number / 100 % 100, number % 100);
}

}  // namespace stampwell
