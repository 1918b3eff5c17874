#pragma once

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace stampwell {

// One statement's result, freed with it.
class CPgResult {
public:
    CPgResult() = default;
    explicit CPgResult(PGresult* result) : m_result(result, &PQclear) {}

    // The statement ran (a command, or rows).
    bool Ok() const;
    int Rows() const { return m_result ? PQntuples(m_result.get()) : 0; }
    std::string Value(int row, int column) const;
    bool IsNull(int row, int column) const;
    // The server's message of a statement that failed (empty when it ran).
    std::string Error() const;
    // The SQLSTATE of a statement that failed ("55P03": a lock not had in time).
    std::string State() const;

private:
    std::unique_ptr<PGresult, void (*)(PGresult*)> m_result{nullptr, &PQclear};
};

// A connection to the office's PostgreSQL server, closed with it. Statements go with their
// values as parameters, never spliced into the text.
class CPgConnection {
public:
    // Parses and opens conninfo (a libpq connection string or URI). A connection that does not
    // answer within a few seconds is given up. Nothing, with why in Japanese, when the string
    // cannot be read or the server cannot be reached.
    static std::unique_ptr<CPgConnection> Open(const std::string& conninfo, std::string& why);

    // Whether conninfo can be kept in a clock's settings: libpq reads it, and it holds no
    // password (libpq's password file or a client certificate give that). why says what is
    // wrong, in Japanese.
    static bool IsStorable(const std::string& conninfo, std::string& why);

    // Takes over an open (or failed) connection.
    explicit CPgConnection(PGconn* connection) : m_connection(connection, &PQfinish) {}

    CPgResult Exec(const std::string& sql, const std::vector<std::string>& params = {});
    // Runs statements without parameters (the schema's migrations).
    CPgResult ExecScript(const std::string& sql);
    std::string LastError() const;
    // Whether the connection is still up (a server that went away breaks it).
    bool IsOpen() const;

    static constexpr int kConnectTimeoutSeconds = 3;

private:
    std::unique_ptr<PGconn, void (*)(PGconn*)> m_connection;
};

}  // namespace stampwell
