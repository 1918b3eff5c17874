#include "support/PgServer.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <system_error>

#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"

namespace stampwell::test {

namespace fs = std::filesystem;

namespace {

fs::path ServerBinaries() {
    std::error_code error;
    fs::path best;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
        const fs::path bin = entry.path() / "bin";
        if (fs::exists(bin / "pg_ctl", error) && (best.empty() || bin > best)) best = bin;
    }
    return best;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

bool CPgServer::MakeBase() {
    m_bin = ServerBinaries();
    if (m_bin.empty()) {
        m_why = "PostgreSQL server binaries not found (/usr/lib/postgresql/*/bin)";
        return false;
    }
    char pattern[] = "/tmp/stampwell-pg-XXXXXX";
    if (!::mkdtemp(pattern)) {
        m_why = "mkdtemp failed";
        return false;
    }
    m_base = pattern;
    // Ports apart for tests that run at once (each server's socket is in its own folder).
    m_port = 20000 + static_cast<int>(::getpid() % 20000);
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam("postgres");
        if (!user || ::chown(m_base.c_str(), user->pw_uid, user->pw_gid) != 0) {
            m_why = "no postgres user to run the server as";
            return false;
        }
    }
    return true;
}

CPgServer::CPgServer(StandbyOf standby) {
    const CPgServer& primary = standby.primary;
    if (!MakeBase()) return;
    const std::string copy =
        m_bin.string() + "/pg_basebackup -D " + Quoted((m_base / "data").string()) + " -h " +
        Quoted(primary.m_base.string()) + " -p " + std::to_string(primary.m_port) +
        " -U postgres -R -X stream -c fast >/dev/null 2>&1";
    if (std::system(AsServerUser(copy).c_str()) != 0) {
        m_why = "pg_basebackup failed";
        return;
    }
    m_running = Start();
    if (!m_running) m_why = "the standby did not start";
}

bool CPgServer::Promote() {
    const std::string promote = m_bin.string() + "/pg_ctl -D " +
                                Quoted((m_base / "data").string()) + " -w promote >/dev/null 2>&1";
    return std::system(AsServerUser(promote).c_str()) == 0;
}

CPgServer::CPgServer() {
    if (!MakeBase()) return;
    const std::string data = (m_base / "data").string();
    const std::string log = (m_base / "server.log").string();
    const std::string init = m_bin.string() + "/initdb -D " + Quoted(data) +
                             " -A trust -U postgres -E UTF8 --locale=C.UTF-8 >/dev/null 2>&1";
    if (std::system(AsServerUser(init).c_str()) != 0) {
        m_why = "initdb failed";
        return;
    }
    m_running = Start();
    if (!m_running) m_why = "the server did not start (see " + log + ")";
}

bool CPgServer::Start() {
    const std::string data = (m_base / "data").string();
    const std::string log = (m_base / "server.log").string();
    const std::string start = m_bin.string() + "/pg_ctl -D " + Quoted(data) + " -l " + Quoted(log) +
                              " -w -t 60 -o " +
                              Quoted("-k " + m_base.string() + " -p " + std::to_string(m_port) +
                                     " -c listen_addresses= -c fsync=off") +
                              " start >/dev/null 2>&1";
    return std::system(AsServerUser(start).c_str()) == 0;
}

bool CPgServer::Kill() {
    const std::string stop = m_bin.string() + "/pg_ctl -D " + Quoted((m_base / "data").string()) +
                             " -m immediate -w stop >/dev/null 2>&1";
    return std::system(AsServerUser(stop).c_str()) == 0;
}

bool CPgServer::Signal(const char* signal) {
    std::ifstream pidFile(m_base / "data" / "postmaster.pid");
    long pid = 0;
    if (!(pidFile >> pid) || pid <= 0) return false;
    const std::string command = "pkill -" + std::string(signal) + " -P " + std::to_string(pid) +
                                "; kill -" + signal + " " + std::to_string(pid);
    return std::system(command.c_str()) == 0;
}

bool CPgServer::RequirePassword(const std::string& role) {
    const fs::path hba = m_base / "data" / "pg_hba.conf";
    std::ifstream in(hba);
    std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::ofstream(hba) << "local all " << role << " scram-sha-256\n" << rest;
    return Psql("SELECT pg_reload_conf()");
}

bool CPgServer::Pause() {
    return Signal("STOP");
}

bool CPgServer::Resume() {
    return Signal("CONT");
}

CPgServer::~CPgServer() {
    if (m_running) {
        Resume();  // a test that failed while the server was paused
        const std::string stop = m_bin.string() + "/pg_ctl -D " +
                                 Quoted((m_base / "data").string()) +
                                 " -m immediate -w stop >/dev/null 2>&1";
        // Nothing else to do when it does not stop: the folder goes all the same.
        if (std::system(AsServerUser(stop).c_str()) != 0) m_why = "pg_ctl stop failed";
    }
    if (!m_base.empty()) {
        std::error_code ignored;
        fs::remove_all(m_base, ignored);
    }
}

std::string CPgServer::AsServerUser(const std::string& command) const {
    if (::geteuid() != 0) return command;
    return "runuser -u postgres -- sh -c " + Quoted(command);
}

std::string CPgServer::ConnInfo(const std::string& database) {
    if (database != "postgres" && m_databases.insert(database).second) {
        Psql("CREATE DATABASE \"" + database + "\"");
    }
    return "host=" + m_base.string() + " port=" + std::to_string(m_port) +
           " user=postgres dbname=" + database;
}

bool CPgServer::Psql(const std::string& sql, const std::string& database) {
    const std::string command = "psql -X -q -v ON_ERROR_STOP=1 -h " + Quoted(m_base.string()) +
                                " -p " + std::to_string(m_port) + " -U postgres -d " +
                                Quoted(database) + " -c " + Quoted(sql) + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

CPgServer& SharedPgServer() {
    static CPgServer server;
    return server;
}

std::string PgOfficeFor(const fs::path& dataDir) {
    CPgServer& server = SharedPgServer();
    if (!server.Running()) return "host=/nonexistent dbname=none";
    std::string name = "office_";
    for (char c : dataDir.filename().string())
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    const std::string conninfo = server.ConnInfo(name);
    std::string why;
    if (auto connection = CPgConnection::Open(conninfo, why)) CPgSchema::Init(*connection, why);
    return conninfo;
}

}  // namespace stampwell::test
