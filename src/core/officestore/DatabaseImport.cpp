#include "officestore/DatabaseImport.h"

#include <nettle/sha2.h>

#include <array>
#include <map>

#include "folderstore/FolderAdminStore.h"
#include "folderstore/FolderLeaveStore.h"
#include "folderstore/FolderPeopleStore.h"
#include "folderstore/FolderRulesStore.h"
#include "folderstore/FolderScheduleStore.h"
#include "folderstore/FolderWorkStore.h"
#include "pgstore/PasswordHash.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgLineBook.h"
#include "pgstore/PgSchema.h"
#include "pgstore/PgTransaction.h"
#include "settings/EnvironmentSettings.h"

namespace stampwell {

namespace {

struct WorkRow {
    std::string name, date, time;
    int side = 0;
};

struct Admin {
    std::string id, card, password;
};

// Everything the folder holds, as the database will hold it.
struct Office {
    std::vector<WorkRow> records;
    std::vector<IPeopleStore::Person> people;
    std::vector<Admin> admins;
    std::vector<IWorkStore::TrailEntry> trail;
    std::string leave, rules, schedule;
};

// A listed record "name(padded),date,start,end": its parts, or false for a line with no time.
bool ParseRecord(const std::string& text, WorkRow& row) {
    std::array<std::string, 4> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t comma = i + 1 < fields.size() ? text.find(',', start) : text.size();
        if (comma == std::string::npos) return false;
        fields[i] = text.substr(start, comma - start);
        start = comma + 1;
    }
    while (!fields[0].empty() && fields[0].back() == ' ') fields[0].pop_back();
    row.name = fields[0];
    row.date = fields[1];
    row.side = fields[2].empty() ? 1 : 0;
    row.time = fields[2].empty() ? fields[3] : fields[2];
    return !row.name.empty() && !row.time.empty();
}

bool ReadOffice(const CRuntime& folder, Office& office, std::string& why) {
    auto settings = CreateConfig(folder);
    CFolderWorkStore work(CreateWorkReport(folder));
    work.SetSettings(settings);
    std::size_t unreadable = 0;
    bool read = work.ForEachRecord(false, [&](const IWorkStore::NumberedLine& line) {
        WorkRow row;
        if (ParseRecord(line.text, row)) {
            office.records.push_back(row);
        } else {
            ++unreadable;
        }
        return true;
    });
    if (!read && office.records.empty()) {
        // An office with no work file yet (nothing tapped): its whole span reads as empty.
        WorkRecordTable none;
        read = work.CollectRange(0, 99991231, "", none) && none.Size() == 0;
    }
    if (!read || work.IsUsingTemporary()) {
        why = "勤務ファイルを最後まで読めませんでした。勤務ファイルの場所（" + work.Where() +
              "）に接続できるか確かめてください。";
        return false;
    }
    if (unreadable > 0) {
        why = "勤務ファイルに読めない記録が " + std::to_string(unreadable) +
              " 件あります。取り込む前に確かめてください。";
        return false;
    }
    CFolderPeopleStore people{CRegisterFile(folder)};
    people.SetPathSource(settings);
    office.people = people.ReadAll();
    CFolderAdminStore admins{CAdminFile(folder)};
    std::vector<std::string> ids;
    admins.GetIdList(ids);
    for (const auto& id : ids) {
        admins.SetPreviousId(id);
        admins.LoadAdmin();
        office.admins.push_back({id, admins.GetCardId(), admins.GetPassword()});
    }
    if (!work.ForEachTrailEntry(
            [&](const IWorkStore::TrailEntry& entry) { office.trail.push_back(entry); })) {
        why = "修正履歴（EditLog.txt）を読めませんでした。";
        return false;
    }
    CLeaveBook book;
    if (!CFolderLeaveStore(folder, settings->GetIdFilePath()).Read(book, &why)) return false;
    office.leave = book.FileText();
    CWorkRules rules;
    std::vector<std::string> unread;
    if (!CFolderRulesStore(folder).Read(rules, &unread) || !unread.empty()) {
        why = "就業ルール（WorkRules.txt）を読めませんでした。";
        return false;
    }
    office.rules = rules.FileText();
    CScheduleBook schedule;
    if (!CFolderScheduleStore(folder, settings->GetIdFilePath()).Read(schedule, &why)) {
        return false;
    }
    office.schedule = schedule.FileText();
    return true;
}

// What was imported, to know the same folder again: a digest of everything read.
std::string DigestOf(const Office& office) {
    sha256_ctx context;
    sha256_init(&context);
    auto add = [&](const std::string& text) {
        sha256_update(&context, text.size() + 1, reinterpret_cast<const uint8_t*>(text.c_str()));
    };
    for (const auto& row : office.records) {
        add(row.name), add(row.date), add(row.time), add(std::to_string(row.side));
    }
    for (const auto& person : office.people) {
        add(person.cardId), add(person.personalName), add(person.mailName), add(person.mailAddress);
    }
    for (const auto& admin : office.admins) add(admin.id), add(admin.card), add(admin.password);
    for (const auto& entry : office.trail) {
        add(entry.when), add(entry.admin), add(entry.name), add(entry.day), add(entry.side),
            add(entry.before), add(entry.after), add(entry.reason),
            add(std::to_string(static_cast<int>(entry.state)));
    }
    add(office.leave), add(office.rules);
    // Only when there is one: a folder an earlier release imported is still known again.
    if (!office.schedule.empty()) add(office.schedule);
    std::array<uint8_t, SHA256_DIGEST_SIZE> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    std::string text;
    for (uint8_t byte : digest) {
        static const char hex[] = "0123456789abcdef";
        text += hex[byte >> 4];
        text += hex[byte & 15];
    }
    return text;
}

bool InsertRecords(CPgConnection& connection, const std::vector<WorkRow>& records,
                   std::string& why) {
    // Many rows a statement: ten years of an office go in within seconds.
    constexpr std::size_t kBatch = 1000;
    for (std::size_t from = 0; from < records.size(); from += kBatch) {
        std::string sql =
            "INSERT INTO stampwell.work_records (employee, working_day, side, time) VALUES ";
        std::vector<std::string> values;
        for (std::size_t i = from; i < std::min(records.size(), from + kBatch); ++i) {
            const auto n = values.size();
            sql += (i == from ? "($" : ", ($") + std::to_string(n + 1) + ", to_date($" +
                   std::to_string(n + 2) + ", 'YYYY/MM/DD'), $" + std::to_string(n + 3) + ", $" +
                   std::to_string(n + 4) + ")";
            values.insert(values.end(), {records[i].name, records[i].date,
                                         std::to_string(records[i].side), records[i].time});
        }
        const auto stored = connection.Exec(sql, values);
        if (!stored.Ok()) {
            why = "勤務記録を取り込めませんでした: " + stored.Error();
            return false;
        }
    }
    return true;
}

bool InsertPeople(CPgConnection& connection, const Office& office, CDatabaseImport::Counts& counts,
                  std::string& why) {
    std::map<std::string, std::string> employeeIds;
    for (const auto& person : office.people) {
        auto found = employeeIds.find(person.personalName);
        if (found == employeeIds.end()) {
            const auto added = connection.Exec(
                "INSERT INTO stampwell.employees (name, mail_name, mail_address, position) "
                "VALUES ($1, $2, $3, $4) RETURNING id",
                {person.personalName, person.mailName, person.mailAddress,
                 std::to_string(employeeIds.size() + 1)});
            if (!added.Ok()) {
                why = "社員を取り込めませんでした（" + person.personalName + "）: " + added.Error();
                return false;
            }
            found = employeeIds.emplace(person.personalName, added.Value(0, 0)).first;
            ++counts.employees;
        }
        if (person.cardId.empty()) continue;
        const auto card =
            connection.Exec("INSERT INTO stampwell.cards (card, employee_id) VALUES ($1, $2)",
                            {person.cardId, found->second});
        if (!card.Ok()) {
            why = "カードを取り込めませんでした（" + person.cardId + "）: " + card.Error();
            return false;
        }
        ++counts.cards;
    }
    for (std::size_t i = 0; i < office.admins.size(); ++i) {
        const auto& admin = office.admins[i];
        const std::string hash = CPasswordHash::Make(admin.password);
        const auto added = connection.Exec(
            "INSERT INTO stampwell.admins (id, card, password_hash, position) VALUES "
            "($1, NULLIF($2, ''), $3, $4)",
            {admin.id, admin.card, hash, std::to_string(i + 1)});
        if (hash.empty() || !added.Ok()) {
            why = "管理者を取り込めませんでした（" + admin.id + "）: " + added.Error();
            return false;
        }
        ++counts.admins;
    }
    return true;
}

bool InsertTrail(CPgConnection& connection, const std::vector<IWorkStore::TrailEntry>& trail,
                 std::string& why) {
    for (const auto& entry : trail) {
        const auto added = connection.Exec(
            "INSERT INTO stampwell.trail (saved_at, admin, employee, working_day, side, before, "
            "after, reason, state) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)",
            {entry.when, entry.admin, entry.name, entry.day, entry.side, entry.before, entry.after,
             entry.reason, std::to_string(static_cast<int>(entry.state))});
        if (!added.Ok()) {
            why = "修正履歴を取り込めませんでした: " + added.Error();
            return false;
        }
    }
    return true;
}

}  // namespace

