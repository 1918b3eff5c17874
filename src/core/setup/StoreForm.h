#pragma once

#include <optional>
#include <string>

#include "platform/IMessageSink.h"
#include "platform/Runtime.h"
#include "settings/StoreChoice.h"

namespace stampwell {

// The decisions of choosing where the office's records are kept (the settings screen's 保存先
// and stampwell-cli settings set --store): the shared folder, or the company database, which
// must be reachable and ready before a clock is sent there, with the clock's site.
class CStoreForm {
public:
    static constexpr std::size_t kSiteLimit = 64;  // CP932 bytes

    // kind "folder" or "postgresql" (nothing when another word: *refusal says so).
    static std::optional<CStoreChoice::EKind> ParseKind(const std::string& kind);
    // Checks and saves the choice; every refusal is said through messages and leaves Store.txt
    // as it was. A database choice is tried first: a string libpq cannot read, one with a
    // password, a server that does not answer, or a database that is not ready is refused.
    static bool Apply(const CRuntime& runtime, const CStoreChoice& choice, IMessageSink& messages);
    // Whether a site name can be stored: 1..kSiteLimit CP932 bytes, no control character.
    static bool IsSiteName(const std::string& site);
};

}  // namespace stampwell
