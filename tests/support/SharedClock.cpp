#include "support/SharedClock.h"

#include <sys/wait.h>

#include <chrono>
#include <csignal>

#include "platform/LocalTime.h"

namespace stampwell::test {

namespace fs = std::filesystem;

std::string Line(const std::string& name, const std::string& date, const std::string& time,
                 bool end) {
    std::string padded = name + std::string(32 - name.size(), ' ');
    return end ? padded + "," + date + ",," + time + "\n"
               : padded + "," + date + "," + time + ",\n";
}

int WaitFor(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CChildReaper::~CChildReaper() {
    ::kill(m_pid, SIGKILL);
    WaitFor(m_pid);
}

SharedClock::SharedClock(const fs::path& share, const std::string& data) {
    dataDir = t.dir / data;
    fs::create_directories(dataDir);
    fs::create_directories(share);
    runtime = std::make_unique<CRuntime>(dataDir, t.clock, t.sink);
    runtime->SetLockWait(std::chrono::milliseconds(300));
    settings = CreateConfig(*runtime);
    settings->SetWorkFilePath((share / "KINTAI.dat").string());
    Reopen();
    t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 0));
}

void SharedClock::Reopen() {
    report = std::make_unique<CWorkReport>(*runtime);
    report->SetSettings(settings);
    report->SetStampSide(&side);
    store = std::make_unique<CFolderWorkStore>(*report);
}

int SharedClock::Tap(const std::string& name, int hour, int minute, bool end) {
    side.end = end;
    t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, hour, minute));
    report->SetStamp(name);
    int found = report->CheckToday();
    if (found > 0) return report->OverwriteRecord(found) ? 2 : 0;
    if (found < 0) return 0;
    return report->RegisterStamp() ? 1 : 0;
}

}  // namespace stampwell::test
