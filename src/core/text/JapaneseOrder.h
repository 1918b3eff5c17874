#pragma once

#include <memory>
#include <string>
#include <vector>

struct UCollator;

namespace stampwell {

// The order in which people are listed everywhere: ICU's Japanese collation. Digits, then
// Latin letters with case and width set aside (abe, Abe, ＡＢＥ together), then kana in
// 五十音 order (hiragana, katakana and half-width katakana of one reading together), then
// kanji in JIS order (the common ones by their on-reading: 阿部, 伊藤, 佐藤, 中村, 中島).
// Names that differ only in case, width or script keep one fixed order among themselves.
// A text without a CP932 form cannot be stored; it sorts after all others.
class CJapaneseOrder {
public:
    CJapaneseOrder();
    ~CJapaneseOrder();
    CJapaneseOrder(const CJapaneseOrder&) = delete;
    CJapaneseOrder& operator=(const CJapaneseOrder&) = delete;

    // A byte string whose plain comparison gives the order.
    std::string SortKey(const std::string& name) const;

    static bool Less(const std::string& a, const std::string& b);
    // Sorts UTF-8 names in that order (each keyed once).
    static void Sort(std::vector<std::string>& names);

private:
    struct CloseCollator {
        void operator()(UCollator* collator) const;
    };
    std::unique_ptr<UCollator, CloseCollator> m_collator;
};

}  // namespace stampwell
