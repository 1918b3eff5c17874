// The work file at 10 and 20 years: a tap and the history in the clock window, the same through
// stampwell-cli, and the whole-file work (export, report, the month of the edit screen, the
// listing) against the floor of one scan of the still-enciphered file. Bytes read are reported
// beside the times: a warm page cache flatters a scan that a network share pays in full.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <vector>

#include "BenchSupport.h"
#include "WorkFiles.h"
#include "corrections/MonthSheet.h"
#include "folderstore/FolderWorkStore.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "platform/ManualClock.h"
#include "platform/StderrMessageSink.h"
#include "reporting/OvertimeYear.h"
#include "reporting/Payroll.h"
#include "reporting/PeriodReport.h"
#include "reporting/WorkSummary.h"
#include "text/TextCodec.h"
#include "workfile/IStampSide.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkReport.h"

extern char** environ;

namespace stampwell {

namespace {
using bench::CWorkFiles;

struct EndSide : IStampSide {
    bool IsEndSelected() const override { return true; }
};

// A work-record object as the clock keeps one for the whole run.
struct Clock {
    Clock(const std::filesystem::path& dir)
        : clock(std::make_shared<CManualClock>(CWorkFiles::Today())),
          runtime(dir, clock, std::make_shared<CStderrMessageSink>()),
          report(runtime) {
        report.SetStampSide(&side);
    }
    // One tap as the card-reading command makes it: the decision, then the record (or the
    // overwrite of today's, answered yes).
    void Tap(int person, int minute) {
        clock->Set(CWorkFiles::Today() + 60 * (minute % 600));
        report.SetStamp(CWorkFiles::Name(person));
        const int found = report.CheckToday();
        found > 0 ? report.OverwriteRecord(found) : report.RegisterStamp();
    }
    std::shared_ptr<CManualClock> clock;
    CRuntime runtime;
    CWorkReport report;
    EndSide side;
};

void CountBytes(benchmark::State& state, std::uint64_t before) {
    state.counters["bytes_read"] = benchmark::Counter(
        static_cast<double>(CWorkFiles::BytesRead() - before), benchmark::Counter::kAvgIterations);
}

// Runs stampwell-cli with the arguments; the child's peak memory in KiB.
long RunCli(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = STAMPWELL_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (auto& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}
}  // namespace

// The clock's own work: the 10- and 20-year files, 400 runs in each of five repetitions.
static void ClockRuns(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond)->Iterations(400)->Repetitions(5);
    b->DisplayAggregatesOnly(true);
}

// A command-line process each run: an empty office and the 10- and 20-year files.
static void CliRuns(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(5);
    b->DisplayAggregatesOnly(true)->UseRealTime();
}

// The whole-file jobs: the 10- and 20-year files, ten runs in each of five repetitions.
static void WholeFileRuns(benchmark::internal::Benchmark* b) {
    b->Arg(10)
        ->Arg(20)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10)
        ->Repetitions(5)
        ->DisplayAggregatesOnly(true);
}

// In the clock window: a tap (the decision and the record). The first tap on a file reads it
// whole once and makes its index; the taps measured read today's records only.
static void BM_Clock_Tap(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    Clock c(CWorkFiles::CopyOf(years, "clock-tap"));
    c.Tap(0, 0);
    int minute = 1;
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        c.Tap(minute % CWorkFiles::kPeople, minute);
        ++minute;
    }
    CountBytes(state, before);
}
BENCHMARK(BM_Clock_Tap)->Apply(ClockRuns);

// The first tap after another PC's month save (which moves every later record): the save leaves
// an index of the file it wrote, so the tap still reads today's records only.
static void BM_Clock_TapAfterMonthSave(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    Clock c(CWorkFiles::CopyOf(years, "clock-after-save"));
    c.Tap(0, 0);
    std::uint64_t tapBytes = 0;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A clock-in of last month removed, then put back: every later block moves.
        const bool remove = round % 2 == 0;
        c.report.SaveMonth(CWorkFiles::Name(3), 2025, 12,
                           {{1, 0, remove ? "09:00" : "", remove ? "" : "09:00"}});
        state.ResumeTiming();
        const auto before = CWorkFiles::BytesRead();
        ++round;
        c.Tap(round % CWorkFiles::kPeople, round);
        tapBytes += CWorkFiles::BytesRead() - before;
    }
    state.counters["bytes_read"] =
        benchmark::Counter(static_cast<double>(tapBytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Clock_TapAfterMonthSave)
    ->Arg(10)
    ->Iterations(10)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// In the clock window: the history refresh after a tap (twice per tap).
static void BM_Clock_History(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    Clock c(CWorkFiles::CopyOf(years, "clock-history"));
    std::vector<std::string> lines;
    c.report.ListToday(lines);
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        c.report.ListToday(lines);
        benchmark::DoNotOptimize(lines.size());
    }
    CountBytes(state, before);
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_Clock_History)->Apply(ClockRuns);

