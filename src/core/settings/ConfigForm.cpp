#include "settings/ConfigForm.h"

#include "platform/IMessageSink.h"
#include "settings/EnvironmentSettings.h"

namespace stampwell {

std::optional<int> CConfigForm::ParseHour(const std::string& text, int maxHour) {
    if (text.empty()) return 0;
    if (text.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > maxHour) return std::nullopt;
    return value;
}

std::string CConfigForm::FixHourText(const std::string& text, int maxHour) {
    return ParseHour(text, maxHour) ? text : std::string("0");
}

CConfigForm::Values CConfigForm::Read(const CEnvironmentSettings& settings) {
    return Values{settings.GetDayChangeHour(), settings.GetSwitchHour(),
                  settings.GetIdFilePath(),    settings.GetWorkFilePath(),
                  settings.GetBackupPath(),    settings.IsBackupChecked()};
}

bool CConfigForm::Apply(CEnvironmentSettings& settings, const Values& values,
                        IMessageSink& messages) {
    // A copy is saved first: the running program never uses values the file does not hold.
    CEnvironmentSettings candidate = settings;
    candidate.SetDayChangeHour(values.dayChangeHour);
    candidate.SetSwitchHour(values.switchHour);
    candidate.SetIdFilePath(values.idFilePath);
    candidate.SetWorkFilePath(values.workFilePath);
    candidate.SetBackupPath(values.backupPath);
    candidate.SetBackupChecked(values.backupChecked);
    if (!candidate.SaveSettings()) {
        messages.ShowMessage("設定を保存できませんでした。\n保存先を確認してください。",
                             EMessageIcon::None);
        return false;
    }
    settings = candidate;
    return true;
}

}  // namespace stampwell
