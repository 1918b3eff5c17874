#include <gtest/gtest.h>

#include <cstring>

#include "people/CipherRecordFile.h"
#include "people/Exchanger.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CTempDir;
using test::ReadBytes;

constexpr const char* kKeystreamHead = "70D69FA7E224D49D";

TEST(Exchanger, IsItsOwnInverseAndStable) {
    std::uint8_t plain[64], cipher[64], back[64];
    for (int i = 0; i < 64; ++i) plain[i] = static_cast<std::uint8_t>(i * 7);
    Exchanger(plain, cipher, 64);
    Exchanger(cipher, back, 64);
    EXPECT_EQ(std::memcmp(plain, back, 64), 0);
    EXPECT_NE(std::memcmp(plain, cipher, 64), 0);
    // Pinned so that a rebuild can never silently change the stored form.
    const std::uint8_t zero[8] = {};
    std::uint8_t stream[8];
    Exchanger(zero, stream, 8);
    char hex[17];
    for (int i = 0; i < 8; ++i) std::snprintf(hex + 2 * i, 3, "%02X", stream[i]);
    EXPECT_STREQ(hex, kKeystreamHead);
    EXPECT_THROW(Exchanger(plain, cipher, 65), std::invalid_argument);
}

TEST(CipherRecordFile, WrittenRecordsReadBackPaddedAndEnciphered) {
    CTempDir dir;
    auto path = dir / "r.dat";
    CCipherRecordFile file;
    ASSERT_TRUE(file.OpenAppend(path));
    EXPECT_EQ(file.WriteRecord("short", 51), 1);
    EXPECT_EQ(file.WriteRecord(std::string(51, 'x'), 51), 1);
    EXPECT_EQ(file.WriteRecord(std::string(52, 'y'), 51), 0);  // nothing past the block
    EXPECT_TRUE(file.Sync());
    EXPECT_EQ(file.Close(), 1);

    std::string disk = ReadBytes(path);
    ASSERT_EQ(disk.size(), 102u);
    EXPECT_EQ(disk.find("short"), std::string::npos);

    ASSERT_TRUE(file.OpenRead(path));
    std::string text;
    EXPECT_EQ(file.ReadRecord(text, 51), 1);
    EXPECT_EQ(text, "short" + std::string(46, ' '));
    EXPECT_EQ(file.ReadRecord(text, 51), 1);
    EXPECT_EQ(text, std::string(51, 'x'));
    EXPECT_EQ(file.ReadRecord(text, 51), 0);
    file.Close();
}

TEST(CipherRecordFile, ReadsTwoAndAHalfBlocksAsTwo) {
    CTempDir dir;
    auto path = dir / "r.dat";
    CCipherRecordFile file;
    ASSERT_TRUE(file.OpenAppend(path));
    for (int i = 0; i < 3; ++i) file.WriteRecord("rec" + std::to_string(i), 64);
    file.Close();
    std::filesystem::resize_file(path, 64 * 2 + 32);
    ASSERT_TRUE(file.OpenRead(path));
    std::string text;
    int count = 0;
    while (file.ReadRecord(text, 64) == 1) ++count;
    EXPECT_EQ(count, 2);
}

TEST(CipherRecordFile, SkipPositionsAnOverwriteOnBlockN) {
    CTempDir dir;
    auto path = dir / "r.dat";
    CCipherRecordFile file;
    ASSERT_TRUE(file.OpenAppend(path));
    for (int i = 1; i <= 3; ++i) file.WriteRecord("rec" + std::to_string(i), 51);
    file.Close();
    ASSERT_TRUE(file.OpenUpdate(path));
    file.Skip(51, 1);
    file.WriteRecord("new2", 51);
    file.Close();
    ASSERT_TRUE(file.OpenRead(path));
    std::string a, b, c;
    file.ReadRecord(a, 51);
    file.ReadRecord(b, 51);
    file.ReadRecord(c, 51);
    EXPECT_EQ(a.substr(0, 4), "rec1");
    EXPECT_EQ(b.substr(0, 4), "new2");
    EXPECT_EQ(c.substr(0, 4), "rec3");
    EXPECT_FALSE(file.OpenUpdate(dir / "missing.dat"));
}

}  // namespace stampwell
