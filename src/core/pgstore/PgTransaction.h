#pragma once

#include <string>

#include "pgstore/PgConnection.h"

namespace stampwell {

// A transaction on a connection, rolled back unless committed.
class CPgTransaction {
public:
    explicit CPgTransaction(CPgConnection& connection);
    ~CPgTransaction();
    CPgTransaction(const CPgTransaction&) = delete;
    CPgTransaction& operator=(const CPgTransaction&) = delete;

    bool Begun() const { return m_begun; }
    // False (and rolled back by the server) when the commit failed.
    bool Commit(std::string& why);

private:
    CPgConnection& m_connection;
    bool m_begun = false;
    bool m_open = false;
};

}  // namespace stampwell
