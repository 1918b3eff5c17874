#include "pgstore/PgLineBook.h"

#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "platform/IMessageSink.h"

namespace stampwell {

namespace {

std::string Joined(const CPgResult& rows) {
    std::string text;
    for (int row = 0; row < rows.Rows(); ++row) text += rows.Value(row, 0) + "\r\n";
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool CPgLineBook::Store(CPgConnection& connection, const std::string& table,
                        const std::string& text, std::string& why) {
    const auto cleared = connection.Exec("DELETE FROM " + table);
    if (!cleared.Ok()) {
        why = "データベースに保存できませんでした: " + cleared.Error();
        return false;
    }
    int position = 0;
    for (const auto& line : Lines(text)) {
        const auto added =
            connection.Exec("INSERT INTO " + table + " (position, line) VALUES ($1, $2)",
                            {std::to_string(++position), line});
        if (!added.Ok()) {
            why = "データベースに保存できませんでした: " + added.Error();
            return false;
        }
    }
    return true;
}

std::optional<std::string> CPgLineBook::Read(std::string& why) const {
    auto connection = CPgConnection::Open(m_conninfo, why);
    if (!connection || CPgSchema::Check(*connection, why) != CPgSchema::EState::kReady) {
        return std::nullopt;
    }
    const auto rows = connection->Exec("SELECT line FROM " + m_table + " ORDER BY position");
    if (!rows.Ok()) {
        why = "データベースを読めませんでした: " + rows.Error();
        return std::nullopt;
    }
    return Joined(rows);
}

bool CPgLineBook::Change(
    const std::function<std::optional<std::string>(const std::string&)>& change, std::string& why,
    bool* busy) const {
    if (busy) *busy = false;
    auto connection = CPgConnection::Open(m_conninfo, why);
    if (!connection || CPgSchema::Check(*connection, why) != CPgSchema::EState::kReady) {
        return false;
    }
    auto failed = [&](const CPgResult& result) {
        // The wait for another writer ran out.
        if (busy && result.State() == "55P03") *busy = true;
        why = "データベースに保存できませんでした: " + result.Error();
        connection->ExecScript("ROLLBACK");
        return false;
    };
    for (const std::string& step :
         {std::string("BEGIN"),
          "SET LOCAL lock_timeout = '" + std::to_string(m_wait.count()) + "ms'"}) {
        const auto done = connection->ExecScript(step);
        if (!done.Ok()) return failed(done);
    }
    const auto locked = connection->ExecScript("LOCK TABLE " + m_table + " IN EXCLUSIVE MODE");
    if (!locked.Ok()) return failed(locked);
    const auto rows = connection->Exec("SELECT line FROM " + m_table + " ORDER BY position");
    if (!rows.Ok()) return failed(rows);
    const auto text = change(Joined(rows));
    if (!text) {
        connection->ExecScript("ROLLBACK");
        return false;
    }
    if (!Store(*connection, m_table, *text, why)) {
        connection->ExecScript("ROLLBACK");
        return false;
    }
    const auto committed = connection->ExecScript("COMMIT");
    if (!committed.Ok()) return failed(committed);
    return true;
}

bool CPgLineBook::Apply(const std::function<std::optional<std::string>(std::string& text)>& edit,
                        IMessageSink& messages, const std::string& busyWords) const {
    std::string why;
    bool busy = false;
    std::optional<std::string> refused;
    const bool stored = Change(
        [&](const std::string& stored) -> std::optional<std::string> {
            std::string text = stored;
            refused = edit(text);
            if (refused) return std::nullopt;
            return text;
        },
        why, &busy);
    if (!stored) {
        messages.ShowMessage(refused ? *refused : busy ? busyWords : why, EMessageIcon::None);
    }
    return stored;
}

}  // namespace stampwell
