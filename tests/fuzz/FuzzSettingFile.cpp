// The settings line store and the settings files built on it.
#include <array>
#include <cstdlib>

#include "FuzzSupport.h"
#include "reporting/Payroll.h"
#include "settings/ChimeSettings.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ExportSettings.h"
#include "settings/ModeFiles.h"
#include "settings/SettingFile.h"
#include "settings/WorkRules.h"

using namespace stampwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    fuzz::CSilentSink sink;
    {
        auto path = folder.Put("any.txt", data, size);
        CSettingFile file(&sink);
        if (file.OpenRead(path)) {
            std::array<std::string, 3> strings;
            std::array<std::int32_t, 20> ints{};
            std::array<float, 4> floats{};
            file.ReadStrings("名前", strings);
            file.ReadInts("チャイム", ints);
            file.ReadFloats("値", floats);
            file.ReadFloatsTwoPartName("二つ 名前", floats);
            file.AtEnd();
            file.Close();
        }
    }
    CRuntime runtime = folder.Runtime();
    folder.Put("Setting.txt", data, size);
    auto settings = CreateConfig(runtime);
    settings->LoadSettings();
    // What was read, written and read again is the same.
    if (settings->SaveSettings()) {
        auto again = CreateConfig(runtime);
        if (again->GetDayChangeHour() != settings->GetDayChangeHour() ||
            again->GetSwitchHour() != settings->GetSwitchHour() ||
            again->GetIdFilePath() != settings->GetIdFilePath() ||
            again->GetWorkFilePath() != settings->GetWorkFilePath() ||
            again->GetBackupPath() != settings->GetBackupPath() ||
            again->IsBackupChecked() != settings->IsBackupChecked()) {
            std::abort();
        }
    }
    folder.Put("Setting2.txt", data, size);
    CreateChimeSettings(runtime)->LoadSettings();
    folder.Put("ExportSetting.txt", data, size);
    CExportSettings exportSettings(runtime);
    exportSettings.LoadSettings();
    folder.Put("Timer.txt", data, size);
    (void)CModeFiles::ReadTimerMilliseconds(folder.Path());
    folder.Put("Style.txt", data, size);
    (void)CModeFiles::ReadMode(folder.Path());
    folder.Put("WorkRules.txt", data, size);
    CWorkRules rules;
    if (rules.Load(folder.Path())) {
        // Whatever was read is written and read back unchanged, and every rule holds on the
        // longest days a work file can have.
        CWorkRules again;
        if (rules.Write(folder.Path()) && (!again.Load(folder.Path()) || !(again == rules))) {
            std::abort();
        }
        const auto days = CPayroll::ForDays({{"a", "2011/08/21", "00:00", "35:59"},
                                             {"a", "2011/08/22", "04:59", "29:01"},
                                             {"a", "2011/08/23", "12:00", "12:00"}},
                                            rules, "");
        for (const auto& day : days) {
            if (day.worked < 0 || day.lateNight > day.worked || day.breakMinutes > day.span) {
                std::abort();
            }
        }
    }
    return 0;
}
