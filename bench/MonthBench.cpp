// The record edit screen on the 10-year work file: opening a month and saving one corrected
// month, with the bytes each moves. On a network share the bytes are what costs: "link_ms" is
// the time they take on a 100 Mbit link (11 MB/s of payload), beside the time measured here.
// A save reads, works out and journals its part of the file before it takes the work file's
// lock; "lock_ms" and "lock_link_ms" are what it holds the lock for (every clock's tap waits
// that long), the first measured here, the second its bytes over the link.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchSupport.h"
#include "WorkFiles.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
using bench::CWorkFiles;

// The months opened: the last whole month, one half a year back, the first of the last year
// (what follows it is the most a month of the year moves), one six years back.
constexpr int kMonths[][2] = {{2025, 12}, {2025, 6}, {2025, 1}, {2020, 6}};

// The clock's first reading of today makes the today index, as any tap of the day has.
void Warm(CWorkReport& report) {
    std::vector<std::string> lines;
    report.ListToday(lines);
}

// The first day of the month with a clock-out (day - 1 is its index).
int FirstEnd(const std::vector<WorkDayRecord>& days) {
    for (std::size_t d = 0; d < days.size(); ++d)
        if (!days[d].end.empty()) return static_cast<int>(d) + 1;
    return 1;
}

void CountLink(benchmark::State& state, std::uint64_t read, std::uint64_t written) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["bytes_read"] = static_cast<double>(read) / iterations;
    state.counters["bytes_written"] = static_cast<double>(written) / iterations;
    state.counters["link_ms"] = static_cast<double>(read + written) / iterations / 11.0e3;
}

// What a save does while it holds the work file's lock: from the lock taken to the save's end
// (the lock goes as the save returns).
class CLockTime {
public:
    CWorkReport::SaveHooks Hooks() {
        CWorkReport::SaveHooks hooks;
        hooks.locked = [this] {
            m_bytes = CWorkFiles::BytesRead() + CWorkFiles::BytesWritten();
            m_from = std::chrono::steady_clock::now();
        };
        return hooks;
    }
    void SaveEnded() {
        m_time += std::chrono::steady_clock::now() - m_from;
        m_lockBytes += CWorkFiles::BytesRead() + CWorkFiles::BytesWritten() - m_bytes;
    }
    void Count(benchmark::State& state) const {
        const double iterations = static_cast<double>(state.iterations());
        state.counters["lock_ms"] =
            std::chrono::duration<double, std::milli>(m_time).count() / iterations;
        state.counters["lock_link_ms"] = static_cast<double>(m_lockBytes) / iterations / 11.0e3;
    }

private:
    std::uint64_t m_bytes = 0, m_lockBytes = 0;
    std::chrono::steady_clock::time_point m_from;
    std::chrono::steady_clock::duration m_time{};
};
}  // namespace

static void BM_Month_Open(benchmark::State& state) {
    const auto& [year, month] = kMonths[state.range(0)];
    CWorkReport report(
        bench::BenchRuntime(CWorkFiles::CopyOf(10, "month-open"), CWorkFiles::Today()));
    std::vector<WorkDayRecord> days, leadIn;
    report.LoadMonth("社員42", year, month, days, &leadIn);  // the month index is made once
    const auto read = CWorkFiles::BytesRead();
    const auto written = CWorkFiles::BytesWritten();
    for (auto _ : state) {
        benchmark::DoNotOptimize(report.LoadMonth("社員42", year, month, days, &leadIn));
    }
    CountLink(state, CWorkFiles::BytesRead() - read, CWorkFiles::BytesWritten() - written);
}
BENCHMARK(BM_Month_Open)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

// One day's clock-out added and taken away again by turns: every later record moves. With
// tapBetween, another clock's tap lands between the save's reading ahead and its lock: the tap is
// read under the lock and added to the journal, the month not read again.
static void SaveMoving(benchmark::State& state, bool tapBetween) {
    const auto& [year, month] = kMonths[state.range(0)];
    const auto folder = CWorkFiles::CopyOf(10, tapBetween ? "month-save-tap" : "month-save");
    CWorkReport report(bench::BenchRuntime(folder, CWorkFiles::Today()));
    CWorkReport other(bench::BenchRuntime(folder, CWorkFiles::Today()));
    std::vector<WorkDayRecord> days;
    Warm(report);
    report.LoadMonth("社員42", year, month, days);
    const int day = FirstEnd(days);
    const std::string end = days[static_cast<std::size_t>(day - 1)].end;
    bool removed = false;
    CLockTime lock;
    const auto read = CWorkFiles::BytesRead();
    const auto written = CWorkFiles::BytesWritten();
    for (auto _ : state) {
        const std::vector<CWorkReport::CellChange> change{
            {day, 1, removed ? "" : end, removed ? end : ""}};
        auto hooks = lock.Hooks();
        if (tapBetween) {
            hooks.prepared = [&] {
                other.SetStamp("社員7");
                other.AppendRecord(0);
            };
        }
        if (report.SaveMonth("社員42", year, month, change, nullptr, hooks) !=
            CWorkReport::ESaveOutcome::kSaved) {
            state.SkipWithError("the save failed");
            break;
        }
        lock.SaveEnded();
        removed = !removed;
    }
    CountLink(state, CWorkFiles::BytesRead() - read, CWorkFiles::BytesWritten() - written);
    lock.Count(state);
}

static void BM_Month_Save(benchmark::State& state) {
    SaveMoving(state, false);
}
BENCHMARK(BM_Month_Save)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

static void BM_Month_SaveWithTapBetween(benchmark::State& state) {
    SaveMoving(state, true);
}
BENCHMARK(BM_Month_SaveWithTapBetween)
    ->DenseRange(1, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

// A time corrected where it stands: nothing moves.
static void BM_Month_SaveInPlace(benchmark::State& state) {
    const auto& [year, month] = kMonths[state.range(0)];
    CWorkReport report(
        bench::BenchRuntime(CWorkFiles::CopyOf(10, "month-in-place"), CWorkFiles::Today()));
    std::vector<WorkDayRecord> days;
    Warm(report);
    report.LoadMonth("社員42", year, month, days);
    const int day = FirstEnd(days);
    std::string start = days[static_cast<std::size_t>(day - 1)].start;
    int minute = 0;
    CLockTime lock;
    const auto read = CWorkFiles::BytesRead();
    const auto written = CWorkFiles::BytesWritten();
    for (auto _ : state) {
        char time[8];
        std::snprintf(time, sizeof time, "08:%02d", minute++ % 60);
        if (report.SaveMonth("社員42", year, month, {{day, 0, start, time}}, nullptr,
                             lock.Hooks()) != CWorkReport::ESaveOutcome::kSaved) {
            state.SkipWithError("the save failed");
            break;
        }
        lock.SaveEnded();
        start = time;
    }
    CountLink(state, CWorkFiles::BytesRead() - read, CWorkFiles::BytesWritten() - written);
    lock.Count(state);
}
BENCHMARK(BM_Month_SaveInPlace)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

}  // namespace stampwell
