// The folder store and the company database side by side on the same ten years of 100 people
// (521,200 records): a tap (decision, record, commit), today's records, a month's payroll
// report, a pay period's export and a month's correction. The database is a PostgreSQL of the
// benchmark's own on a Unix socket, filled by db import from the folder.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "BenchSupport.h"
#include "WorkFiles.h"
#include "folderstore/FolderWorkStore.h"
#include "officestore/DatabaseImport.h"
#include "pgstore/PgWorkStore.h"
#include "platform/ManualClock.h"
#include "platform/StderrMessageSink.h"
#include "reporting/PeriodReport.h"
#include "schedule/ScheduleChange.h"
#include "settings/EnvironmentSettings.h"
#include "settings/WorkRules.h"
#include "support/PgServer.h"

namespace stampwell {

namespace {
using bench::CWorkFiles;

// The database of the ten-year folder, imported once a benchmark run.
const std::string& TenYearDatabase() {
    static const std::string conninfo = [] {
        auto& server = test::SharedPgServer();
        if (!server.Running()) return std::string();
        const std::string info = test::PgOfficeFor(CWorkFiles::CopyOf(10, "store-db-source"));
        CDatabaseImport::Counts counts;
        std::string why;
        const auto folder = bench::BenchRuntime(CWorkFiles::Folder(10));
        if (!CDatabaseImport::Run(folder, info, counts, why)) {
            std::fprintf(stderr, "import failed: %s\n", why.c_str());
            return std::string();
        }
        return info;
    }();
    return conninfo;
}

// A clock of the office on one store (range 0: the folder, 1: the database), standing at
// 2026/01/05 09:30.
struct Clock {
    explicit Clock(bool database, const std::string& name)
        : clock(std::make_shared<CManualClock>(CWorkFiles::Today())),
          runtime(CWorkFiles::CopyOf(database ? 0 : 10, name), clock,
                  std::make_shared<CStderrMessageSink>()) {
        if (database) {
            store = std::make_shared<CPgWorkStore>(runtime, TenYearDatabase(), "本社");
        } else {
            store = std::make_shared<CFolderWorkStore>(CreateWorkReport(runtime));
        }
        store->SetSettings(CreateConfig(runtime));
    }
    std::shared_ptr<CManualClock> clock;
    CRuntime runtime;
    std::shared_ptr<IWorkStore> store;
};

bool Skip(benchmark::State& state) {
    if (state.range(0) == 1 && TenYearDatabase().empty()) {
        state.SkipWithError("no PostgreSQL server");
        return true;
    }
    return false;
}

void Stores(benchmark::internal::Benchmark* b) {
    b->ArgName("database")->Arg(0)->Arg(1)->Repetitions(3)->DisplayAggregatesOnly(true);
}

CWorkRules Rules() {
    CWorkRules rules;
    rules.breaks = CWorkRules::EBreaks::kFixed;
    rules.windows = *CWorkRules::ParseWindows("12:00-13:00 15:00-15:15");
    return rules;
}

}  // namespace

// The clock's tap: under the day's hold, the decision and the record (or the overwrite of this
// morning's clock-in), committed.
static void BM_Store_Tap(benchmark::State& state) {
    if (Skip(state)) return;
    Clock c(state.range(0) == 1, "store-tap");
    int minute = 0;
    for (auto _ : state) {
        c.clock->Set(CWorkFiles::Today() + 60 * (minute % 600));
        c.store->SetStamp(CWorkFiles::Name(minute % CWorkFiles::kPeople));
        const auto hold = c.store->HoldToday();
        const int found = c.store->CheckToday();
        benchmark::DoNotOptimize(found > 0 ? c.store->OverwriteRecord(found)
                                           : c.store->RegisterStamp());
        ++minute;
    }
}
BENCHMARK(BM_Store_Tap)->Apply(Stores)->Unit(benchmark::kMillisecond)->Iterations(400);

// `stampwell-cli records --today`.
static void BM_Store_RecordsToday(benchmark::State& state) {
    if (Skip(state)) return;
    Clock c(state.range(0) == 1, "store-today");
    for (auto _ : state) {
        int lines = 0;
        c.store->ForEachRecord(true, [&](const IWorkStore::NumberedLine&) { return ++lines > 0; });
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_Store_RecordsToday)->Apply(Stores)->Unit(benchmark::kMillisecond)->Iterations(50);

// `stampwell-cli report` of December 2025 (closing at the end of the month) for all 100.
static void BM_Store_MonthReport(benchmark::State& state) {
    if (Skip(state)) return;
    Clock c(state.range(0) == 1, "store-report");
    const CWorkRules rules = Rules();
    std::vector<CPeriodReport::Row> rows;
    for (auto _ : state) {
        CPeriodReport::Collect(*c.store, 2025, 12, 5, "", rules, rows);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_Store_MonthReport)->Apply(Stores)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same report with everyone on a work pattern, an office holiday and a swap each: the
// scheduled figures (遅刻, 早退, 欠勤, 法定内残業, 所定休日労働) on top.
static void BM_Store_MonthReportScheduled(benchmark::State& state) {
    if (Skip(state)) return;
    Clock c(state.range(0) == 1, "store-report");
    const CWorkRules rules = Rules();
    CScheduleBook book;
    CWorkPattern day;
    day.name = "日勤";
    day.breaks = {{12 * 60, 13 * 60}};
    CScheduleChange::SetPattern(book, day);
    CScheduleChange::AddHoliday(book, 20251229, "年末年始");
    for (int p = 0; p < CWorkFiles::kPeople; ++p) {
        CScheduleChange::Assign(book, CWorkFiles::Name(p), 20250101, "日勤");
        CScheduleChange::AddSwap(book, rules, CWorkFiles::Name(p), 20251207, 20251210, 20251201);
    }
    std::vector<CPeriodReport::Row> rows;
    for (auto _ : state) {
        CPeriodReport::Collect(*c.store, 2025, 12, 5, "", rules, rows, nullptr, nullptr, &book);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_Store_MonthReportScheduled)
    ->Apply(Stores)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// The pay period's CSV of December 2025.
static void BM_Store_Export(benchmark::State& state) {
    if (Skip(state)) return;
    Clock c(state.range(0) == 1, "store-export");
    c.store->SetExportYear(2025);
    c.store->SetExportMonth(12);
    c.store->SetExportClosing(5);
    c.store->SetExportPath((c.runtime.DataDir() / "export.csv").string());
    for (auto _ : state) benchmark::DoNotOptimize(c.store->Export());
}
BENCHMARK(BM_Store_Export)->Apply(Stores)->Unit(benchmark::kMillisecond)->Iterations(20);

// The record edit screen's 保存 of one corrected clock-in in December 2025.
static void BM_Store_MonthSave(benchmark::State& state) {
    if (Skip(state)) return;
    Clock c(state.range(0) == 1, "store-save");
    const std::string name = CWorkFiles::Name(7);
    std::vector<WorkDayRecord> days;
    c.store->LoadMonth(name, 2025, 12, days, nullptr);
    std::string now = days[0].start;
    int round = 0;
    for (auto _ : state) {
        const std::string next = (round++ % 2 == 0) ? "08:41" : "08:42";
        const auto saved =
            c.store->SaveMonth(name, 2025, 12, {{1, 0, now, next}}, nullptr, nullptr, nullptr);
        if (saved != IWorkStore::ESaveOutcome::kSaved) state.SkipWithError("not saved");
        now = next;
    }
}
BENCHMARK(BM_Store_MonthSave)->Apply(Stores)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace stampwell
