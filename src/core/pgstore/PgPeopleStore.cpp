#include "pgstore/PgPeopleStore.h"

#include "pgstore/PgConnection.h"
#include "pgstore/PgReach.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {

constexpr const char* kPeople =
    "SELECT c.card, e.name, e.mail_name, e.mail_address FROM stampwell.employees e "
    "LEFT JOIN stampwell.cards c ON c.employee_id = e.id ORDER BY e.position";

}  // namespace

int CPgPeopleStore::SetCardId(std::string card) {
    m_person.cardId = std::move(card);
    return 1;
}
int CPgPeopleStore::SetName(std::string name) {
    m_person.personalName = std::move(name);
    return 1;
}
int CPgPeopleStore::SetPreviousName(std::string name) {
    m_previousName = std::move(name);
    return 1;
}
int CPgPeopleStore::SetMailName(std::string name) {
    m_person.mailName = std::move(name);
    return 1;
}
int CPgPeopleStore::SetMailAddress(std::string address) {
    m_person.mailAddress = std::move(address);
    return 1;
}

std::string CPgPeopleStore::Lookup(const std::string& sql, const std::string& name) const {
    std::string why;
    auto connection = CPgConnection::Open(m_conninfo, why);
    if (!connection) return {};
    const auto rows = connection->Exec(sql, {name});
    return rows.Ok() && rows.Rows() > 0 ? rows.Value(0, 0) : std::string{};
}

std::vector<IPeopleStore::Person> CPgPeopleStore::ReadCopy() const {
    std::vector<Person> people;
    const auto bytes = CFileSystem::ReadWholeFile(CopyPath());
    if (!bytes) return people;
    for (const auto& line : CTextCodec::NonEmptyLines(CTextCodec::FromCp932(*bytes))) {
        Person person;
        std::string* fields[] = {&person.cardId, &person.personalName, &person.mailName,
                                 &person.mailAddress};
        std::size_t start = 0;
        for (std::string* field : fields) {
            const std::size_t comma = line.find(',', start);
            *field = line.substr(start, comma == std::string::npos ? comma : comma - start);
            start = comma == std::string::npos ? line.size() : comma + 1;
        }
        people.push_back(person);
    }
    return people;
}

void CPgPeopleStore::KeepCopy(const std::vector<Person>& people) const {
    if (m_clockFolder.empty()) return;
    std::string text;
    for (const auto& person : people) {
        text += person.cardId + "," + person.personalName + "," + person.mailName + "," +
                person.mailAddress + "\r\n";
    }
    const auto bytes = CTextCodec::ToCp932(text);
    if (!bytes) return;
    // Written only when it changed: a tap does not rewrite it each time.
    const auto kept = CFileSystem::ReadWholeFile(CopyPath());
    if (kept && *kept == *bytes) return;
    CFileSystem::WriteWholeFile(CopyPath(), "DatabaseRegister.txt.tmp", *bytes);
}

bool CPgPeopleStore::UsesCopy() const {
    return !m_clockFolder.empty() && CPgReach::RecentlyAway(m_clockFolder);
}

std::optional<IPeopleStore::Person> CPgPeopleStore::FromCopy(const std::string& name) const {
    for (const auto& person : ReadCopy()) {
        if (person.personalName == name) return person;
    }
    return std::nullopt;
}

int CPgPeopleStore::FindNameByCard() {
    m_failure.clear();
    std::string why;
    auto connection = UsesCopy() ? nullptr : CPgConnection::Open(m_conninfo, why);
    const auto rows = connection ? connection->Exec(kPeople) : CPgResult();
    if (rows.Ok()) {
        std::vector<Person> people;
        for (int row = 0; row < rows.Rows(); ++row) {
            people.push_back(
                {rows.Value(row, 0), rows.Value(row, 1), rows.Value(row, 2), rows.Value(row, 3)});
        }
        KeepCopy(people);
        for (const auto& person : people) {
            if (person.cardId != m_person.cardId) continue;
            m_person.personalName = person.personalName;
            return 1;
        }
        return 0;
    }
    if (!m_clockFolder.empty()) {
        if (!UsesCopy()) CPgReach::NoteAway(m_clockFolder);
        // The register as this clock last read it: the card stays known.
        for (const auto& person : ReadCopy()) {
            if (person.cardId != m_person.cardId) continue;
            m_person.personalName = person.personalName;
            return 1;
        }
    }
    // Never "not registered" for a card the database could not be asked about.
    m_failure = "データベースに接続できないため、カードを確かめられませんでした。\n" +
                (connection ? rows.Error() : why);
    return 0;
}

std::string CPgPeopleStore::GetCardIdByName(const std::string& name) const {
    return Lookup(
        "SELECT c.card FROM stampwell.employees e JOIN stampwell.cards c ON c.employee_id = e.id "
        "WHERE e.name = $1",
        name);
}

std::string CPgPeopleStore::GetMailNameByName(const std::string& name) const {
    if (UsesCopy()) {
        const auto person = FromCopy(name);
        return person ? person->mailName : std::string{};
    }
    return Lookup("SELECT mail_name FROM stampwell.employees WHERE name = $1", name);
}

std::string CPgPeopleStore::GetMailAddressByName(const std::string& name) const {
    if (UsesCopy()) {
        const auto person = FromCopy(name);
        return person ? person->mailAddress : std::string{};
    }
    return Lookup("SELECT mail_address FROM stampwell.employees WHERE name = $1", name);
}

