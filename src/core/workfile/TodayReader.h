#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "workfile/WorkFileReader.h"

namespace stampwell {

// Today's records as a tap's decision sees them: the work file's from the start of today
// (CTodayIndex), or, while its folder is away, those last seen there (CTodayCache); then the
// records waiting in the temporary file. The caller holds the locks.
class CTodayReader {
public:
    // The number a record known only from the day's cache is given: positive (the record
    // exists) but in no file that can be written now.
    static constexpr std::size_t kUnreachableRecord = 0x7fffffff;

    CTodayReader(std::filesystem::path work, std::filesystem::path temporary, int today);

    // A file's records, from the start of today when recentOnly. False when it cannot be read.
    bool Read(const std::filesystem::path& path, bool recentOnly,
              const CWorkFileReader::Visit& visit) const;
    // The decision's view. away says whether the work folder is away and is updated by
    // recheck(), called when a read of the work file fails (the folder may have gone since it
    // was checked). mayCache: the locks allow rewriting the day's cache. False when nothing
    // could be read.
    bool ForEach(bool& away, const std::function<bool()>& recheck, bool mayCache,
                 const CWorkFileReader::Visit& visit) const;
    // The number of the first record of a person (padded CP932 name), working day and side.
    // read (when given) says whether the file could be read: nothing found in a file that
    // could not be read is no proof that the record is gone.
    std::optional<std::size_t> Find(const std::filesystem::path& path, const std::string& padded,
                                    const std::string& date, int side, bool* read = nullptr) const;

private:
    std::filesystem::path m_work;
    std::filesystem::path m_temporary;
    int m_today;
};

}  // namespace stampwell
