#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/WorkRules.h"

namespace stampwell {

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
        std::string specialClause;   // あり or なし
        std::string rounding;        // 30分 or しない
    };

    static Texts TextsOf(const CWorkRules& rules);
    // The texts over base; nothing after the message about the first text that does not read or
    // rules that cannot be used together. An empty text keeps base's value (windows: none).
    static std::optional<CWorkRules> Read(const Texts& texts, const CWorkRules& base,
                                          IMessageSink& messages);
    // Over the rules as stored now, only the rules that differ between shown (what the screen
    // or command started from) and typed change, with those named (the keys the command was
    // given); every other stored line stays as it is, one whose value did not read included.
    // Why the result cannot be used, or nothing.
    static std::optional<std::string> Merge(CWorkRules& stored, const CWorkRules& shown,
                                            const CWorkRules& typed,
                                            const std::vector<std::string>& named = {});
};

}  // namespace stampwell
