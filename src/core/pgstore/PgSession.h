#pragma once

#include <memory>
#include <string>

#include "pgstore/PgConnection.h"

namespace stampwell {

// One program's connection to the company database, opened at its first use and opened again
// when the server broke it; the schema is checked once a connection.
class CPgSession {
public:
    explicit CPgSession(std::string conninfo) : m_conninfo(std::move(conninfo)) {}

    const std::string& ConnInfo() const { return m_conninfo; }
    // The open connection, or nothing with why (Japanese) when the server cannot be reached or
    // its database is not a Stampwell database of this version.
    CPgConnection* Get(std::string& why);
    // The connection when it is open now, without opening one.
    CPgConnection* Current() {
        return m_connection && m_connection->IsOpen() ? m_connection.get() : nullptr;
    }
    // Forgets the connection (after a statement failed because it broke).
    void Drop() { m_connection.reset(); }

private:
    std::string m_conninfo;
    std::unique_ptr<CPgConnection> m_connection;
};

}  // namespace stampwell
