#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>

#include "CliContext.h"
#include "folderstore/NewPlaceCopy.h"
#include "settings/ChimeSettings.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "settings/StoreChoice.h"
#include "setup/ConfigForm.h"
#include "setup/StoreForm.h"

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
    // The labels of the settings screen, so that what is printed can be found there.
    std::cout << "データフォルダ: " << runtime.DataDir().string() << '\n'
              << "日付更新時刻: " << settings->GetDayChangeHour() << '\n'
              << "出退社切換え時刻: " << settings->GetSwitchHour() << '\n'
              << "カード登録者ファイルのパス: " << settings->GetIdFilePath() << '\n'
              << "勤務登録ファイルのパス: " << settings->GetWorkFilePath() << '\n'
              << "バックアップのパス: " << settings->GetBackupPath() << '\n'
              << "バックアップ: " << (settings->IsBackupChecked() ? "する" : "しない") << '\n'
              << "モード: " << mode
              << (mode == kRoomMode ? "（入退室: 入室/退室）" : "（出退勤: 出社/退社）") << '\n'
              << "上書き確認の待ち時間: "
              << CModeFiles::ReadTimerMilliseconds(runtime.DataDir()) / 1000 << "秒\n"
              << "チャイム: " << (chime->IsChimeEnabled() ? "有効" : "無効");
    auto times = chime->GetChimeTimes();
    for (std::size_t i = 0; i < times.size(); ++i) {
        std::cout << (i == 0 ? " " : ", ") << FormatChime(times[i]);
    }
    std::cout << '\n';
    const auto store = CStoreChoice::Read(runtime);
    if (!store) {
        std::cout << "保存先: Store.txt を読めません\n";
    } else if (store->kind == CStoreChoice::EKind::kFolder) {
        std::cout << "保存先: 共有フォルダ (folder)\n";
    } else {
        std::cout << "保存先: データベース (postgresql)\n"
                  << "データベース: " << store->database << '\n'
                  << "拠点: " << store->site << '\n';
    }
    return kOk;
}

struct SetArgs {
    std::optional<std::string> dayChange, switchHour, registerPath, workPath, backupPath;
    std::optional<std::string> store, database, site;
    bool backupOn = false, backupOff = false, copy = false;
};

// The store's part of a settings change; nothing when it was saved or not asked for.
std::optional<int> SetStore(const CRuntime& runtime, const SetArgs& args) {
    if (!args.store && !args.database && !args.site) return std::nullopt;
    CStoreChoice choice = CStoreChoice::Read(runtime).value_or(CStoreChoice{});
    if (args.store) {
        const auto kind = CStoreForm::ParseKind(*args.store);
        if (!kind) return Refuse("--store は folder か postgresql で指定してください。");
        choice.kind = *kind;
    }
    if (args.database) choice.database = *args.database;
    if (args.site) choice.site = *args.site;
    if (choice.kind == CStoreChoice::EKind::kFolder && (args.database || args.site) &&
        !args.store) {
        return Refuse("データベースと拠点は --store postgresql と一緒に指定してください。");
    }
    if (!CStoreForm::Apply(runtime, choice, runtime.Messages())) return kRefused;
    std::cout << "保存先を設定しました: "
              << (choice.kind == CStoreChoice::EKind::kFolder ? "共有フォルダ" : "データベース")
              << '\n';
    return std::nullopt;
}

int SetSettings(const CliOptions& options, const SetArgs& args) {
    CRuntime runtime = MakeRuntime(options);
    if (auto refused = SetStore(runtime, args)) return *refused;
    const bool storeOnly = (args.store || args.database || args.site) && !args.dayChange &&
                           !args.switchHour && !args.registerPath && !args.workPath &&
                           !args.backupPath && !args.backupOn && !args.backupOff;
    if (storeOnly) return kOk;
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
    const auto toCarry = CConfigForm::FilesToCarry(shown, values);
    const auto behind = CNewPlaceCopy::LeftBehind(shown.idFilePath, values.idFilePath,
                                                  shown.workFilePath, values.workFilePath);
    if (!CConfigForm::Apply(*settings, shown, values, runtime.Messages(), args.copy)) {
        return kRefused;
    }
    std::cout << "設定を保存しました: " << settings->FilePath().string() << '\n';
    if (!toCarry.empty() && args.copy) {
        for (const auto& item : toCarry) {
            std::cout << item.label << "をコピーしました: " << item.to.string() << '\n';
        }
    } else if (!toCarry.empty()) {
        std::cout << CNewPlaceCopy::EmptyNotice(toCarry)
                  << "\n今までの登録と記録を使うには、元の場所のファイルを新しい場所にコピーして"
                     "ください（--copy を付けると、設定と同時にコピーします）。\n";
    }
    if (!behind.empty()) std::cout << CNewPlaceCopy::LeftBehindNotice(behind) << '\n';
    return kOk;
}

}  // namespace

void AddSettingsCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto* settings = app.add_subcommand("settings", "環境設定の表示と変更（Setting.txt）");
    settings->require_subcommand(1);
    auto* show = settings->add_subcommand("show", "使われている設定を表示する");
    show->callback([&options, &action] { action = [&options] { return ShowSettings(options); }; });

    auto args = std::make_shared<SetArgs>();
    auto* set =
        settings->add_subcommand("set", "環境設定の画面と同じ決まりで Setting.txt を変える");
    set->add_option("--day-change", args->dayChange, "日付更新時刻（0～12時）")->type_name("時");
    set->add_option("--switch", args->switchHour, "出退社切換え時刻（0～23時）")->type_name("時");
    set->add_option("--register", args->registerPath, "カード登録者ファイルのパス（Register.txt）")
        ->type_name("パス");
    set->add_option("--work", args->workPath, "勤務登録ファイルのパス（KINTAI.dat）")
        ->type_name("パス");
    set->add_option("--backup", args->backupPath, "バックアップのパス")->type_name("パス");
    auto* on = set->add_flag("--backup-on", args->backupOn, "バックアップをする");
    set->add_flag("--backup-off", args->backupOff, "バックアップをしない")->excludes(on);
    set->add_option("--store", args->store,
                    "記録の保存先: folder（共有フォルダ）か postgresql（会社のデータベース）")
        ->type_name("folder|postgresql");
    set->add_option("--database", args->database,
                    "データベースの接続文字列（libpq の形式。パスワードは ~/.pgpass に）")
        ->type_name("接続文字列");
    set->add_option("--site", args->site, "この端末の拠点名")->type_name("名前");
    set->add_flag("--copy", args->copy,
                  "新しいパスにまだファイルがなければ、今のカード登録者ファイル・勤務登録ファイル"
                  "（と EditLog.txt）をそこにコピーする");
    set->callback([&, args] { action = [&options, args] { return SetSettings(options, *args); }; });
}

}  // namespace stampwell::cli
