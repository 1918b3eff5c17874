#pragma once

#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "workfile/WorkDayRecord.h"

namespace stampwell {

// The whole work file in memory, for the record edit screen: elements ordered by date text
// (byte-wise), equal dates in insertion order, at most one element per name and date. An index
// keeps loading linear.
class WorkRecordTable {
public:
    // Merges a start or end record into the person's element of that day, or inserts it.
    void MergeRecord(const WorkDayRecord& record);
    // Sets the element's times (or inserts it); a record with no time removes the element.
    void PutRecord(const WorkDayRecord& record);
    // The start and end of the first element of that name (compared as 32-byte padded names)
    // and date; both empty when there is none.
    std::pair<std::string, std::string> FindRecord(const std::string& name,
                                                   const std::string& date) const;
    void ForEach(const std::function<void(const WorkDayRecord&)>& visit) const;
    std::vector<WorkDayRecord> Records() const;
    void Clear();
    std::size_t Size() const { return m_size; }

private:
    struct Day {
        std::vector<WorkDayRecord> records;
        std::unordered_map<std::string, std::size_t> byName;
    };
    static std::string Key(const std::string& name);
    WorkDayRecord* Find(const std::string& name, const std::string& date);
    void Insert(const WorkDayRecord& record);

    std::map<std::string, Day> m_days;
    std::size_t m_size = 0;
};

}  // namespace stampwell
