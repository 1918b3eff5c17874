// Twenty clock processes tapping random cards against one company database, with month saves
// and reports running beside them: the taps per second, the 50th and 99th percentile tap time,
// and the proof that nothing reported as recorded is lost or doubled. STAMPWELL_LOAD_SECONDS
// sets the length (60 s by default).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "BenchSupport.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgWorkStore.h"
#include "platform/LocalTime.h"
#include "platform/ManualClock.h"
#include "platform/StderrMessageSink.h"
#include "reporting/PeriodReport.h"
#include "settings/WorkRules.h"
#include "support/PgServer.h"
#include "workfile/IStampSide.h"

namespace stampwell {

namespace {

constexpr int kClocks = 20;
constexpr int kPeople = 100;
// 2026/06/01 09:00, the day every clock taps.
std::int64_t Day() {
    return CLocalTime::FromLocal(2026, 6, 1, 9, 0);
}

struct Side : IStampSide {
    bool IsEndSelected() const override { return end; }
    bool end = false;
};

std::string Person(int i) {
    return "社員" + std::to_string(i);
}

// One clock's run: each tap's time (microseconds) and what it reported, one line each.
void RunClock(const std::string& conninfo, int clock, double seconds, const std::string& out) {
    auto manual = std::make_shared<CManualClock>(Day());
    char dir[] = "/tmp/stampwell-load-XXXXXX";
    if (!::mkdtemp(dir)) return;
    CRuntime runtime(dir, manual, std::make_shared<CStderrMessageSink>());
    Side side;
    std::mt19937 random(static_cast<unsigned>(clock * 7919 + 1));
    std::ofstream log(out);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    // The clock keeps its store, and so its connection, from tap to tap.
    CPgWorkStore store(runtime, conninfo, "拠点" + std::to_string(clock % 3));
    store.SetStampSide(&side);
    while (std::chrono::steady_clock::now() < end) {
        const int person = static_cast<int>(random() % kPeople);
        side.end = random() % 2 == 1;
        manual->Set(Day() + static_cast<std::int64_t>(random() % 36000));
        const auto start = std::chrono::steady_clock::now();
        store.SetStamp(Person(person));
        int found = 0;
        bool written = false;
        {
            const auto hold = store.HoldToday();
            found = store.CheckToday();
            if (found == 0) written = store.RegisterStamp();
        }
        if (found > 0) written = store.OverwriteRecord(found);
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
        log << micros << ' ' << person << ' ' << (side.end ? 1 : 0) << ' ' << (written ? 1 : 0)
            << '\n';
    }
}

// An administrator's screens beside the clocks: a month save and a month's report in turn.
void RunAdministrator(const std::string& conninfo, double seconds) {
    auto manual = std::make_shared<CManualClock>(Day());
    char dir[] = "/tmp/stampwell-load-XXXXXX";
    if (!::mkdtemp(dir)) return;
    CRuntime runtime(dir, manual, std::make_shared<CStderrMessageSink>());
    CPgWorkStore store(runtime, conninfo, "");
    CWorkRules rules;
    std::vector<CPeriodReport::Row> rows;
    int round = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const std::string name = Person(round % kPeople);
        std::vector<WorkDayRecord> days;
        if (store.LoadMonth(name, 2026, 5, days, nullptr)) {
            store.SaveMonth(name, 2026, 5, {{1 + round % 28, 0, days[round % 28].start, "08:30"}},
                            nullptr, nullptr, nullptr);
        }
        CPeriodReport::Collect(store, 2026, 6, 5, "", rules, rows);
        ++round;
    }
}

}  // namespace

static void BM_TwentyClocksOnOneDatabase(benchmark::State& state) {
    auto& server = test::SharedPgServer();
    if (!server.Running()) {
        state.SkipWithError("no PostgreSQL server");
        return;
    }
    const char* length = std::getenv("STAMPWELL_LOAD_SECONDS");
    const double seconds = length ? std::atof(length) : 60.0;
    char dir[] = "/tmp/stampwell-load-office-XXXXXX";
    if (!::mkdtemp(dir)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string conninfo = test::PgOfficeFor(dir);
    for (auto _ : state) {
        std::vector<pid_t> children;
        for (int clock = 0; clock <= kClocks; ++clock) {
            const pid_t child = ::fork();
            if (child == 0) {
                if (clock == kClocks) {
                    RunAdministrator(conninfo, seconds);
                } else {
                    RunClock(conninfo, clock, seconds,
                             std::string(dir) + "/clock" + std::to_string(clock) + ".txt");
                }
                ::_exit(0);
            }
            children.push_back(child);
        }
        for (pid_t child : children) ::waitpid(child, nullptr, 0);
    }
    // The taps' times and what each clock was told.
    std::vector<double> times;
    std::set<std::pair<int, int>> recorded;  // person and side reported as recorded
    long failed = 0;
    for (int clock = 0; clock < kClocks; ++clock) {
        std::ifstream in(std::string(dir) + "/clock" + std::to_string(clock) + ".txt");
        long micros = 0;
        int person = 0, side = 0, written = 0;
        while (in >> micros >> person >> side >> written) {
            times.push_back(static_cast<double>(micros) / 1000.0);
            if (written) recorded.insert({person, side});
            failed += written ? 0 : 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::string why;
    auto connection = CPgConnection::Open(conninfo, why);
    long doubled = -1, lost = 0;
    if (connection) {
        const auto doubles = connection->Exec(
            "SELECT count(*) FROM (SELECT 1 FROM stampwell.work_records WHERE working_day = "
            "'2026-06-01' GROUP BY employee, side HAVING count(*) > 1) AS d");
        doubled = doubles.Ok() ? std::atol(doubles.Value(0, 0).c_str()) : -1;
        for (const auto& [person, side] : recorded) {
            const auto found = connection->Exec(
                "SELECT 1 FROM stampwell.work_records WHERE working_day = '2026-06-01' AND "
                "employee = $1 AND side = $2",
                {Person(person), std::to_string(side)});
            lost += found.Rows() == 0 ? 1 : 0;
        }
    }
    const auto at = [&](double q) {
        return times.empty() ? 0.0 : times[static_cast<std::size_t>(q * (times.size() - 1))];
    };
    state.counters["taps"] = static_cast<double>(times.size());
    state.counters["taps_per_s"] = static_cast<double>(times.size()) / seconds;
    state.counters["p50_ms"] = at(0.5);
    state.counters["p99_ms"] = at(0.99);
    state.counters["refused"] = static_cast<double>(failed);
    state.counters["lost"] = static_cast<double>(lost);
    state.counters["doubled"] = static_cast<double>(doubled);
}
BENCHMARK(BM_TwentyClocksOnOneDatabase)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace stampwell
