#pragma once

#include <optional>
#include <string>
#include <vector>

#include "folderstore/NewPlaceCopy.h"

namespace stampwell {

class CEnvironmentSettings;
class IMessageSink;
class IPrompt;

// What the environment settings screen and `settings set` decide: the hour rules (a value out of
// range is refused with a message naming the range, never turned into 0), the paths that may be
// chosen, and that new values reach the running program only once Setting.txt holds them.
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

    // An hour field's text as a number from 0 to maxHour; nothing when it is empty, out of range,
    // too long or not a number.
    static std::optional<int> ParseHour(const std::string& text, int maxHour);
    // The typed hours into values; false after the message that names the range of the first
    // one that is not an hour of its range.
    static bool ReadHours(const std::string& dayChange, const std::string& switchHour,
                          Values& values, IMessageSink& messages);
    static std::string HourRangeMessage(bool dayChange);

    static Values Read(const CEnvironmentSettings& settings);
    // A chosen path with the file kind's extension added when the typed name has none
    // ("KINTAI" becomes "KINTAI.dat").
    static std::string WithExtension(const std::string& path, const std::string& extension);
    // Under the lock of Setting.txt: the file is read again and only the values that differ from
    // shown (what the screen or command started from) change, so a change made meanwhile by
    // another program stays. The paths are checked (none empty, a folder, or another of
    // Stampwell's files; the three different); then the file is saved and only then are the
    // values given to settings. A refusal or a file that cannot be written: a message, settings
    // unchanged, false.
    // With carry, the register and the work file in use are first copied to a new place that
    // holds no such file yet (see CNewPlaceCopy); a copy that fails saves nothing.
    static bool Apply(CEnvironmentSettings& settings, const Values& shown, const Values& values,
                      IMessageSink& messages, bool carry = false);
    // The settings screen's OK: when a new place holds no file yet, asks whether the files in
    // use go with it (unanswered: no); when they do not, says that the new place starts empty.
    static bool ApplyAsking(CEnvironmentSettings& settings, const Values& shown,
                            const Values& values, IPrompt& prompt);
    // The copies Apply would offer for these values.
    static std::vector<CNewPlaceCopy::Item> FilesToCarry(const Values& shown, const Values& values);
};

}  // namespace stampwell
