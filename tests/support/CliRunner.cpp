#include "support/CliRunner.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "support/TestSupport.h"

namespace stampwell::test {

CliResult RunCli(const std::filesystem::path& dataDir, const std::string& args,
                 const std::string& env) {
    auto errPath = dataDir.parent_path() / (dataDir.filename().string() + ".stderr");
    std::string command = env + " '" STAMPWELL_CLI_PATH "' --data-dir '" + dataDir.string() + "' " +
                          args + " 2>'" + errPath.string() + "'";
    CliResult result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadBytes(errPath);
    std::filesystem::remove(errPath);
    return result;
}

}  // namespace stampwell::test
