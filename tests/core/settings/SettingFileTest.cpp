#include <gtest/gtest.h>

#include <array>

#include "settings/SettingFile.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CRecordingMessageSink;
using test::CTempDir;
using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

TEST(SettingFile, WritesTheLineFormatInCp932WithCrLf) {
    CTempDir dir;
    CRecordingMessageSink sink;
    CSettingFile file(&sink);
    ASSERT_EQ(file.OpenWrite(dir / "s.txt"), 1);
    EXPECT_EQ(file.WriteInts("日付更新時刻", std::array<std::int32_t, 1>{5}), 1);
    EXPECT_EQ(file.WriteStrings("N", std::array<std::string, 3>{"a", "", "b"}), 1);
    EXPECT_EQ(file.WriteFloats("F", std::array<float, 2>{1.5f, -2.0f}), 1);
    ASSERT_EQ(file.Close(), 1);
    EXPECT_EQ(ReadBytes(dir / "s.txt"),
              Sjis("日付更新時刻,5\r\nN,a,,b\r\nF,1.500000e+000,-2.000000e+000\r\n"));
}

TEST(SettingFile, RefusesFieldsTheFormatCannotHoldAndKeepsTheOldFile) {
    CTempDir dir;
    WriteBytes(dir / "s.txt", "old\r\n");
    CSettingFile file(nullptr);
    for (const std::string& bad : {std::string("a,b"), std::string("a\nb"), std::string(256, 'x'),
                                   std::string("\xF0\x9F\x98\x80")}) {
        ASSERT_EQ(file.OpenWrite(dir / "s.txt"), 1);
        EXPECT_EQ(file.WriteStrings("N", std::array<std::string, 1>{bad}), 0);
        EXPECT_EQ(file.Close(), 0);
        EXPECT_EQ(ReadBytes(dir / "s.txt"), "old\r\n");
    }
    ASSERT_EQ(file.OpenWrite(dir / "s.txt"), 1);
    EXPECT_EQ(file.WriteInts("bad,name", std::array<std::int32_t, 1>{1}), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadBytes(dir / "s.txt"), "old\r\n");
    EXPECT_EQ(test::FilesIn(dir.Path()), std::vector<std::string>{"s.txt"});
}

TEST(SettingFile, ReadsCrLfAndLfAloneAndSkipsBlankLines) {
    CTempDir dir;
    WriteBytes(dir / "s.txt", Sjis("A,1,2\r\n\r\n  B,x,,y\nC,3.5"));
    CSettingFile file(nullptr);
    ASSERT_EQ(file.OpenRead(dir / "s.txt"), 1);
    std::array<std::int32_t, 2> ints{};
    std::array<std::string, 3> texts;
    std::array<float, 1> floats{};
    EXPECT_EQ(file.ReadInts("A", ints), 1);
    EXPECT_EQ(file.ReadStrings("B", texts), 1);
    EXPECT_EQ(file.ReadFloats("C", floats), 1);
    file.Close();
    EXPECT_EQ(ints, (std::array<std::int32_t, 2>{1, 2}));
    EXPECT_EQ(texts, (std::array<std::string, 3>{"x", "", "y"}));
    EXPECT_FLOAT_EQ(floats[0], 3.5f);
}

TEST(SettingFile, FewerValuesAndNonNumbersKeepOrEmptyTheirElements) {
    CTempDir dir;
    WriteBytes(dir / "s.txt", "A,7\r\nB,only\r\n");
    CSettingFile file(nullptr);
    ASSERT_EQ(file.OpenRead(dir / "s.txt"), 1);
    std::array<std::int32_t, 3> ints{-1, -2, -3};
    std::array<std::string, 2> texts{"keep", "keep"};
    file.ReadInts("A", ints);
    file.ReadStrings("B", texts);
    EXPECT_EQ(ints, (std::array<std::int32_t, 3>{7, -2, -3}));
    EXPECT_EQ(texts, (std::array<std::string, 2>{"only", ""}));
}

TEST(SettingFile, AWrongNameCascadesThroughTheRestOfTheFile) {
    CTempDir dir;
    WriteBytes(dir / "s.txt", "A,1\r\nWRONG,2\r\nC,3\r\n");
    CRecordingMessageSink sink;
    CSettingFile file(&sink);
    ASSERT_EQ(file.OpenRead(dir / "s.txt"), 1);
    std::array<std::int32_t, 1> a{0}, b{0}, c{0};
    EXPECT_EQ(file.ReadInts("A", a), 1);
    EXPECT_EQ(file.ReadInts("B", b), 0);
    EXPECT_EQ(file.ReadInts("C", c), 0);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(c[0], 0);
    EXPECT_EQ(sink.messages, (std::vector<std::string>{"ファイルの項目名が異なります。B",
                                                       "ファイルの項目名が異なります。C"}));
}

TEST(SettingFile, AnOverlongFieldIsCutAt255BytesWithoutLosingTheLine) {
    CTempDir dir;
    WriteBytes(dir / "s.txt", "A," + std::string(300, 'v') + ",next\r\nB,1\r\n");
    CSettingFile file(nullptr);
    ASSERT_EQ(file.OpenRead(dir / "s.txt"), 1);
    std::array<std::string, 2> texts;
    std::array<std::int32_t, 1> b{0};
    EXPECT_EQ(file.ReadStrings("A", texts), 1);
    EXPECT_EQ(file.ReadInts("B", b), 1);
    EXPECT_EQ(texts[0], std::string(255, 'v'));
    EXPECT_EQ(texts[1], "next");
    EXPECT_EQ(b[0], 1);
}

TEST(SettingFile, TwoPartNamesJoinTheirFirstTwoFields) {
    CTempDir dir;
    WriteBytes(dir / "s.txt", "P,Q,1.25e+000\r\n");
    CSettingFile file(nullptr);
    ASSERT_EQ(file.OpenRead(dir / "s.txt"), 1);
    std::array<float, 1> v{0};
    EXPECT_EQ(file.ReadFloatsTwoPartName("P,Q", v), 1);
    EXPECT_FLOAT_EQ(v[0], 1.25f);
}

}  // namespace stampwell
