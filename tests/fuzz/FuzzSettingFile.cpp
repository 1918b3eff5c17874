// The settings line store and the settings files built on it.
#include <array>
#include <cstdlib>

#include "FuzzSupport.h"
#include "settings/ChimeSettings.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ExportSettings.h"
#include "settings/ModeFiles.h"
#include "settings/SettingFile.h"

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
    return 0;
}