// stampwell-cli tap on an empty office (0 years), on 10 and on 20 years of records.
static void BM_Cli_Tap(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    const auto dir = CWorkFiles::CopyOf(years, "cli-tap");
    const std::string data = "--data-dir=" + dir.string();
    RunCli({data, "tap", CWorkFiles::Card(1), "--end", "--yes"});  // the first reads it whole
    int person = 0;
    for (auto _ : state) {
        RunCli({data, "tap", CWorkFiles::Card(person++ % CWorkFiles::kPeople), "--end", "--yes"});
    }
}
BENCHMARK(BM_Cli_Tap)->Apply(CliRuns);

// stampwell-cli records --today on the same three offices.
static void BM_Cli_RecordsToday(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    const auto dir = CWorkFiles::CopyOf(years, "cli-today");
    const std::string data = "--data-dir=" + dir.string();
    RunCli({data, "tap", CWorkFiles::Card(1), "--yes"});  // today's first tap
    for (auto _ : state) RunCli({data, "records", "--today"});
}
BENCHMARK(BM_Cli_RecordsToday)->Apply(CliRuns);

// stampwell-cli records, every record printed as it is read: the process's peak memory.
static void BM_Cli_RecordsAll(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    const std::string data = "--data-dir=" + CWorkFiles::Folder(years).string();
    long peak = 0;
    for (auto _ : state) peak = std::max(peak, RunCli({data, "records"}));
    state.counters["peak_rss_MiB"] = static_cast<double>(peak) / 1024.0;
}
BENCHMARK(BM_Cli_RecordsAll)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The floor of every whole-file job: one pass over the still-enciphered file comparing each
// block's name part with one person's (every record uses the same keystream).
static void BM_Floor_EncipheredScan(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    const auto file = CWorkFiles::Folder(years) / "KINTAI.dat";
    const std::string padded =
        *CTextCodec::ToCp932(CWorkFiles::Name(42)) + std::string(28, ' ') + ",";
    const std::string prefix = CCipherRecordFile::Encipher(padded, 51).substr(0, padded.size());
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        CFileDescriptor fd = CFileSystem::Open(file, O_RDONLY);
        std::size_t matches = 0;
        CWorkFileReader::ForEachRaw(
            fd.Get(), 0, CWorkFileReader::kToEnd, [&](std::size_t, const char* cipher) {
                matches += std::memcmp(cipher, prefix.data(), prefix.size()) == 0;
                return true;
            });
        benchmark::DoNotOptimize(matches);
    }
    CountBytes(state, before);
}
BENCHMARK(BM_Floor_EncipheredScan)->Apply(WholeFileRuns);

// The export of one pay period (all people).
static void BM_Whole_Export(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    const auto dir = CWorkFiles::CopyOf(years, "export");
    CWorkReport report(bench::BenchRuntime(dir));
    report.SetExportYear(2020);
    report.SetExportMonth(6);
    report.SetExportClosing(3);
    report.SetExportPath((dir / "export.csv").string());
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) benchmark::DoNotOptimize(report.Export());
    CountBytes(state, before);
}
BENCHMARK(BM_Whole_Export)->Apply(WholeFileRuns);

// stampwell-cli report: days and hours of all 100 employees for one pay period.
static void BM_Whole_Report(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CWorkReport report(bench::BenchRuntime(CWorkFiles::Folder(years)));
    CFolderWorkStore store(report);
    std::map<std::string, CWorkSummary::Totals> totals;
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        CWorkSummary::ForPeriod(store, 2020, 6, 3, "", totals);
        benchmark::DoNotOptimize(totals.size());
    }
    CountBytes(state, before);
}
BENCHMARK(BM_Whole_Report)->Apply(WholeFileRuns);

