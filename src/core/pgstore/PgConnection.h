#pragma once

#include <libpq-fe.h>

#include <chrono>
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
    // A statement that got no answer (the server did not reply in time, or the connection
    // broke): its message and SQLSTATE.
    CPgResult(std::string error, std::string state)
        : m_error(std::move(error)), m_state(std::move(state)) {}

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
    std::string m_error, m_state;
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
    // From now on a statement that gets no answer within wait is given up and the connection
    // closed (a server that hangs never holds the caller longer); zero waits as long as it takes.
    void SetAnswerWait(std::chrono::milliseconds wait) { m_answerWait = wait; }
    // The SQLSTATE of a statement given up for want of an answer.
    static constexpr const char* kNoAnswer = "08006";

    static constexpr int kConnectTimeoutSeconds = 3;

private:
    CPgResult Run(const std::string& sql, const std::vector<std::string>* params);

    std::unique_ptr<PGconn, void (*)(PGconn*)> m_connection;
    std::chrono::milliseconds m_answerWait{0};
};

}  // namespace stampwell
