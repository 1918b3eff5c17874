#include "pgstore/PgConnection.h"

#include <poll.h>

#include <memory>

namespace stampwell {

namespace {

// libpq's messages end with a line break.
std::string Trimmed(const char* text) {
    std::string message = text ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

bool CPgResult::Ok() const {
    if (!m_result) return false;
    const auto status = PQresultStatus(m_result.get());
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::string CPgResult::Value(int row, int column) const {
    if (!m_result || row >= Rows() || column >= PQnfields(m_result.get())) return {};
    return PQgetvalue(m_result.get(), row, column);
}

bool CPgResult::IsNull(int row, int column) const {
    return !m_result || PQgetisnull(m_result.get(), row, column) != 0;
}

std::string CPgResult::Error() const {
    return m_result ? Trimmed(PQresultErrorMessage(m_result.get())) : m_error;
}

std::string CPgResult::State() const {
    if (!m_result) return m_state;
    const char* state = PQresultErrorField(m_result.get(), PG_DIAG_SQLSTATE);
    return state ? state : "";
}

std::unique_ptr<CPgConnection> CPgConnection::Open(const std::string& conninfo, std::string& why) {
    // An empty string would mean libpq's defaults: some database, never the office's.
    if (conninfo.find_first_not_of(" \t") == std::string::npos) {
        why = "データベースの接続先が設定されていません。環境設定で指定してください。";
        return nullptr;
    }
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &parseError);
    if (!parsed) {
        why = "データベースの接続文字列を読めません: " + Trimmed(parseError);
        PQfreemem(parseError);
        return nullptr;
    }
    bool hasTimeout = false;
    for (const PQconninfoOption* option = parsed; option->keyword; ++option) {
        if (std::string(option->keyword) == "connect_timeout" && option->val) hasTimeout = true;
    }
    PQconninfoFree(parsed);
    // The string's own settings win; only a missing timeout is added.
    const std::string timeout = std::to_string(kConnectTimeoutSeconds);
    const char* keywords[] = {"dbname", hasTimeout ? nullptr : "connect_timeout", nullptr};
    const char* values[] = {conninfo.c_str(), hasTimeout ? nullptr : timeout.c_str(), nullptr};
    auto connection =
        std::make_unique<CPgConnection>(PQconnectdbParams(keywords, values, /*expand_dbname=*/1));
    // The server's notices (a shutdown in progress, a NOTICE of a migration) are not the
    // program's output.
    if (connection->m_connection) {
        PQsetNoticeProcessor(
            connection->m_connection.get(), [](void*, const char*) {}, nullptr);
    }
    if (!connection->m_connection || PQstatus(connection->m_connection.get()) != CONNECTION_OK) {
        const std::string error = connection->LastError();
        if (error.find("no password supplied") != std::string::npos ||
            error.find("password authentication failed") != std::string::npos) {
            // Stampwell never keeps the password: libpq's password file gives it.
            why =
                "データベースがパスワードを求めていますが、使えるパスワードがありません。この"
                "パソコンの ~/.pgpass（または PGPASSFILE のファイル）に、ホスト:ポート:データ"
                "ベース:ユーザー:パスワード の行を書いてください（ファイルは本人だけが読める"
                "ように chmod 600）。\n" +
                error;
        } else {
            why = "データベースに接続できません: " + error;
        }
        return nullptr;
    }
    return connection;
}

bool CPgConnection::IsStorable(const std::string& conninfo, std::string& why) {
    if (conninfo.find_first_not_of(" \t") == std::string::npos) {
        why =
            "データベースの接続文字列を指定してください（例: host=db.example.jp dbname=stampwell "
            "user=clock）。";
        return false;
    }
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &parseError);
    if (!parsed) {
        why = "データベースの接続文字列を読めません: " + Trimmed(parseError);
        PQfreemem(parseError);
        return false;
    }
    bool password = false;
    for (const PQconninfoOption* option = parsed; option->keyword; ++option) {
        if (std::string(option->keyword) == "password" && option->val && *option->val)
            password = true;
    }
    PQconninfoFree(parsed);
    if (password) {
        why =
            "接続文字列にパスワードは書けません（Stampwellはパスワードを保存しません）。"
            "~/.pgpass（または PGPASSFILE）かクライアント証明書を使ってください。";
        return false;
    }
    return true;
}

CPgResult CPgConnection::Exec(const std::string& sql, const std::vector<std::string>& params) {
    return Run(sql, &params);
}

CPgResult CPgConnection::ExecScript(const std::string& sql) {
    return Run(sql, nullptr);
}

CPgResult CPgConnection::Run(const std::string& sql, const std::vector<std::string>* params) {
    PGconn* connection = m_connection.get();
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        return CPgResult("データベースとの接続が切れています。", kNoAnswer);
    }
    std::vector<const char*> values;
    if (params) {
        for (const auto& param : *params) values.push_back(param.c_str());
    }
    const int count = static_cast<int>(values.size());
    if (m_answerWait.count() == 0) {
        if (!params) return CPgResult(PQexec(connection, sql.c_str()));
        return CPgResult(PQexecParams(connection, sql.c_str(), count, nullptr, values.data(),
                                      nullptr, nullptr, 0));
    }
    // Sent, then waited for with a deadline: a server that stopped answering (a hung host, a
    // network that drops packets) never holds the caller past it.
    const bool sent = params ? PQsendQueryParams(connection, sql.c_str(), count, nullptr,
                                                 values.data(), nullptr, nullptr, 0) == 1
                             : PQsendQuery(connection, sql.c_str()) == 1;
    if (!sent) return CPgResult(LastError(), kNoAnswer);
    const auto deadline = std::chrono::steady_clock::now() + m_answerWait;
    CPgResult last;
    bool any = false;
    while (true) {
        while (PQisBusy(connection) == 1) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd wait{PQsocket(connection), POLLIN, 0};
            const int ready =
                left.count() > 0 ? ::poll(&wait, 1, static_cast<int>(left.count())) : 0;
            if (ready <= 0 || PQconsumeInput(connection) != 1) {
                // Given up: the connection is closed, so its next user starts afresh.
                m_connection.reset();
                return CPgResult("データベースが応答しません（" +
                                     std::to_string(m_answerWait.count() / 1000) + "秒）。",
                                 kNoAnswer);
            }
        }
        PGresult* result = PQgetResult(connection);
        if (!result) break;
        // A script's last statement, or its first error (the rest are read and let go).
        if (!any || last.Ok()) {
            last = CPgResult(result);
        } else {
            PQclear(result);
        }
        any = true;
    }
    if (!any) return CPgResult(LastError(), kNoAnswer);
    return last;
}

bool CPgConnection::IsOpen() const {
    return m_connection && PQstatus(m_connection.get()) == CONNECTION_OK;
}

std::string CPgConnection::LastError() const {
    return m_connection ? Trimmed(PQerrorMessage(m_connection.get())) : std::string{};
}

}  // namespace stampwell
