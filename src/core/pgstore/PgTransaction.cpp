#include "pgstore/PgTransaction.h"

namespace stampwell {

CPgTransaction::CPgTransaction(CPgConnection& connection) : m_connection(connection) {
    m_begun = m_open = m_connection.ExecScript("BEGIN").Ok();
}

CPgTransaction::~CPgTransaction() {
    if (m_open) m_connection.ExecScript("ROLLBACK");
}

bool CPgTransaction::Commit(std::string& why) {
    if (!m_open) return false;
    m_open = false;
    const auto done = m_connection.ExecScript("COMMIT");
    if (!done.Ok()) why = done.Error().empty() ? m_connection.LastError() : done.Error();
    return done.Ok();
}

}  // namespace stampwell
