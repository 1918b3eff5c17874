#pragma once

#include <optional>
#include <set>
#include <string>

#include "store/IWorkStore.h"

namespace stampwell {

// Who worked at a site (拠点) in a span of days: the people of a site's report. Their figures
// are always reckoned from all their records, wherever tapped, so a site's report never
// understates the hours the law counts for a person who also works elsewhere.
class CSitePeople {
public:
    // The names with a record tapped at site from first to last (date numbers); nothing when
    // the store keeps no such site or the records cannot be read. The store reads all sites
    // again afterwards.
    static std::optional<std::set<std::string>> Collect(IWorkStore& work, const std::string& site,
                                                        int first, int last);
};

}  // namespace stampwell
