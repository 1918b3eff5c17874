#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/WorkRules.h"

namespace stampwell {

class CRuntime;
class IMessageSink;

// What the work rules screen and `rules set` decide: the typed texts read as rules (a value that
// does not read is refused with a message naming what is expected), and a save that changes only
// what the administrator changed, over the file as it is then.
class CWorkRulesForm {
public:
    // The rules as texts, as the screen and the command line take them.
    struct Texts {
        std::string breaks;          // 法定 or 固定
        std::string windows;         // "12:00-13:00 15:00-15:15"
        std::string weekStart;       // 日 ... 土
        std::string restDay;         // 日 ... 土, or なし
        std::string weekHours;       // 40 or 44
        std::string agreementStart;  // 1 ... 12
    };

    static Texts TextsOf(const CWorkRules& rules);
    // The texts over base; nothing after the message about the first text that does not read or
    // rules that cannot be used together. An empty text keeps base's value (windows: none).
    static std::optional<CWorkRules> Read(const Texts& texts, const CWorkRules& base,
                                          IMessageSink& messages);
    // Under "WorkRules.txt.lock" the file is read again and only the rules that differ between
    // shown (what the screen or command started from) and typed change, with those named (the
    // file's keys the command was given); every other line of the file stays as it is, one
    // whose value did not read included. The result is checked and written. False after a
    // message when another program holds the lock too long, the result cannot be used, or the
    // file cannot be written (it is then unchanged). saved receives what the file holds
    // afterwards.
    static bool Apply(const CRuntime& runtime, const CWorkRules& shown, const CWorkRules& typed,
                      IMessageSink& messages, CWorkRules* saved = nullptr,
                      const std::vector<std::string>& named = {});
};

}  // namespace stampwell
