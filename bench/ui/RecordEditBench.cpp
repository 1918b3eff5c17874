#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QPixmap>
#include <QSpinBox>

#include "WorkFiles.h"
#include "admin_ui/ReportEditDialog.h"
#include "controller/RecorderController.h"
#include "folderstore/FolderPeopleStore.h"
#include "people/RegisterFile.h"
#include "platform/IPrompt.h"
#include "platform/ManualClock.h"
#include "platform/StderrMessageSink.h"

namespace stampwell {

namespace {
class CQuietPrompt : public IPrompt {
public:
    void ShowMessage(std::string_view, EMessageIcon) override {}
    int AskQuestion(std::string_view, EAnswer) override { return kYes; }
    bool AskYesNo(std::string_view) override { return true; }
    void MovePointerToOrigin() override {}
};
}  // namespace

// The record edit screen on ten and twenty years of records: another month chosen, the month
// read out of the whole file, the grid and its totals shown and painted.
static void BM_RecordEdit_ChooseMonth(benchmark::State& state) {
    const int years = static_cast<int>(state.range(0));
    CRuntime runtime(bench::CWorkFiles::Folder(years),
                     std::make_shared<CManualClock>(bench::CWorkFiles::Today()),
                     std::make_shared<CStderrMessageSink>());
    CQuietPrompt prompt;
    CFolderPeopleStore reg{CRegisterFile(runtime)};
    CRecorderController controller(runtime, prompt);
    controller.CreateSettingsObjects();
    controller.AttachRegister(&reg);
    CReportEditDialog dialog(controller, nullptr);
    dialog.Prepare();
    dialog.Year().setValue(2020);
    dialog.show();
    int month = 0;
    for (auto _ : state) {
        dialog.Month().setCurrentIndex(month++ % 12);
        benchmark::DoNotOptimize(dialog.grab().size());
    }
}
BENCHMARK(BM_RecordEdit_ChooseMonth)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(12)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

}  // namespace stampwell
