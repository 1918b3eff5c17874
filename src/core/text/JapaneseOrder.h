#pragma once

#include <string>
#include <vector>

namespace stampwell {

// The order in which people are listed: the order of their names' CP932 codes. That is JIS
// order: Latin letters first, then kana in 五十音 order (hiragana before katakana), then kanji,
// the common ones by their on-reading (阿部, 伊藤, 佐藤, 新人, 中村, 中島). Every stored name
// has a CP932 form; a text without one sorts after all others, by its UTF-8 bytes.
class CJapaneseOrder {
public:
    static bool Less(const std::string& a, const std::string& b);
    // Sorts UTF-8 names in that order (each converted once).
    static void Sort(std::vector<std::string>& names);
};

}  // namespace stampwell
