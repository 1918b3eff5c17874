#include <gtest/gtest.h>

#include "people/RegisterFile.h"
#include "platform/FileSystem.h"
#include "settings/EnvironmentSettings.h"
#include "support/FailingWrites.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CTestRuntime;
using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

namespace {
const std::string kHeaders =
    "#CardAndNameRegisterFile_V1\r\n#CardID,PersonalName,ReceiveMailName,ReceiveMailAddress\r\n";

void Add(CRegisterFile& reg, const std::string& card, const std::string& name,
         const std::string& mailName = {}, const std::string& address = {}) {
    reg.SetCardId(card);
    reg.SetName(name);
    reg.SetMailName(mailName);
    reg.SetMailAddress(address);
    ASSERT_EQ(reg.AddRecord(), 1) << name;
}
}  // namespace

TEST(RegisterFile, FirstAddCreatesTheTwoPersonExampleByteForByte) {
    CTestRuntime t;
    CRegisterFile reg(t.runtime);
    Add(reg, "012E00FF12345678", "User1");
    Add(reg, "0123456789ABCDEF", "User2", "Manager", "manager@example.com");
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"),
              kHeaders +
                  "012E00FF12345678,User1,,\r\n"
                  "0123456789ABCDEF,User2,Manager,manager@example.com\r\n");
    EXPECT_TRUE(CFileSystem::IsReadOnly(t.dir / "Register.txt"));
    EXPECT_EQ(reg.GetCount(), 2);
}

TEST(RegisterFile, HeadersOnlyOrMissingFileFindsNothing) {
    CTestRuntime t;
    CRegisterFile reg(t.runtime);
    EXPECT_EQ(reg.GetCount(), 0);
    EXPECT_EQ(reg.GetNameAt(0), "");
    reg.SetCardId("012E00FF12345678");
    EXPECT_EQ(reg.FindNameByCard(), 0);
    reg.SetPreviousName("x");
    reg.SetName("y");
    EXPECT_EQ(reg.ChangeRecord(), 0);
    EXPECT_FALSE(CFileSystem::Exists(t.dir / "Register.txt"));

    ASSERT_EQ(reg.CreateNewFile(), 1);
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"), kHeaders);
    EXPECT_EQ(reg.GetCount(), 0);
    EXPECT_EQ(reg.FindNameByCard(), 0);
    EXPECT_EQ(reg.GetMailAddressByName("x"), "");
}

TEST(RegisterFile, LookupsAreExactAndTakeTheFirstMatch) {
    CTestRuntime t;
    WriteBytes(t.dir / "Register.txt",
               kHeaders + Sjis("AAAAAAAAAAAAAAAA,山田,,\r\nBBBBBBBBBBBBBBBB,山田,上司,a@b\r\n"
                               "CCCCCCCCCCCCCCCC,Ito,Boss,i@b\n"));
    CRegisterFile reg(t.runtime);
    reg.SetCardId("cccccccccccccccc");
    EXPECT_EQ(reg.FindNameByCard(), 0);
    reg.SetCardId("CCCCCCCCCCCCCCCC");
    ASSERT_EQ(reg.FindNameByCard(), 1);
    EXPECT_EQ(reg.GetName(), "Ito");
    EXPECT_EQ(reg.GetCardIdByName("山田"), "AAAAAAAAAAAAAAAA");
    EXPECT_EQ(reg.GetMailNameByName("山田"), "");  // the first record, with no mail
    EXPECT_EQ(reg.GetMailAddressByName("Ito"), "i@b");
    EXPECT_EQ(reg.GetNameAt(2), "Ito");
    EXPECT_EQ(reg.GetAllNames(), (std::vector<std::string>{"山田", "山田", "Ito"}));
}

