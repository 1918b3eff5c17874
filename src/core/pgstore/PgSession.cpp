#include "pgstore/PgSession.h"

#include "pgstore/PgSchema.h"

namespace stampwell {

CPgConnection* CPgSession::Get(std::string& why) {
    if (m_connection && m_connection->IsOpen()) return m_connection.get();
    m_connection = CPgConnection::Open(m_conninfo, why);
    if (!m_connection) return nullptr;
    if (CPgSchema::Check(*m_connection, why) != CPgSchema::EState::kReady) {
        m_connection.reset();
        return nullptr;
    }
    return m_connection.get();
}

}  // namespace stampwell
