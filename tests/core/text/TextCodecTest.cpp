#include <gtest/gtest.h>

#include "text/JapaneseOrder.h"
#include "text/TextCodec.h"

namespace stampwell {

TEST(TextCodec, RoundTripsJapaneseThroughCp932) {
    auto bytes = CTextCodec::ToCp932("出社 ABC");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "\x8F\x6F\x8E\xD0 ABC");
    EXPECT_EQ(CTextCodec::FromCp932(*bytes), "出社 ABC");
    EXPECT_EQ(CTextCodec::Cp932Length("出社 ABC"), 8u);
}

TEST(TextCodec, RefusesTextWithoutCp932Form) {
    EXPECT_FALSE(CTextCodec::ToCp932("emoji \xF0\x9F\x98\x80"));
    EXPECT_FALSE(CTextCodec::Cp932Length("\xE4\xB8"));  // broken UTF-8
    EXPECT_FALSE(CTextCodec::ToCp932("한국"));
}

TEST(TextCodec, DamagedCp932BecomesReplacementCharacters) {
    std::string decoded = CTextCodec::FromCp932(std::string("A\x81", 2));
    EXPECT_EQ(decoded.substr(0, 1), "A");
    EXPECT_NE(decoded.find("\xEF\xBF\xBD"), std::string::npos);
}

TEST(TextCodec, CutNeverSplitsADoubleByteCharacter) {
    std::string bytes = *CTextCodec::ToCp932("aあいう");  // 1 + 2 + 2 + 2 bytes
    EXPECT_EQ(CTextCodec::CutCp932(bytes, 4), bytes.substr(0, 3));
    EXPECT_EQ(CTextCodec::CutCp932(bytes, 5), bytes.substr(0, 5));
    EXPECT_EQ(CTextCodec::CutCp932(bytes, 100), bytes);
    EXPECT_EQ(CTextCodec::PadCp932(bytes.substr(0, 3), 6), bytes.substr(0, 3) + "   ");
}

}  // namespace stampwell

namespace stampwell {

TEST(JapaneseOrder, KanjiByTheirJisOrderAfterKanaAfterLatin) {
    std::vector<std::string> names = {"中島",   "新人",   "阿部", "中村", "伊藤", "佐藤",
                                      "やまだ", "ヤマダ", "あべ", "Zoe",  "Abe",  "ｱﾍﾞ"};
    CJapaneseOrder::Sort(names);
    // One reading together, whatever the script: あべ, ｱﾍﾞ before やまだ, ヤマダ.
    EXPECT_EQ(names, (std::vector<std::string>{"Abe", "Zoe", "あべ", "ｱﾍﾞ", "やまだ", "ヤマダ",
                                               "阿部", "伊藤", "佐藤", "新人", "中村", "中島"}));
    EXPECT_TRUE(CJapaneseOrder::Less("中村", "中島"));  // 村 before 島, as read
    EXPECT_FALSE(CJapaneseOrder::Less("中島", "中島"));
    EXPECT_TRUE(CJapaneseOrder::Less("ｶﾞｯｺｳ", "キ"));  // ガッコウ
    EXPECT_TRUE(CJapaneseOrder::Less("ﾊﾟﾝ", "ヒ"));    // パン
    // The same letter in two widths: width decides only when nothing else does.
    EXPECT_TRUE(CJapaneseOrder::Less("ﾂﾞｶ", "ヅキ"));
    EXPECT_TRUE(CJapaneseOrder::Less("ヅカ", "ﾂﾞｷ"));
    // A name with no CP932 form (none can be stored) sorts after every other.
    EXPECT_TRUE(CJapaneseOrder::Less("中島", "\xF0\x9F\x98\x80"));
}

TEST(JapaneseOrder, CaseAndWidthDoNotSplitLatinNames) {
    std::vector<std::string> names = {"Zed", "abe", "ｚｅｄ", "Abe", "ＡＢＥ", "zed", "Abel"};
    CJapaneseOrder::Sort(names);
    // Every spelling of abe before every spelling of zed; Abel after all of them.
    ASSERT_EQ(names.size(), 7u);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(names[i] == "abe" || names[i] == "Abe" || names[i] == "ＡＢＥ") << names[i];
    EXPECT_EQ(names[3], "Abel");
    for (int i = 4; i < 7; ++i)
        EXPECT_TRUE(names[i] == "zed" || names[i] == "Zed" || names[i] == "ｚｅｄ") << names[i];
    // A fixed order among spellings: the input order does not change the output.
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    CJapaneseOrder::Sort(reversed);
    EXPECT_EQ(reversed, names);
}

}  // namespace stampwell