TEST(RegisterFile, ChangeAndDeleteActOnEveryRecordOfTheName) {
    CTestRuntime t;
    // Files written before names had to be unique may hold one name twice.
    WriteBytes(t.dir / "Register.txt", kHeaders +
                                           "AAAAAAAAAAAAAAAA,Sato,,\r\nBBBBBBBBBBBBBBBB,Twin,,\r\n"
                                           "CCCCCCCCCCCCCCCC,Twin,M,m@x\r\n");
    CRegisterFile reg(t.runtime);
    reg.SetPreviousName("Twin");
    reg.SetCardId("DDDDDDDDDDDDDDDD");
    reg.SetName("Solo");
    reg.SetMailName("");
    reg.SetMailAddress("");
    ASSERT_EQ(reg.ChangeRecord(), 1);
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"),
              kHeaders +
                  "AAAAAAAAAAAAAAAA,Sato,,\r\nDDDDDDDDDDDDDDDD,Solo,,\r\n"
                  "DDDDDDDDDDDDDDDD,Solo,,\r\n");
    reg.SetName("Solo");
    ASSERT_EQ(reg.DeleteRecord(), 1);
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"), kHeaders + "AAAAAAAAAAAAAAAA,Sato,,\r\n");
    EXPECT_TRUE(CFileSystem::IsReadOnly(t.dir / "Register.txt"));
    EXPECT_EQ(test::FilesIn(t.dir.Path()),
              (std::vector<std::string>{"Register.txt", "Register.txt.lock"}));
}

TEST(RegisterFile, RewritesDropDamagedLinesAndCutOverlongFields) {
    CTestRuntime t;
    WriteBytes(t.dir / "Register.txt",
               kHeaders + "AAAAAAAAAAAAAAAA,Keep,,\r\n,,\r\nBBBBBBBBBBBBBBBB," +
                   std::string(300, 'n') + ",,\r\nCCCCCCCCCCCCCCCC,Gone,,\r\n");
    CRegisterFile reg(t.runtime);
    EXPECT_EQ(reg.GetCount(), 4);  // a long line still counts once
    EXPECT_EQ(reg.GetAllNames(), (std::vector<std::string>{"Keep", std::string(255, 'n'), "Gone"}));
    reg.SetName("Gone");
    ASSERT_EQ(reg.DeleteRecord(), 1);
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"),
              kHeaders + "AAAAAAAAAAAAAAAA,Keep,,\r\nBBBBBBBBBBBBBBBB," + std::string(255, 'n') +
                  ",,\r\n");
}

TEST(RegisterFile, RefusesRecordsTheFileCannotHold) {
    CTestRuntime t;
    CRegisterFile reg(t.runtime);
    Add(reg, "AAAAAAAAAAAAAAAA", "Ok");
    std::string before = ReadBytes(t.dir / "Register.txt");
    for (const std::string& name :
         {std::string("a,b"), std::string("a\nb"), std::string(""), std::string(33, 'x'),
          std::string("あいうえおかきくけこさしすせそたち"), std::string("\xF0\x9F\x98\x80")}) {
        reg.SetCardId("BBBBBBBBBBBBBBBB");
        reg.SetName(name);
        EXPECT_EQ(reg.AddRecord(), 0) << name;
        reg.SetPreviousName("Ok");
        EXPECT_EQ(reg.ChangeRecord(), 0) << name;
    }
    reg.SetName("Ok");
    reg.SetMailAddress(std::string(65, 'a'));
    EXPECT_EQ(reg.AddRecord(), 0);
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"), before);
    // 32 bytes of double-byte text is allowed.
    reg.SetName("あいうえおかきくけこさしすせそた");
    reg.SetMailAddress("");
    EXPECT_EQ(reg.AddRecord(), 1);
}

TEST(RegisterFile, AFailedReplaceIsReportedAndKeepsTheFile) {
    CTestRuntime t;
    CRegisterFile reg(t.runtime);
    Add(reg, "AAAAAAAAAAAAAAAA", "Sato");
    std::string before = ReadBytes(t.dir / "Register.txt");
    // No file may grow past 10 bytes: the rewrite fails for real (EFBIG).
    int result = test::RunWithFileSizeLimit(10, [&] {
        reg.SetName("Sato");
        return reg.DeleteRecord();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(t.dir / "Register.txt"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.dir.Path()),
                            std::filesystem::directory_iterator()),
              2);  // the register and its lock, no scratch file left behind
}

TEST(RegisterFile, FollowsThePathFromTheSettings) {
    CTestRuntime t;
    auto settings = CreateConfig(t.runtime);
    std::filesystem::create_directory(t.dir / "shared");
    settings->SetIdFilePath((t.dir / "shared" / "ids.txt").string());
    CRegisterFile reg(t.runtime);
    reg.SetPathSource(settings);
    Add(reg, "AAAAAAAAAAAAAAAA", "Sato");
    EXPECT_TRUE(CFileSystem::Exists(t.dir / "shared" / "ids.txt"));
    EXPECT_FALSE(CFileSystem::Exists(t.dir / "Register.txt"));
}

}  // namespace stampwell
