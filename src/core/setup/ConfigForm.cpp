#include "setup/ConfigForm.h"

#include <filesystem>

#include "diagnostics/SharedLock.h"
#include "platform/IMessageSink.h"
#include "platform/IPrompt.h"
#include "settings/EnvironmentSettings.h"
#include "settings/StoredFiles.h"

namespace stampwell {

std::optional<int> CConfigForm::ParseHour(const std::string& text, int maxHour) {
    // An emptied field is no hour: taken for 0, it would turn every morning tap into a clock-out.
    if (text.empty() || text.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > maxHour) return std::nullopt;
    return value;
}

std::string CConfigForm::HourRangeMessage(bool dayChange) {
    return dayChange ? "日付更新時刻は0～12の範囲で入力してください。"
                     : "出退社切換え時刻は0～23の範囲で入力してください。";
}

bool CConfigForm::ReadHours(const std::string& dayChange, const std::string& switchHour,
                            Values& values, IMessageSink& messages) {
    auto day = ParseHour(dayChange, kMaxDayChangeHour);
    if (!day) {
        messages.ShowMessage(HourRangeMessage(true), EMessageIcon::None);
        return false;
    }
    auto change = ParseHour(switchHour, kMaxSwitchHour);
    if (!change) {
        messages.ShowMessage(HourRangeMessage(false), EMessageIcon::None);
        return false;
    }
    values.dayChangeHour = *day;
    values.switchHour = *change;
    return true;
}

std::string CConfigForm::WithExtension(const std::string& path, const std::string& extension) {
    const std::filesystem::path chosen(path);
    if (path.empty() || chosen.filename().empty() || chosen.has_extension()) return path;
    return path + "." + extension;
}

CConfigForm::Values CConfigForm::Read(const CEnvironmentSettings& settings) {
    return Values{settings.GetDayChangeHour(), settings.GetSwitchHour(),
                  settings.GetIdFilePath(),    settings.GetWorkFilePath(),
                  settings.GetBackupPath(),    settings.IsBackupChecked()};
}

bool CConfigForm::ApplyAsking(CEnvironmentSettings& settings, const Values& shown,
                              const Values& values, IPrompt& prompt) {
    const auto toCarry = FilesToCarry(shown, values);
    bool carry = false;
    if (!toCarry.empty()) {
        // Whether every employee and record comes along is never decided by a timer.
        carry = prompt.AskQuestion(CNewPlaceCopy::Question(toCarry), IPrompt::kNoAnswer) ==
                IPrompt::kYes;
    }
    const auto behind = CNewPlaceCopy::LeftBehind(shown.idFilePath, values.idFilePath,
                                                  shown.workFilePath, values.workFilePath);
    if (!Apply(settings, shown, values, prompt, carry)) return false;
    if (!toCarry.empty() && !carry) {
        prompt.ShowMessage(CNewPlaceCopy::EmptyNotice(toCarry), EMessageIcon::None);
    }
    if (!behind.empty()) {
        prompt.ShowMessage(CNewPlaceCopy::LeftBehindNotice(behind), EMessageIcon::None);
    }
    return true;
}

std::vector<CNewPlaceCopy::Item> CConfigForm::FilesToCarry(const Values& shown,
                                                           const Values& values) {
    return CNewPlaceCopy::Find(shown.idFilePath, values.idFilePath, shown.workFilePath,
                               values.workFilePath);
}

bool CConfigForm::Apply(CEnvironmentSettings& settings, const Values& shown, const Values& values,
                        IMessageSink& messages, bool carry) {
    CFileLock lock = settings.Lock();
    if (!lock.AllowsChange()) {
        messages.ShowMessage(
            lock.State() == CFileLock::EState::kTimedOut
                ? "他の端末が設定を変更中のため、保存できませんでした。\nしばらくしてからもう一度"
                  "お試しください。"
                : CSharedLock::Message(lock.State(), lock.Path()),
            EMessageIcon::None);
        return false;
    }
    // The file as it is now; then this program's changes over it.
    CEnvironmentSettings candidate = settings;
    candidate.LoadSettings();
    if (values.dayChangeHour != shown.dayChangeHour) {
        candidate.SetDayChangeHour(values.dayChangeHour);
    }
    if (values.switchHour != shown.switchHour) candidate.SetSwitchHour(values.switchHour);
    if (values.idFilePath != shown.idFilePath) candidate.SetIdFilePath(values.idFilePath);
    if (values.workFilePath != shown.workFilePath) candidate.SetWorkFilePath(values.workFilePath);
    if (values.backupPath != shown.backupPath) candidate.SetBackupPath(values.backupPath);
    if (values.backupChecked != shown.backupChecked) {
        candidate.SetBackupChecked(values.backupChecked);
    }
    // The role the administrator changed is the one a clash is blamed on.
    std::optional<CStoredFiles::ERole> changed;
    if (values.backupPath != shown.backupPath) changed = CStoredFiles::ERole::kBackup;
    if (values.workFilePath != shown.workFilePath) changed = CStoredFiles::ERole::kWork;
    if (values.idFilePath != shown.idFilePath) changed = CStoredFiles::ERole::kRegister;
    const std::string refused =
        CStoredFiles(settings.Runtime().DataDir(), candidate.GetWorkFilePath(),
                     candidate.GetIdFilePath(), candidate.GetBackupPath())
            .CheckSettingsPaths(changed);
    if (!refused.empty()) {
        messages.ShowMessage(refused, EMessageIcon::None);
        return false;
    }
    // Before the new places are saved: no clock may start a new file there first.
    if (carry && !CNewPlaceCopy::Copy(settings.Runtime(), FilesToCarry(shown, values), messages)) {
        return false;
    }
    if (!candidate.SaveSettings()) {
        messages.ShowMessage("設定を保存できませんでした。\n保存先を確認してください。",
                             EMessageIcon::None);
        return false;
    }
    settings = candidate;
    return true;
}

}  // namespace stampwell
