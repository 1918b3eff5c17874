#include "pgstore/PgAdminStore.h"

#include "pgstore/PasswordHash.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "pgstore/PgTransaction.h"

namespace stampwell {

namespace {

// A card stored as char(16) comes back padded.
std::string CardOf(const CPgResult& rows, int row, int column) {
    if (rows.IsNull(row, column)) return {};
    std::string card = rows.Value(row, column);
    while (!card.empty() && card.back() == ' ') card.pop_back();
    return card;
}

}  // namespace

bool CPgAdminStore::ReadAll(std::vector<Listed>& admins) const {
    admins.clear();
    std::string why;
    auto connection = Connect(why);
    if (!connection) return false;
    // Through a function: a clock's role may list the administrators, never read their hashes.
    const auto rows = connection->Exec("SELECT id, has_card FROM stampwell.admin_list()");
    if (!rows.Ok()) return false;
    for (int i = 0; i < rows.Rows(); ++i)
        admins.push_back({rows.Value(i, 0), rows.Value(i, 1) == "t"});
    return true;
}

std::unique_ptr<CPgConnection> CPgAdminStore::Connect(std::string& why) const {
    auto connection = CPgConnection::Open(m_conninfo, why);
    if (!connection || CPgSchema::Check(*connection, why) != CPgSchema::EState::kReady)
        return nullptr;
    return connection;
}

int CPgAdminStore::GetCount() const {
    std::vector<Listed> admins;
    ReadAll(admins);
    return static_cast<int>(admins.size());
}

int CPgAdminStore::CheckPassword() const {
    return IsPassword(m_id, m_password).value_or(false) ? 1 : 0;
}

std::optional<bool> CPgAdminStore::IsPassword(const std::string& id,
                                              const std::string& password) const {
    if (id.empty()) return false;
    std::string why;
    auto connection = Connect(why);
    if (!connection) return std::nullopt;
    // The salt comes out, then the derived key goes in: the hash never leaves the server.
    const auto salt = connection->Exec("SELECT stampwell.admin_salt($1)", {id});
    if (!salt.Ok()) return std::nullopt;
    if (salt.Rows() != 1 || salt.IsNull(0, 0)) return false;
    const std::string derived = CPasswordHash::WithHead(password, salt.Value(0, 0));
    if (derived.empty()) return false;
    const auto checked = connection->Exec("SELECT stampwell.admin_check($1, $2)", {id, derived});
    if (!checked.Ok()) return std::nullopt;
    return checked.Rows() == 1 && checked.Value(0, 0) == "t";
}

std::optional<std::string> CPgAdminStore::IdOfCard(const std::string& card) const {
    if (card.empty()) return std::string{};
    std::string why;
    auto connection = Connect(why);
    if (!connection) return std::nullopt;
    const auto found = connection->Exec("SELECT stampwell.admin_by_card($1)", {card});
    if (!found.Ok()) return std::nullopt;
    return found.Rows() == 1 && !found.IsNull(0, 0) ? found.Value(0, 0) : std::string{};
}

int CPgAdminStore::FindIdByCard() {
    const std::string id = IdOfCard(m_cardId).value_or(std::string{});
    if (id.empty()) return 0;
    m_id = id;
    return 1;
}

int CPgAdminStore::ExistsId() const {
    std::vector<Listed> admins;
    if (m_id.empty() || !ReadAll(admins)) return 0;
    for (const auto& admin : admins) {
        if (admin.id == m_id) return 1;
    }
    return 0;
}

void CPgAdminStore::LoadAdmin() {
    // The card of the administrator being edited (the administrators' role reads it).
    std::string why;
    auto connection = Connect(why);
    m_password.clear();
    if (!connection) return;
    const auto rows =
        connection->Exec("SELECT card FROM stampwell.admins WHERE id = $1", {m_previousId});
    if (rows.Ok() && rows.Rows() == 1) m_cardId = CardOf(rows, 0, 0);
}

void CPgAdminStore::GetIdList(std::vector<std::string>& ids) const {
    ids.clear();
    std::vector<Listed> admins;
    ReadAll(admins);
    for (const auto& admin : admins) ids.push_back(admin.id);
}

std::vector<IAdminStore::Entry> CPgAdminStore::GetAdminList() const {
    std::vector<Entry> entries;
    std::vector<Listed> admins;
    ReadAll(admins);
    for (const auto& admin : admins) entries.push_back({admin.id, admin.hasCard});
    return entries;
}

bool CPgAdminStore::Fits(const std::string& id, const std::string& card,
                         const std::string& password) const {
    // The rules of the folder's file, so the administrators can always move back to it.
    return CAdminFile::FitsBlock(id, card, password);
}

int CPgAdminStore::Change(
    const std::function<ERefusal(CPgConnection&, const std::vector<Stored>&)>& change) {
    m_refusal = ERefusal::kNone;
    m_why.clear();
    auto refuse = [&](ERefusal why) {
        m_refusal = why;
        return 0;
    };
    auto connection = Connect(m_why);
    if (!connection) return refuse(ERefusal::kWrite);
    CPgTransaction transaction(*connection);
    const auto wait = connection->Exec("SELECT set_config('lock_timeout', $1, true)",
                                       {std::to_string(m_wait.count()) + "ms"});
    const auto locked = connection->Exec("LOCK TABLE stampwell.admins IN EXCLUSIVE MODE");
    if (!transaction.Begun() || !wait.Ok() || !locked.Ok())
        return refuse(locked.State() == "55P03" ? ERefusal::kBusy : ERefusal::kWrite);
    const auto rows =
        connection->Exec("SELECT id, card, password_hash FROM stampwell.admins ORDER BY position");
    if (!rows.Ok()) return refuse(ERefusal::kWrite);
    std::vector<Stored> admins;
    for (int i = 0; i < rows.Rows(); ++i)
        admins.push_back({rows.Value(i, 0), CardOf(rows, i, 1), rows.Value(i, 2)});
    const ERefusal refused = change(*connection, admins);
    if (refused != ERefusal::kNone) return refuse(refused);
    if (!transaction.Commit(m_why)) return refuse(ERefusal::kWrite);
    return 1;
}

int CPgAdminStore::AddAdmin() {
    if (!Fits(m_id, m_cardId, m_password)) {
        m_refusal = ERefusal::kWrite;
        return 0;
    }
    const std::string hash = CPasswordHash::Make(m_password);
    bool first = false;
    const int added = Change([&](CPgConnection& connection, const std::vector<Stored>& admins) {
        if (static_cast<int>(admins.size()) >= kMaxAdmins) return ERefusal::kLimit;
        for (const auto& admin : admins) {
            if (admin.id == m_id) return ERefusal::kDuplicateId;
            if (!m_cardId.empty() && admin.card == m_cardId) return ERefusal::kDuplicateCard;
        }
        first = admins.empty();
        const auto stored = connection.Exec(
            "INSERT INTO stampwell.admins (id, card, password_hash, position) VALUES "
            "($1, NULLIF($2, ''), $3, "
            "(SELECT coalesce(max(position), 0) + 1 FROM stampwell.admins))",
            {m_id, m_cardId, hash});
        return hash.empty() || !stored.Ok() ? ERefusal::kWrite : ERefusal::kNone;
    });
    if (added && first) m_loginId = m_id;
    return added;
}

int CPgAdminStore::ChangeAdmin() {
    // An empty password keeps the stored one (it cannot be shown to be typed again).
    if (!Fits(m_id, m_cardId, m_password.empty() ? std::string("x") : m_password)) {
        m_refusal = ERefusal::kWrite;
        return 0;
    }
    const std::string hash = m_password.empty() ? std::string{} : CPasswordHash::Make(m_password);
    const int changed = Change([&](CPgConnection& connection, const std::vector<Stored>& admins) {
        for (const auto& admin : admins) {
            if (admin.id == m_previousId) continue;
            if (admin.id == m_id) return ERefusal::kDuplicateId;
            if (!m_cardId.empty() && admin.card == m_cardId) return ERefusal::kDuplicateCard;
        }
        const auto stored = connection.Exec(
            "UPDATE stampwell.admins SET id = $2, card = NULLIF($3, ''), "
            "password_hash = coalesce(NULLIF($4, ''), password_hash) WHERE id = $1",
            {m_previousId, m_id, m_cardId, hash});
        return stored.Ok() ? ERefusal::kNone : ERefusal::kWrite;
    });
    if (changed && m_loginId == m_previousId) m_loginId = m_id;
    return changed;
}

int CPgAdminStore::DeleteAdmin() {
    return Change([&](CPgConnection& connection, const std::vector<Stored>&) {
        const auto removed = connection.Exec("DELETE FROM stampwell.admins WHERE id = $1", {m_id});
        return removed.Ok() ? ERefusal::kNone : ERefusal::kWrite;
    });
}

std::string CPgAdminStore::LastRefusalMessage() const {
    if (m_refusal == ERefusal::kWrite && !m_why.empty())
        return "管理者情報を記録できませんでした。\n" + m_why;
    return CAdminFile::RefusalMessage(m_refusal);
}

bool CPgAdminStore::LoginWithPassword(const std::string& id, const std::string& password) {
    // A server that does not answer is said as such, never as a wrong password.
    const auto matches = IsPassword(id, password);
    m_refusal = matches ? ERefusal::kNone : ERefusal::kUnreachable;
    if (!matches.value_or(false)) return false;
    m_loginId = id;
    return true;
}

bool CPgAdminStore::LoginWithCard(const std::string& card) {
    const auto id = IdOfCard(card);
    m_refusal = id ? ERefusal::kNone : ERefusal::kUnreachable;
    if (!id || id->empty()) return false;
    m_loginId = *id;
    return true;
}

}  // namespace stampwell
