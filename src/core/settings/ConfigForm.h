#pragma once

#include <optional>
#include <string>

namespace stampwell {

class CEnvironmentSettings;
class IMessageSink;

// What the environment settings screen and `settings set` decide: the hour rules, and that new
// values reach the running program only once Setting.txt holds them.
class CConfigForm {
public:
    static constexpr int kMaxDayChangeHour = 12;
    static constexpr int kMaxSwitchHour = 23;

    struct Values {
        int dayChangeHour = 0;
        int switchHour = 14;
        std::string idFilePath, workFilePath, backupPath;
        bool backupChecked = false;
    };

    // An hour field's text as a number from 0 to maxHour; nothing when it is out of range, too
    // long or not a number. An empty field is 0.
    static std::optional<int> ParseHour(const std::string& text, int maxHour);
    // The rule of leaving an hour field: a value out of range (or too many digits) shows "0".
    static std::string FixHourText(const std::string& text, int maxHour);

    static Values Read(const CEnvironmentSettings& settings);
    // Saves the values to Setting.txt, then gives them to settings. When the file cannot be
    // written: the message "設定を保存できませんでした。\n保存先を確認してください。", settings
    // unchanged, false.
    static bool Apply(CEnvironmentSettings& settings, const Values& values, IMessageSink& messages);
};

}  // namespace stampwell
