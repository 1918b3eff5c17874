#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace stampwell {

// Today's records of the work file as this data folder last saw them, in
// "TemporaryRecord.dat.today" beside the temporary file (same 51-byte blocks). While the work
// folder is away, a tap decides from these and the records waiting in the temporary file, so a
// clock-in made before the folder went (by this clock, another program on this data folder, or
// a move of waiting records) is not made a second time. The caller holds the data folder's lock.
class CTodayCache {
public:
    explicit CTodayCache(std::filesystem::path temporary);

    std::filesystem::path FilePath() const;
    // The day's records read from the work file, replacing what was known (written only when
    // they differ). date is the working day's number; blocks are enciphered.
    void Replace(int date, const std::vector<std::string>& blocks) const;
    // More records reached the work file (those of other days are left out).
    void Add(int date, const std::string& blocks) const;
    // A record was overwritten in place: it replaces the known record of the same person, day
    // and side (or is added), without reading the work file again.
    void Put(int date, const std::string& block) const;
    // Calls visit(text) for each known record of working day `date`.
    void ForEach(int date, const std::function<bool(std::string_view)>& visit) const;

private:
    std::vector<std::string> Read(int date) const;

    std::filesystem::path m_path;
};

}  // namespace stampwell