bool CDatabaseImport::Run(const CRuntime& folder, const std::string& conninfo, Counts& counts,
                          std::string& why) {
    counts = {};
    auto connection = CPgConnection::Open(conninfo, why);
    if (!connection || CPgSchema::Check(*connection, why) != CPgSchema::EState::kReady)
        return false;
    Office office;
    if (!ReadOffice(folder, office, why)) return false;
    static_assert(static_cast<int>(IWorkStore::ETrailState::kDone) == 0 &&
                  static_cast<int>(IWorkStore::ETrailState::kFailed) == 1 &&
                  static_cast<int>(IWorkStore::ETrailState::kPending) == 2);
    const std::string digest = DigestOf(office);
    CPgTransaction transaction(*connection);
    // Two imports at once: the second waits and then finds the first one's rows.
    const auto locked = connection->Exec(
        "LOCK TABLE stampwell.work_records, stampwell.employees, stampwell.cards, "
        "stampwell.admins, stampwell.trail, stampwell.leave_book, stampwell.work_rules, "
        "stampwell.schedule_book, stampwell.settings IN EXCLUSIVE MODE");
    if (!transaction.Begun() || !locked.Ok()) {
        why = "データベースを準備できませんでした: " + locked.Error();
        return false;
    }
    const auto before = connection->Exec(
        "SELECT (SELECT value FROM stampwell.settings WHERE key = 'imported'), "
        "EXISTS (SELECT 1 FROM stampwell.work_records) OR "
        "EXISTS (SELECT 1 FROM stampwell.employees) OR EXISTS (SELECT 1 FROM stampwell.admins) "
        "OR EXISTS (SELECT 1 FROM stampwell.trail) OR EXISTS (SELECT 1 FROM "
        "stampwell.leave_book) OR EXISTS (SELECT 1 FROM stampwell.work_rules) OR "
        "EXISTS (SELECT 1 FROM stampwell.schedule_book)");
    if (!before.Ok()) {
        why = "データベースを読めませんでした: " + before.Error();
        return false;
    }
    if (before.Value(0, 0) == digest) {
        counts.already = true;
        return true;
    }
    if (before.Value(0, 1) == "t") {
        why =
            "このデータベースにはもう記録があります。取り込みは空のデータベースにだけできます"
            "（何も変えていません）。";
        return false;
    }
    counts.records = office.records.size();
    counts.trail = office.trail.size();
    if (!InsertRecords(*connection, office.records, why) ||
        !InsertPeople(*connection, office, counts, why) ||
        !InsertTrail(*connection, office.trail, why) ||
        !CPgLineBook::Store(*connection, "stampwell.leave_book", office.leave, why) ||
        !CPgLineBook::Store(*connection, "stampwell.work_rules", office.rules, why) ||
        !CPgLineBook::Store(*connection, "stampwell.schedule_book", office.schedule, why)) {
        return false;
    }
    const auto noted = connection->Exec(
        "INSERT INTO stampwell.settings (key, value) VALUES ('imported', $1) "
        "ON CONFLICT (key) DO UPDATE SET value = $1",
        {digest});
    if (!noted.Ok()) {
        why = "データベースに保存できませんでした: " + noted.Error();
        return false;
    }
    if (!transaction.Commit(why)) {
        why = "データベースに保存できませんでした: " + why;
        return false;
    }
    // The planner's figures and the visibility map for years of rows at once, so the first
    // lists and reports need not wait for the server's own vacuum (not needed for anything
    // else: a failure changes nothing).
    connection->ExecScript("VACUUM (ANALYZE) stampwell.work_records");
    return true;
}

}  // namespace stampwell
