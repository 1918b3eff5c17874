#pragma once

#include <filesystem>
#include <string>

namespace stampwell::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built stampwell-cli with --data-dir and the given arguments (a shell-quoted string).
CliResult RunCli(const std::filesystem::path& dataDir, const std::string& args,
                 const std::string& env = {});

}  // namespace stampwell::test
