#pragma once

#include <filesystem>
#include <string_view>

namespace stampwell {

// Appends "Line = %d, Data = %s, Func = %s, FileName = %s" (CR LF) to ErrorLog.txt in the data
// folder. Data is the build date. Never fails loudly: a log that cannot be written is skipped.
void ErrorLog(const std::filesystem::path& dataDir, int line, std::string_view func,
              std::string_view file);

}  // namespace stampwell
