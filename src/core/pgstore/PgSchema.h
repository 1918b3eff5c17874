#pragma once

#include <string>
#include <vector>

namespace stampwell {

class CPgConnection;

// The tables of a company's records in PostgreSQL, all in the schema "stampwell", made and
// upgraded by the program: numbered migrations kept in the source, the missing ones applied in
// one transaction, the version reached kept in stampwell.schema_version. Several programs may
// initialise at once (an advisory lock keeps them in turn).
class CPgSchema {
public:
    enum class EState { kReady, kNewer, kForeign, kFailed };

    // The migrations in order; migration n (from 1) brings the schema to version n.
    static const std::vector<std::string>& Migrations();
    static int KnownVersion() { return static_cast<int>(Migrations().size()); }

    // Creates or upgrades the schema to KnownVersion. kNewer: made by a newer program, left
    // as it is; kForeign: a schema "stampwell" that is not ours; why says it in Japanese.
    static EState Init(CPgConnection& connection, std::string& why);
    // The version the database holds: 0 when it has none, kForeign for a schema "stampwell"
    // without one, kUnreadable when the database cannot be read.
    static constexpr int kForeign = -1;
    static constexpr int kUnreadable = -2;
    // The login may not use the schema (it holds neither of Stampwell's roles).
    static constexpr int kNoRights = -3;
    static int StoredVersion(CPgConnection& connection);
    // Whether a program may use the database as it is: its schema is exactly the one known.
    static EState Check(CPgConnection& connection, std::string& why);
};

}  // namespace stampwell
