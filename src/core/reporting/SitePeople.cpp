#include "reporting/SitePeople.h"

namespace stampwell {

std::optional<std::set<std::string>> CSitePeople::Collect(IWorkStore& work, const std::string& site,
                                                          int first, int last) {
    if (site.empty() || !work.SelectSite(site)) return std::nullopt;
    WorkRecordTable table;
    const bool read = work.CollectRange(first, last, "", table);
    work.SelectSite("");
    if (!read) return std::nullopt;
    std::set<std::string> names;
    table.ForEach([&](const WorkDayRecord& record) { names.insert(record.name); });
    return names;
}

}  // namespace stampwell
