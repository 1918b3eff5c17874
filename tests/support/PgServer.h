#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace stampwell::test {

// A PostgreSQL server of the test's own: a new cluster in a temporary folder, listening only
// on a socket there, trusting local connections, stopped (immediately) and removed with the
// object. As root it runs as the "postgres" user, since the server refuses root.
class CPgServer {
public:
    CPgServer();
    // A streaming-replication standby of primary (pg_basebackup), started, in a folder of its
    // own.
    struct StandbyOf {
        const CPgServer& primary;
    };
    explicit CPgServer(StandbyOf standby);
    ~CPgServer();
    CPgServer(const CPgServer&) = delete;
    CPgServer& operator=(const CPgServer&) = delete;

    // Whether the server is up (false where PostgreSQL is not installed: the test says so).
    bool Running() const { return m_running; }
    const std::string& Why() const { return m_why; }
    // A connection string to a database of this server (created when it is not "postgres").
    std::string ConnInfo(const std::string& database = "postgres");
    // The server and its backends stop answering (SIGSTOP), as a hung host does, and go on.
    bool Pause();
    bool Resume();
    // Killed at once (an immediate shutdown: nothing is flushed), and started again.
    bool Kill();
    bool Start();
    // A standby becomes a primary (pg_ctl promote).
    bool Promote();
    // From now on the role logs in only with its password (scram-sha-256).
    bool RequirePassword(const std::string& role);
    const std::filesystem::path& SocketDir() const { return m_base; }
    int Port() const { return m_port; }
    // Runs SQL as the superuser through psql; true when it ran.
    bool Psql(const std::string& sql, const std::string& database = "postgres");

private:
    std::string AsServerUser(const std::string& command) const;
    // The scratch folder (owned by the server's user when run as root); false with m_why.
    bool MakeBase();
    // SIGSTOP or SIGCONT to the postmaster and every process it started.
    bool Signal(const char* signal);

    std::filesystem::path m_base;
    std::filesystem::path m_bin;
    int m_port = 0;
    std::set<std::string> m_databases;  // made by ConnInfo
    bool m_running = false;
    std::string m_why;
};

// One server for the whole test program, started at its first use and stopped at its end.
CPgServer& SharedPgServer();
// A database of that server with Stampwell's tables, one for each data folder (each test's
// office its own); its connection string.
std::string PgOfficeFor(const std::filesystem::path& dataDir);

}  // namespace stampwell::test
