#pragma once

#include <filesystem>
#include <string_view>

namespace stampwell {

class IClock;

// Appends "Line = %d, Data = %s, Func = %s, FileName = %s" (CR LF) to ErrorLog.txt in the data
// folder. Data is when the event happened ("2026/12/09 18:30:21", local time) from the given
// clock, or from the system's when there is none. Func says what happened, in Japanese for the
// office, followed by the operation in brackets for whoever maintains the program. Never fails
// loudly: a log that cannot be written is skipped.
void ErrorLog(const std::filesystem::path& dataDir, int line, std::string_view func,
              std::string_view file, const IClock* clock = nullptr);

}  // namespace stampwell
