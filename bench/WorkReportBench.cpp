#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include "BenchSupport.h"
#include "people/Exchanger.h"
#include "platform/FileHandle.h"
#include "platform/LocalTime.h"
#include "recording/MonthSheet.h"
#include "recording/WorkLine.h"
#include "recording/WorkReport.h"
#include "recording/WorkSummary.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr int kPeople = 100;

// Ten years of working days (Monday to Friday), 100 people, a start and an end each: about
// 520,000 records, 26 MB. Built once per benchmark process.
const std::filesystem::path& TenYearFile() {
    static const std::filesystem::path dir = [] {
        auto folder = bench::BenchDir("work");
        FileHandle out = OpenFile(folder / "KINTAI.dat", "wb");
        const std::uint8_t* stream = ExchangerKeystream();
        std::string chunk;
        for (int day = 0; day < 3650; ++day) {
            auto tm = CLocalTime::ToLocal(CLocalTime::FromLocal(2016, 1, 1 + day, 12));
            if (tm->tm_wday == 0 || tm->tm_wday == 6) continue;
            char date[16];
            std::strftime(date, sizeof date, "%Y/%m/%d", &*tm);
            for (int side = 0; side < 2; ++side) {
                for (int p = 0; p < kPeople; ++p) {
                    std::string name = *CTextCodec::ToCp932("社員" + std::to_string(p));
                    std::string line =
                        WorkLine::Format(name, date, side == 0 ? "09:00" : "18:00", side);
                    line.resize(WorkLine::kRecordLength, ' ');
                    for (std::size_t i = 0; i < line.size(); ++i)
                        line[i] = static_cast<char>(line[i] ^ stream[i]);
                    chunk += line;
                }
            }
            if (chunk.size() > (1 << 20)) {
                std::fwrite(chunk.data(), 1, chunk.size(), out.get());
                chunk.clear();
            }
        }
        std::fwrite(chunk.data(), 1, chunk.size(), out.get());
        return folder;
    }();
    return dir;
}
}  // namespace

static void BM_Work_CheckTodayAndAppend(benchmark::State& state) {
    auto dir = TenYearFile();
    // The day after the last one in the file: the whole file is scanned and nothing matches.
    CWorkReport report(bench::BenchRuntime(dir, CLocalTime::FromLocal(2026, 1, 5, 9, 0)));
    for (auto _ : state) {
        report.SetStamp("社員42");
        benchmark::DoNotOptimize(report.CheckToday());
        report.AppendRecord(1);
    }
    state.counters["records"] =
        static_cast<double>(std::filesystem::file_size(dir / "KINTAI.dat") / 51);
}
BENCHMARK(BM_Work_CheckTodayAndAppend)->Unit(benchmark::kMillisecond)->Iterations(20);

static void BM_Work_LoadTable(benchmark::State& state) {
    CWorkReport report(bench::BenchRuntime(TenYearFile()));
    WorkRecordTable table;
    for (auto _ : state) {
        report.LoadTable(table);
        benchmark::DoNotOptimize(table.Size());
    }
}
BENCHMARK(BM_Work_LoadTable)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_Work_ExportOnePeriod(benchmark::State& state) {
    auto dir = TenYearFile();
    CWorkReport report(bench::BenchRuntime(dir));
    report.SetExportYear(2020);
    report.SetExportMonth(6);
    report.SetExportClosing(3);
    report.SetExportPath((dir / "export.csv").string());
    for (auto _ : state) benchmark::DoNotOptimize(report.Export());
}
BENCHMARK(BM_Work_ExportOnePeriod)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_Work_ListToday(benchmark::State& state) {
    auto dir = TenYearFile();
    CWorkReport report(bench::BenchRuntime(dir, CLocalTime::FromLocal(2025, 12, 26, 12, 0)));
    std::vector<std::string> lines;
    for (auto _ : state) report.ListToday(lines);
}
BENCHMARK(BM_Work_ListToday)->Unit(benchmark::kMillisecond)->Iterations(5);

// The record edit screen: choosing an employee and a month fills the grid from one month of one
// person read out of the ten-year file.
static void BM_Work_LoadMonthForTheGrid(benchmark::State& state) {
    CWorkReport report(bench::BenchRuntime(TenYearFile()));
    CMonthSheet sheet;
    for (auto _ : state) benchmark::DoNotOptimize(sheet.Load(report, "社員42", 2020, 6));
}
BENCHMARK(BM_Work_LoadMonthForTheGrid)->Unit(benchmark::kMillisecond)->Iterations(5);

// Saving a corrected month: the file read again under the lock, the days replaced, the file
// rewritten (and fsynced) in one step.
static void BM_Work_SaveMonth(benchmark::State& state) {
    CWorkReport report(bench::BenchRuntime(TenYearFile()));
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
BENCHMARK(BM_Work_SaveMonth)->Unit(benchmark::kMillisecond)->Iterations(3);

// stampwell-cli report: days and hours of all 100 employees for one pay period.
static void BM_Work_ReportOnePeriod(benchmark::State& state) {
    CWorkReport report(bench::BenchRuntime(TenYearFile()));
    std::map<std::string, CWorkSummary::Totals> totals;
    for (auto _ : state) {
        CWorkSummary::ForPeriod(report, 2020, 6, 3, "", totals);
        benchmark::DoNotOptimize(totals.size());
    }
}
BENCHMARK(BM_Work_ReportOnePeriod)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace stampwell
