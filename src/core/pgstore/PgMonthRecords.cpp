#include "pgstore/PgMonthRecords.h"

#include <map>
#include <set>

#include "calendar/WorkDate.h"
#include "pgstore/PgTransaction.h"
#include "pgstore/PgWorkRows.h"
#include "text/TextCodec.h"
#include "workfile/MonthEdit.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {

using Row = CPgWorkRows::Row;
using ESaveOutcome = IWorkStore::ESaveOutcome;

constexpr const char* kMonthRows =
    "employee = $1 AND working_day BETWEEN to_date($2, 'YYYY/MM/DD') AND "
    "to_date($3, 'YYYY/MM/DD')";

}  // namespace

bool CPgMonthRecords::Load(CPgConnection& connection, const std::string& name, int year, int month,
                           std::vector<WorkDayRecord>& days, std::vector<WorkDayRecord>* leadIn) {
    const auto cp932 = CTextCodec::ToCp932(name);
    if (!cp932 || cp932->size() > WorkLine::kNameWidth || CWorkDate::DaysInMonth(year, month) == 0)
        return false;
    const CMonthEdit edit(*cp932, year, month);
    const int beforeYear = month == 1 ? year - 1 : year;
    const int beforeMonth = month == 1 ? 12 : month - 1;
    const CMonthEdit before(*cp932, beforeYear, beforeMonth);
    days = edit.EmptyDays(name);
    std::vector<WorkDayRecord> daysBefore = before.EmptyDays(name);
    const bool read =
        CPgWorkRows::Select(connection, kMonthRows,
                            {name, CWorkDate::Text(beforeYear, beforeMonth, 1),
                             CWorkDate::Text(year, month, CWorkDate::DaysInMonth(year, month))},
                            [&](const Row& row) {
                                const std::string text = CPgWorkRows::LineText(row);
                                edit.Note(text, days);
                                if (leadIn) before.Note(text, daysBefore);
                                return true;
                            });
    if (leadIn) {
        leadIn->assign(daysBefore.end() - std::min<long>(6, std::ssize(daysBefore)),
                       daysBefore.end());
    }
    return read;
}

