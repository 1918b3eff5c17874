#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "workfile/WorkRecordTable.h"

namespace stampwell {

// The whole work file as a record table and back (sorted by date). A save keeps the taps
// appended after the table was loaded, and refuses after a load that could not read the file to
// its end. The caller holds the work file's locks (CWorkReport).
class CRecordTableFile {
public:
    bool Load(const std::filesystem::path& work, WorkRecordTable& table);
    bool Save(const std::filesystem::path& work, const WorkRecordTable& table);

private:
    // How far the work file reached when it was loaded.
    std::optional<std::uintmax_t> m_loadedSize;
    std::filesystem::path m_loadedPath;
    bool m_loadFailed = false;
};

}  // namespace stampwell
