#include "workfile/WorkRecordTable.h"

namespace stampwell {

std::string WorkRecordTable::Key(const std::string& name) {
    // Names compare as if padded with blanks to 32 bytes: trailing blanks do not count.
    std::size_t end = name.find_last_not_of(' ');
    return end == std::string::npos ? std::string{} : name.substr(0, end + 1);
}

WorkDayRecord* WorkRecordTable::Find(const std::string& name, const std::string& date) {
    auto day = m_days.find(date);
    if (day == m_days.end()) return nullptr;
    auto index = day->second.byName.find(Key(name));
    if (index == day->second.byName.end()) return nullptr;
    return &day->second.records[index->second];
}

void WorkRecordTable::Insert(const WorkDayRecord& record) {
    Day& day = m_days[record.date];
    day.byName.emplace(Key(record.name), day.records.size());
    day.records.push_back(record);
    ++m_size;
}

void WorkRecordTable::MergeRecord(const WorkDayRecord& record) {
    WorkDayRecord* existing = Find(record.name, record.date);
    if (existing == nullptr) {
        Insert(record);
        return;
    }
    if (record.end.empty()) existing->start = record.start;
    if (record.start.empty()) existing->end = record.end;
}

void WorkRecordTable::PutRecord(const WorkDayRecord& record) {
    bool hasTime = !record.start.empty() || !record.end.empty();
    WorkDayRecord* existing = Find(record.name, record.date);
    if (existing == nullptr) {
        if (hasTime) Insert(record);
        return;
    }
    if (hasTime) {
        existing->start = record.start;
        existing->end = record.end;
        return;
    }
    Day& day = m_days[record.date];
    std::size_t index = day.byName[Key(record.name)];
    day.records.erase(day.records.begin() + static_cast<std::ptrdiff_t>(index));
    --m_size;
    day.byName.clear();
    for (std::size_t i = 0; i < day.records.size(); ++i)
        day.byName.emplace(Key(day.records[i].name), i);
    if (day.records.empty()) m_days.erase(record.date);
}

std::pair<std::string, std::string> WorkRecordTable::FindRecord(const std::string& name,
                                                                const std::string& date) const {
    auto* self = const_cast<WorkRecordTable*>(this);
    const WorkDayRecord* found = self->Find(name, date);
    if (found == nullptr) return {};
    return {found->start, found->end};
}

void WorkRecordTable::ForEach(const std::function<void(const WorkDayRecord&)>& visit) const {
    for (const auto& [date, day] : m_days) {
        for (const auto& record : day.records) visit(record);
    }
}

std::vector<WorkDayRecord> WorkRecordTable::Records() const {
    std::vector<WorkDayRecord> records;
    records.reserve(m_size);
    ForEach([&](const WorkDayRecord& record) { records.push_back(record); });
    return records;
}

void WorkRecordTable::Clear() {
    m_days.clear();
    m_size = 0;
}

}  // namespace stampwell
