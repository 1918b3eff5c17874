#include "support/WorkedExample.h"

#include <cstdlib>
#include <vector>

#include "support/CliRunner.h"

namespace stampwell::test {

namespace {
// libfaketime itself, preloaded directly: the faketime wrapper names a semaphore after its own
// process id and fails ("sem_open: File exists") where a killed earlier run left one behind.
std::string FaketimeLibrary() {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                             "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
                             "/usr/lib/faketime/libfaketime.so.1"}) {
        if (std::filesystem::exists(path)) return path;
    }
    return {};
}
}  // namespace

bool HasFaketime() {
    return !FaketimeLibrary().empty();
}

std::string AtTime(const std::string& localTime) {
    // The sanitizer's runtime is not first in the list once libfaketime is preloaded.
    return "ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:verify_asan_link_order=0\" LD_PRELOAD='" +
           FaketimeLibrary() + "' FAKETIME='@" + localTime + "'";
}

std::string MakeWorkedExample(const std::filesystem::path& dataDir) {
    const std::string card = "0123456789ABCDEF";
    for (const char* setup : {"users add --card 0123456789ABCDEF --name 山田",
                              "settings set --day-change 5",
                              "rules set --windows 12:00-13:00 --from 2026-01-01"}) {
        auto result = RunCli(dataDir, setup);
        if (result.exitCode != 0) return std::string(setup) + ": " + result.err;
    }
    struct Tap {
        const char* at;
        const char* side;
    };
    const std::vector<Tap> taps = {
        {"2026-06-01 09:00:00", "--start"}, {"2026-06-01 18:00:00", "--end"},
        {"2026-06-02 09:00:00", "--start"}, {"2026-06-02 20:30:00", "--end"},
        {"2026-06-03 21:00:00", "--start"}, {"2026-06-04 01:30:00", "--end"},
        {"2026-06-04 09:00:00", "--start"}, {"2026-06-04 18:00:00", "--end"},
        {"2026-06-05 09:00:00", "--start"}, {"2026-06-05 18:30:00", "--end"},
        {"2026-06-06 09:00:00", "--start"}, {"2026-06-06 15:00:00", "--end"},
        {"2026-06-07 10:00:00", "--start"}, {"2026-06-07 15:00:00", "--end"},
        {"2026-06-08 12:30:00", "--start"}, {"2026-06-08 18:00:00", "--end"},
        {"2026-06-09 09:00:00", "--start"}, {"2026-06-10 13:30:00", "--start"},
        {"2026-06-10 23:30:00", "--end"},   {"2026-06-13 22:00:00", "--start"},
        {"2026-06-14 03:00:00", "--end"},
    };
    for (const auto& tap : taps) {
        auto result = RunCli(dataDir, "tap " + card + " " + tap.side, AtTime(tap.at));
        if (result.exitCode != 0) return std::string("tap at ") + tap.at + ": " + result.err;
    }
    return {};
}

}  // namespace stampwell::test
