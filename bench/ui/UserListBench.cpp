#include <benchmark/benchmark.h>

#include <QListWidget>
#include <QPixmap>
#include <cstdio>

#include "BenchSupport.h"
#include "controller/RecorderController.h"
#include "folderstore/FolderPeopleStore.h"
#include "people/RegisterFile.h"
#include "people/UserInfoDialog.h"
#include "personnel/UserListForm.h"
#include "platform/FileSystem.h"
#include "platform/IPrompt.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr int kPeople = 10000;

class CSilentPrompt : public IPrompt {
public:
    void ShowMessage(std::string_view, EMessageIcon) override {}
    int AskQuestion(std::string_view, EAnswer) override { return kYes; }
    bool AskYesNo(std::string_view) override { return true; }
    void MovePointerToOrigin() override {}
};

// A register of 10,000 employees, as a big office's.
struct Office {
    Office() : runtime(bench::BenchRuntime(bench::BenchDir("users"))), reg(CRegisterFile(runtime)) {
        std::string content =
            "#CardAndNameRegisterFile_V1\r\n#CardID,PersonalName,ReceiveMailName,"
            "ReceiveMailAddress\r\n";
        for (int i = 0; i < kPeople; ++i) {
            char card[17];
            std::snprintf(card, sizeof card, "%016X", i * 7919 + 1);
            content += std::string(card) + ",社員" + std::to_string(kPeople - i) +
                       ",上司,boss@example.com\r\n";
        }
        CFileSystem::WriteWholeFile(runtime.DataFile("Register.txt"), "tmp",
                                    *CTextCodec::ToCp932(content));
        controller = std::make_unique<CRecorderController>(runtime, prompt);
        controller->AttachRegister(&reg);
    }
    CRuntime runtime;
    CFolderPeopleStore reg;
    CSilentPrompt prompt;
    std::unique_ptr<CRecorderController> controller;
};

Office& TheOffice() {
    static Office office;
    return office;
}
}  // namespace

// The core's part: every name in one pass of the file, sorted.
static void BM_UserList_CoreNames(benchmark::State& state) {
    Office& office = TheOffice();
    CUserListForm list(office.reg, office.prompt);
    for (auto _ : state) benchmark::DoNotOptimize(list.Names());
}
BENCHMARK(BM_UserList_CoreNames)->Unit(benchmark::kMillisecond);

// What opening ユーザー情報 costs: the dialog built, its list filled, shown and painted.
static void BM_UserList_OpenDialog(benchmark::State& state) {
    Office& office = TheOffice();
    for (auto _ : state) {
        CUserInfoDialog dialog(*office.controller, nullptr);
        dialog.Prepare();
        dialog.show();
        benchmark::DoNotOptimize(dialog.grab().size());  // paints every visible row
        benchmark::DoNotOptimize(dialog.List().count());
    }
}
BENCHMARK(BM_UserList_OpenDialog)->Unit(benchmark::kMillisecond);

}  // namespace stampwell