bool CPgPeopleStore::HasName(const std::string& name) const {
    return !Lookup("SELECT 1 FROM stampwell.employees WHERE name = $1", name).empty();
}

std::vector<IPeopleStore::Person> CPgPeopleStore::ReadAll() const {
    std::vector<Person> people;
    std::string why;
    auto connection = CPgConnection::Open(m_conninfo, why);
    if (!connection) return people;
    const auto rows = connection->Exec(kPeople);
    for (int row = 0; rows.Ok() && row < rows.Rows(); ++row) {
        people.push_back(
            {rows.Value(row, 0), rows.Value(row, 1), rows.Value(row, 2), rows.Value(row, 3)});
    }
    return people;
}

int CPgPeopleStore::GetCount() const {
    return static_cast<int>(ReadAll().size());
}

std::vector<std::string> CPgPeopleStore::GetAllNames() const {
    std::vector<std::string> names;
    for (const auto& person : ReadAll()) names.push_back(person.personalName);
    return names;
}

int CPgPeopleStore::Change(const std::function<bool(CPgConnection&)>& change) {
    m_failure.clear();
    auto connection = CPgConnection::Open(m_conninfo, m_failure);
    if (!connection) return 0;
    auto failed = [&](const CPgResult& result) {
        if (result.State() == "55P03") {
            m_failure =
                "他の端末がカード登録者を変更中のため、保存できませんでした。\nしばらくして"
                "からもう一度お試しください。";
        } else if (!result.Error().empty()) {
            m_failure = "データベースに保存できませんでした: " + result.Error();
        }
        connection->ExecScript("ROLLBACK");
        return 0;
    };
    for (const std::string& step :
         {std::string("BEGIN"),
          "SET LOCAL lock_timeout = '" + std::to_string(m_wait.count()) + "ms'",
          std::string("LOCK TABLE stampwell.employees, stampwell.cards IN EXCLUSIVE MODE")}) {
        const auto done = connection->ExecScript(step);
        if (!done.Ok()) return failed(done);
    }
    if (!change(*connection)) return failed(CPgResult());
    const auto committed = connection->ExecScript("COMMIT");
    return committed.Ok() ? 1 : failed(committed);
}

int CPgPeopleStore::AddRecord() {
    if (!CRegisterFile::CanHold(m_person)) return 0;
    return Change([&](CPgConnection& db) {
        const auto taken = db.Exec(
            "SELECT 1 FROM stampwell.employees WHERE name = $1 UNION ALL "
            "SELECT 1 FROM stampwell.cards WHERE card = $2",
            {m_person.personalName, m_person.cardId});
        if (!taken.Ok() || taken.Rows() > 0) return false;
        const auto added = db.Exec(
            "INSERT INTO stampwell.employees (name, mail_name, mail_address, position) "
            "SELECT $1, $2, $3, coalesce(max(position), 0) + 1 FROM stampwell.employees "
            "RETURNING id",
            {m_person.personalName, m_person.mailName, m_person.mailAddress});
        if (!added.Ok() || added.Rows() != 1) return false;
        return db
            .Exec("INSERT INTO stampwell.cards (card, employee_id) VALUES ($1, $2)",
                  {m_person.cardId, added.Value(0, 0)})
            .Ok();
    });
}

int CPgPeopleStore::ChangeRecord() {
    if (!CRegisterFile::CanHold(m_person)) return 0;
    return Change([&](CPgConnection& db) {
        const auto found =
            db.Exec("SELECT id FROM stampwell.employees WHERE name = $1", {m_previousName});
        if (!found.Ok() || found.Rows() != 1) return false;
        const std::string id = found.Value(0, 0);
        const auto taken = db.Exec(
            "SELECT 1 FROM stampwell.employees WHERE name = $1 AND id <> $3::integer UNION ALL "
            "SELECT 1 FROM stampwell.cards WHERE card = $2 AND employee_id <> $3::integer",
            {m_person.personalName, m_person.cardId, id});
        if (!taken.Ok() || taken.Rows() > 0) return false;
        return db.Exec(
                     "UPDATE stampwell.employees SET name = $1, mail_name = $2, "
                     "mail_address = $3 WHERE id = $4::integer",
                     {m_person.personalName, m_person.mailName, m_person.mailAddress, id})
                   .Ok() &&
               db.Exec("DELETE FROM stampwell.cards WHERE employee_id = $1::integer", {id}).Ok() &&
               db.Exec("INSERT INTO stampwell.cards (card, employee_id) VALUES ($1, $2::integer)",
                       {m_person.cardId, id})
                   .Ok();
    });
}

int CPgPeopleStore::DeleteRecord() {
    return Change([&](CPgConnection& db) {
        const auto removed =
            db.Exec("DELETE FROM stampwell.employees WHERE name = $1", {m_person.personalName});
        return removed.Ok();
    });
}

std::string CPgPeopleStore::FailureMessage(const std::string& otherwise) const {
    return m_failure.empty() ? otherwise : m_failure;
}

std::shared_ptr<IPeopleStore> CPgPeopleStore::Clone() const {
    return std::make_shared<CPgPeopleStore>(*this);
}

}  // namespace stampwell
