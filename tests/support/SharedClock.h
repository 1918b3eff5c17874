#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "folderstore/FolderWorkStore.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell::test {

// A work line as stored: the name padded to 32 bytes, then the date and the start or end time.
std::string Line(const std::string& name, const std::string& date, const std::string& time,
                 bool end);
// The exit code of a child process (-1 when it did not exit).
int WaitFor(pid_t child);

// Kills and reaps a child process when the test ends, however it ends: a stopped child left
// holding a lock (and the test's output) would hang the whole run.
class CChildReaper {
public:
    explicit CChildReaper(pid_t child) : m_pid(child) {}
    ~CChildReaper();
    CChildReaper(const CChildReaper&) = delete;
    CChildReaper& operator=(const CChildReaper&) = delete;

private:
    pid_t m_pid;
};

// A time clock with a data folder of its own whose work file is in a shared folder; `data`
// names its data folder. Its day is 2011/08/25 and its lock wait 300 ms.
struct SharedClock {
    explicit SharedClock(const std::filesystem::path& share, const std::string& data = "clock");
    // Makes the work record again (after Style.txt changed, as a restarted clock would).
    void Reopen();
    // A tap as the clock makes it, answering the overwrite question with yes: 1 registered,
    // 2 overwritten, 0 not registered.
    int Tap(const std::string& name, int hour, int minute, bool end = false);
    std::filesystem::path Work() const { return settings->GetWorkFilePath(); }

    CTestRuntime t;
    std::filesystem::path dataDir;
    std::unique_ptr<CRuntime> runtime;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    std::unique_ptr<CFolderWorkStore> store;  // the same records through the store's face
    CFixedSide side;
};

}  // namespace stampwell::test
