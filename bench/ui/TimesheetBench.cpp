#include <benchmark/benchmark.h>

#include <filesystem>

#include "WorkFiles.h"
#include "officestore/OfficeStores.h"
#include "platform/ManualClock.h"
#include "platform/StderrMessageSink.h"
#include "reporting/Timesheet.h"
#include "reporting/TimesheetPainter.h"

namespace stampwell {

// `stampwell-cli timesheet` for the 100 employees of the 10-year file: the month's pages
// collected from the file and drawn into a PDF of 100 pages.
static void BM_Timesheet_100Employees(benchmark::State& state) {
    CRuntime runtime(bench::CWorkFiles::Folder(10),
                     std::make_shared<CManualClock>(bench::CWorkFiles::Today()),
                     std::make_shared<CStderrMessageSink>());
    const auto report = OpenWorkStore(runtime);
    const CWorkRules rules;
    const auto pdf = std::filesystem::temp_directory_path() / "stampwell-bench-timesheet.pdf";
    for (auto _ : state) {
        std::vector<CTimesheet::Page> pages;
        CTimesheet::Collect(*report, 2020, 6, 3, "", rules, nullptr, false, pages);
        CTimesheetPainter::WritePdf(pages, pdf.string(), "2026/12/08 12:00");
        state.counters["pages"] = static_cast<double>(pages.size());
    }
    std::filesystem::remove(pdf);
}
BENCHMARK(BM_Timesheet_100Employees)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace stampwell
