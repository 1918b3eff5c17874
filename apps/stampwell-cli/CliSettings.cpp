#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>

#include "CliContext.h"
#include "settings/ChimeSettings.h"
#include "settings/ConfigForm.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"

namespace stampwell::cli {

namespace {

std::string FormatChime(std::int64_t seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60));
    return text;
}

int ShowSettings(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    CRuntime runtime = MakeRuntime(options);
    auto settings = CreateConfig(runtime);
    auto chime = CreateChimeSettings(runtime);
    int mode = CModeFiles::ReadMode(runtime.DataDir());
    std::cout << "data folder: " << runtime.DataDir().string() << '\n'
              << "day-change hour (日付更新時刻): " << settings->GetDayChangeHour() << '\n'
              << "switch hour (出退社切換え時刻): " << settings->GetSwitchHour() << '\n'
              << "register file (ＩＤファイルパス): " << settings->GetIdFilePath() << '\n'
              << "work file (勤務ファイルパス): " << settings->GetWorkFilePath() << '\n'
              << "backup file (バックアップパス): " << settings->GetBackupPath() << '\n'
              << "backup: " << (settings->IsBackupChecked() ? "on" : "off") << '\n'
              << "mode: " << mode
              << (mode == kRoomMode ? " (room: 入室/退室)" : " (attendance: 出社/退社)") << '\n'
              << "question timeout: " << CModeFiles::ReadTimerMilliseconds(runtime.DataDir()) / 1000
              << " s\n"
              << "chime: " << (chime->IsChimeEnabled() ? "on" : "off");
    auto times = chime->GetChimeTimes();
    for (std::size_t i = 0; i < times.size(); ++i) {
        std::cout << (i == 0 ? " " : ", ") << FormatChime(times[i]);
    }
    std::cout << '\n';
    return kOk;
}

struct SetArgs {
    std::optional<std::string> dayChange, switchHour, registerPath, workPath, backupPath;
    bool backupOn = false, backupOff = false;
};

int SetSettings(const CliOptions& options, const SetArgs& args) {
    CRuntime runtime = MakeRuntime(options);
    auto settings = CreateConfig(runtime);
    const auto shown = CConfigForm::Read(*settings);
    auto values = shown;
    if (args.dayChange) {
        auto hour = CConfigForm::ParseHour(*args.dayChange, CConfigForm::kMaxDayChangeHour);
        if (!hour) {
            return Refuse("日付更新時刻は0～12の数で指定してください。");
        }
        values.dayChangeHour = *hour;
    }
    if (args.switchHour) {
        auto hour = CConfigForm::ParseHour(*args.switchHour, CConfigForm::kMaxSwitchHour);
        if (!hour) {
            return Refuse("出退社切換え時刻は0～23の数で指定してください。");
        }
        values.switchHour = *hour;
    }
    if (args.registerPath) values.idFilePath = *args.registerPath;
    if (args.workPath) values.workFilePath = *args.workPath;
    if (args.backupPath) values.backupPath = *args.backupPath;
    if (args.backupOn) values.backupChecked = true;
    if (args.backupOff) values.backupChecked = false;
    // The same object and checks as the settings screen: nothing changes unless it is saved.
    if (!CConfigForm::Apply(*settings, shown, values, runtime.Messages())) return kRefused;
    std::cout << "設定を保存しました: " << settings->FilePath().string() << '\n';
    return kOk;
}

}  // namespace

void AddSettingsCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto* settings = app.add_subcommand("settings", "show or change the settings (Setting.txt)");
    settings->require_subcommand(1);
    auto* show = settings->add_subcommand("show", "print the effective settings");
    show->callback([&options, &action] { action = [&options] { return ShowSettings(options); }; });

    auto args = std::make_shared<SetArgs>();
    auto* set = settings->add_subcommand("set", "change Setting.txt as the settings screen does");
    set->add_option("--day-change", args->dayChange, "day-change hour, 0 to 12");
    set->add_option("--switch", args->switchHour, "clock-in/clock-out switch hour, 0 to 23");
    set->add_option("--register", args->registerPath, "path of Register.txt");
    set->add_option("--work", args->workPath, "path of the work file");
    set->add_option("--backup", args->backupPath, "path of the work file's backup");
    auto* on = set->add_flag("--backup-on", args->backupOn, "switch the backup on");
    set->add_flag("--backup-off", args->backupOff, "switch the backup off")->excludes(on);
    set->callback([&, args] { action = [&options, args] { return SetSettings(options, *args); }; });
}

}  // namespace stampwell::cli
