#pragma once

#include <filesystem>
#include <string>

namespace stampwell::test {

// The README's worked example: June 2026 of one employee (山田), each tap made by stampwell-cli
// on a clock set by faketime, under fixed breaks 12:00-13:00. Empty when all went well, else
// what failed.
std::string MakeWorkedExample(const std::filesystem::path& dataDir);
// Whether faketime can run here.
bool HasFaketime();
// The environment prefix that runs stampwell-cli at a local time ("2026-06-01 09:00:00").
std::string AtTime(const std::string& localTime);

}  // namespace stampwell::test
