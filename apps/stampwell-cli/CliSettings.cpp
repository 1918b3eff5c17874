#include <cstdio>
#include <iostream>

#include "CliContext.h"
#include "settings/ChimeSettings.h"
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

}  // namespace

void AddSettingsCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto* settings = app.add_subcommand("settings", "show the settings");
    settings->require_subcommand(1);
    auto* show = settings->add_subcommand("show", "print the effective settings");
    show->callback([&options, &action] { action = [&options] { return ShowSettings(options); }; });
}

}  // namespace stampwell::cli
