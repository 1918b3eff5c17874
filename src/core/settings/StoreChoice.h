#pragma once

#include <optional>
#include <string>

#include "platform/Runtime.h"

namespace stampwell {

// Where this clock's office keeps its records: the shared folder (the default, and what a
// missing Store.txt means) or the company database, with its connection string and the clock's
// site (拠点). Kept in "Store.txt" in the data folder, CP932 with CR LF, apart from Setting.txt so
// an older release that rewrites Setting.txt never sends a clock back to the folder.
class CStoreChoice {
public:
    enum class EKind { kFolder, kPostgreSql };

    EKind kind = EKind::kFolder;
    std::string database;  // a libpq connection string or URI
    std::string site;

    // What the data folder says; nothing when Store.txt is there but cannot be read (the caller
    // must not fall back to the folder: half an office would then write elsewhere).
    static std::optional<CStoreChoice> Read(const CRuntime& runtime);
    // Replaces Store.txt whole; false (the old file kept) when it cannot be written or a value
    // has no CP932 form or holds a line break.
    bool Save(const CRuntime& runtime) const;

    static const char* KindName(EKind kind) {
        return kind == EKind::kFolder ? "folder" : "postgresql";
    }
};

}  // namespace stampwell