// stampwell-cli report with the payroll figures: the scan and the month's calculation of all
// 100 employees (fixed breaks, so each day meets every rule).
static CWorkRules BenchRules() {
    CWorkRules rules;
    rules.breaks = CWorkRules::EBreaks::kFixed;
    rules.windows = *CWorkRules::ParseWindows("12:00-13:00 15:00-15:15");
    return rules;
}

static void BM_Whole_PayrollReport(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CWorkReport report(bench::BenchRuntime(CWorkFiles::Folder(years)));
    CFolderWorkStore store(report);
    const CWorkRules rules = BenchRules();
    std::vector<CPeriodReport::Row> rows;
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        CPeriodReport::Collect(store, 2020, 6, 3, "", rules, rows);
        benchmark::DoNotOptimize(rows.size());
    }
    CountBytes(state, before);
}
BENCHMARK(BM_Whole_PayrollReport)->Apply(WholeFileRuns);

// `stampwell-cli limits`: the 100 employees' agreement year (with the five months before it
// that its averages reach back to), from one read of the file.
static void BM_Whole_OvertimeYear(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CWorkReport report(bench::BenchRuntime(CWorkFiles::Folder(years)));
    CFolderWorkStore store(report);
    const CWorkRules rules = BenchRules();
    std::vector<COvertimeYear::Row> rows;
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        COvertimeYear::Collect(store, 2019, 3, rules, rows);
        benchmark::DoNotOptimize(rows.size());
    }
    CountBytes(state, before);
}
BENCHMARK(BM_Whole_OvertimeYear)->Apply(WholeFileRuns);

// The calculation alone, beyond the scan: the 100 employees' days of the period (with the week
// before it) already read.
static void BM_PayrollCalculation(benchmark::State& state) {
    CWorkReport report(bench::BenchRuntime(CWorkFiles::Folder(10)));
    CFolderWorkStore store(report);
    const CWorkRules rules = BenchRules();
    std::map<std::string, std::vector<WorkDayRecord>> byName;
    int first = 0;
    if (!CWorkSummary::DaysOfPeriod(store, 2020, 6, 3, "", byName, first)) {
        state.SkipWithError("the work file could not be read");
        return;
    }
    for (auto _ : state) {
        int worked = 0;
        for (const auto& [name, days] : byName) {
            worked += CPayroll::Add(days, first, rules, "2099/01/01").worked;
        }
        benchmark::DoNotOptimize(worked);
    }
    state.counters["employees"] = static_cast<double>(byName.size());
}
BENCHMARK(BM_PayrollCalculation)->Unit(benchmark::kMillisecond);

// The record edit screen: one person's month read out of the whole file.
static void BM_Whole_LoadMonth(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CWorkReport report(bench::BenchRuntime(CWorkFiles::Folder(years)));
    CFolderWorkStore store(report);
    CMonthSheet sheet;
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) benchmark::DoNotOptimize(sheet.Load(store, "社員42", 2020, 6));
    CountBytes(state, before);
}
BENCHMARK(BM_Whole_LoadMonth)->Apply(WholeFileRuns);

// Every record with its number, deciphered (stampwell-cli records without the printing).
static void BM_Whole_ListRecords(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CWorkReport report(bench::BenchRuntime(CWorkFiles::Folder(years)));
    const auto before = CWorkFiles::BytesRead();
    for (auto _ : state) {
        std::size_t count = 0;
        report.ForEachRecord(false, [&](const CWorkReport::NumberedLine& line) {
            count += line.text.size();
            return true;
        });
        benchmark::DoNotOptimize(count);
    }
    CountBytes(state, before);
}
BENCHMARK(BM_Whole_ListRecords)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Saving a corrected time: the file read again under the lock, the change applied, the file
// rewritten in one step (on a copy of its own).
static void BM_Whole_SaveMonth(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CWorkReport report(bench::BenchRuntime(CWorkFiles::CopyOf(years, "save")));
    std::vector<WorkDayRecord> loaded;
    report.LoadMonth("社員42", 2020, 6, loaded);
    int minute = 0;
    for (auto _ : state) {
        char time[8];
        std::snprintf(time, sizeof time, "08:%02d", minute++ % 60);
        std::vector<CWorkReport::CellChange> changes{{1, 0, loaded[0].start, time}};
        benchmark::DoNotOptimize(report.SaveMonth("社員42", 2020, 6, changes));
        loaded[0].start = time;
    }
}
BENCHMARK(BM_Whole_SaveMonth)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

}  // namespace stampwell
