#include "folderstore/TrailSettlement.h"

#include <map>
#include <set>
#include <utility>

#include "calendar/WorkDate.h"
#include "trail/EditLog.h"
#include "workfile/WorkReport.h"

namespace stampwell {

bool CTrailSettlement::Settle(CWorkReport& report, const CEditLog& log) {
    CEditLog::Entry marker;
    std::vector<CEditLog::Entry> changes;
    if (!log.FindOpenBatch(marker, changes)) return true;
    std::map<std::pair<std::string, int>, std::vector<WorkDayRecord>> months;
    bool reached = true;
    std::set<std::string> days;
    for (const auto& change : changes) {
        days.insert(change.day);
        int year = 0, month = 0, day = 0;
        if (!CWorkDate::Parse(change.day, year, month, day)) {
            reached = false;
            continue;
        }
        auto key = std::make_pair(change.name, year * 100 + month);
        auto it = months.find(key);
        if (it == months.end()) {
            std::vector<WorkDayRecord> loaded;
            if (!report.LoadMonth(change.name, year, month, loaded)) return false;
            it = months.emplace(key, std::move(loaded)).first;
        }
        if (day < 1 || day > static_cast<int>(it->second.size())) {
            reached = false;
            continue;
        }
        const auto& onDisk = it->second[static_cast<std::size_t>(day - 1)];
        const bool start = change.side == "出社" || change.side == "入室";
        if ((start ? onDisk.start : onDisk.end) != change.after) reached = false;
    }
    return log.EndBatch(marker, reached, std::vector<std::string>(days.begin(), days.end()));
}

}  // namespace stampwell