ESaveOutcome CPgMonthRecords::Save(CPgConnection& connection, const std::string& name, int year,
                                   int month, const std::vector<IWorkStore::CellChange>& changes,
                                   std::vector<IWorkStore::CellConflict>* conflicts,
                                   const IWorkStore::TrailMark* trail,
                                   std::chrono::milliseconds wait, bool* trailFailed,
                                   std::string& why) {
    const auto cp932 = CTextCodec::ToCp932(name);
    const int length = CWorkDate::DaysInMonth(year, month);
    if (!cp932 || cp932->empty() || cp932->size() > WorkLine::kNameWidth || length == 0)
        return ESaveOutcome::kFailed;
    for (const auto& change : changes) {
        if (change.day < 1 || change.day > length || change.side < 0 || change.side > 1)
            return ESaveOutcome::kFailed;
    }
    if (changes.empty()) return ESaveOutcome::kSaved;
    auto failed = [&](const CPgResult& result) {
        why = result.Error().empty() ? connection.LastError() : result.Error();
        if (result.State() == "55P03") return ESaveOutcome::kBusy;
        return connection.IsOpen() ? ESaveOutcome::kFailed : ESaveOutcome::kUnreachable;
    };
    CPgTransaction transaction(connection);
    if (!transaction.Begun()) return failed(CPgResult());
    const auto timeout = connection.Exec("SELECT set_config('lock_timeout', $1, true)",
                                         {std::to_string(wait.count()) + "ms"});
    if (!timeout.Ok()) return failed(timeout);
    // The days in order, so two saves never wait for each other crosswise.
    std::set<int> days;
    for (const auto& change : changes) days.insert(change.day);
    for (int day : days) {
        const auto locked =
            connection.Exec("SELECT pg_advisory_xact_lock(hashtextextended($1, 0))",
                            {CPgWorkRows::DayKey(name, CWorkDate::Text(year, month, day))});
        if (!locked.Ok()) return failed(locked);
    }
    // What is stored now: every row of each day and side, the later replacing the earlier.
    std::map<std::pair<int, int>, std::vector<Row>> stored;
    int rowYear = 0, rowMonth = 0, rowDay = 0;
    const bool read = CPgWorkRows::Select(
        connection, kMonthRows,
        {name, CWorkDate::Text(year, month, 1), CWorkDate::Text(year, month, length)},
        [&](const Row& row) {
            CWorkDate::Parse(row.date, rowYear, rowMonth, rowDay);
            stored[{rowDay, row.side}].push_back(row);
            return true;
        },
        " FOR UPDATE");
    if (!read) return failed(CPgResult());
    std::vector<IWorkStore::CellChange> applied;
    std::vector<IWorkStore::CellConflict> found;
    for (const auto& change : changes) {
        const auto rows = stored.find({change.day, change.side});
        const std::string now = rows == stored.end() ? std::string{} : rows->second.back().time;
        if (now != change.before) {
            found.push_back({change.day, change.side, change.before, now, change.after});
        }
        applied.push_back({change.day, change.side, now, change.after});
    }
    if (!found.empty()) {
        if (conflicts) *conflicts = std::move(found);
        return ESaveOutcome::kConflict;
    }
    for (const auto& change : applied) {
        const auto rows = stored.find({change.day, change.side});
        const Row row{0,           name,         CWorkDate::Text(year, month, change.day),
                      change.side, change.after, ""};
        bool written = true;
        std::size_t kept = 0;
        if (rows == stored.end() || rows->second.empty()) {
            if (!change.after.empty()) written = CPgWorkRows::Insert(connection, row, "", "");
        } else if (!change.after.empty()) {
            // One row of the side stays, in place of the first.
            written = CPgWorkRows::UpdateTime(connection, rows->second.front().id, change.after);
            kept = 1;
        }
        if (rows != stored.end()) {
            for (std::size_t i = kept; written && i < rows->second.size(); ++i)
                written = CPgWorkRows::Delete(connection, rows->second[i].id);
        }
        if (!written) return failed(CPgResult());
    }
    if (trail) {
        for (const auto& change : applied) {
            const auto noted = connection.Exec(
                "INSERT INTO stampwell.trail (saved_at, admin, employee, working_day, side, "
                "before, after, reason) VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
                {trail->when, trail->admin, name, CWorkDate::Text(year, month, change.day),
                 change.side == 0 ? trail->startWord : trail->endWord, change.before, change.after,
                 trail->reason});
            if (!noted.Ok()) {
                if (trailFailed) *trailFailed = true;
                return failed(noted);
            }
        }
    }
    if (!transaction.Commit(why)) {
        return connection.IsOpen() ? ESaveOutcome::kFailed : ESaveOutcome::kUnreachable;
    }
    return ESaveOutcome::kSaved;
}

bool CPgMonthRecords::ForEachTrailEntry(
    CPgConnection& connection, const std::function<void(const IWorkStore::TrailEntry&)>& visit) {
    const auto rows = connection.Exec(
        "SELECT saved_at, admin, employee, working_day, side, before, after, reason, state "
        "FROM stampwell.trail ORDER BY id");
    if (!rows.Ok()) return false;
    for (int i = 0; i < rows.Rows(); ++i) {
        visit({rows.Value(i, 0), rows.Value(i, 1), rows.Value(i, 2), rows.Value(i, 3),
               rows.Value(i, 4), rows.Value(i, 5), rows.Value(i, 6), rows.Value(i, 7),
               rows.Value(i, 8) == "1"   ? IWorkStore::ETrailState::kFailed
               : rows.Value(i, 8) == "2" ? IWorkStore::ETrailState::kPending
                                         : IWorkStore::ETrailState::kDone});
    }
    return true;
}

}  // namespace stampwell
