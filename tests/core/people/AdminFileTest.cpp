#include <gtest/gtest.h>

#include "people/AdminFile.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CTestRuntime;

namespace {
void Add(CAdminFile& admins, const std::string& id, const std::string& password,
         const std::string& card = {}) {
    admins.SetId(id);
    admins.SetPassword(password);
    admins.SetCardId(card);
    ASSERT_EQ(admins.AddAdmin(), 1) << id;
}

std::string Block(const std::filesystem::path& path, int n) {
    CCipherRecordFile file;
    file.OpenRead(path);
    std::string text;
    for (int i = 0; i <= n; ++i) file.ReadRecord(text, 64);
    return text;
}
}  // namespace

TEST(AdminFile, EmptyStoreChecksNothing) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    EXPECT_EQ(admins.GetCount(), 0);
    admins.SetId("");
    admins.SetPassword("");
    EXPECT_EQ(admins.CheckPassword(), 0);
    EXPECT_FALSE(admins.LoginWithPassword("a", "b"));
    admins.SetId("x");
    EXPECT_EQ(admins.DeleteAdmin(), 0);
}

TEST(AdminFile, BlocksDecipherToTheRecordLayout) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    Add(admins, "admin01", "password");
    Add(admins, "admin02", "pass2", "0123456789ABCDEF");
    auto path = t.dir / "Admin.dat";
    EXPECT_EQ(test::ReadBytes(path).size(), 128u);
    EXPECT_EQ(Block(path, 0), "admin01,,password\n" + std::string(46, ' '));
    EXPECT_EQ(Block(path, 1), "admin02,0123456789ABCDEF,pass2\n" + std::string(33, ' '));
    EXPECT_TRUE(CFileSystem::IsReadOnly(path));
}

TEST(AdminFile, FirstAdministratorIsLoggedInAndRenamesFollowTheLogin) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    Add(admins, "first", "pw1");
    EXPECT_EQ(admins.GetLoginId(), "first");
    Add(admins, "second", "pw2", "AAAAAAAAAAAAAAAA");
    EXPECT_EQ(admins.GetLoginId(), "first");

    admins.SetPreviousId("second");
    admins.SetId("second2");
    admins.SetPassword("pw2");
    admins.SetCardId("");
    ASSERT_EQ(admins.ChangeAdmin(), 1);
    EXPECT_EQ(admins.GetLoginId(), "first");

    admins.SetPreviousId("first");
    admins.SetId("renamed");
    admins.SetPassword("pw1");
    ASSERT_EQ(admins.ChangeAdmin(), 1);
    EXPECT_EQ(admins.GetLoginId(), "renamed");
    std::vector<std::string> ids;
    admins.GetIdList(ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"renamed", "second2"}));
    // The card was removed: no card login any more.
    EXPECT_FALSE(admins.LoginWithCard("AAAAAAAAAAAAAAAA"));
}

TEST(AdminFile, LoginChangesTheLoginIdOnlyOnSuccess) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    Add(admins, "boss", "secret", "0123456789ABCDEF");
    admins.SetLoginId("");
    EXPECT_FALSE(admins.LoginWithPassword("boss", "Secret"));
    EXPECT_FALSE(admins.LoginWithPassword("intruder", "secret"));
    EXPECT_EQ(admins.GetLoginId(), "");
    EXPECT_FALSE(admins.LoginWithCard("0123456789abcdef"));
    EXPECT_EQ(admins.GetLoginId(), "");
    EXPECT_TRUE(admins.LoginWithCard("0123456789ABCDEF"));
    EXPECT_EQ(admins.GetLoginId(), "boss");
    admins.SetLoginId("");
    EXPECT_TRUE(admins.LoginWithPassword("boss", "secret"));
    EXPECT_EQ(admins.GetLoginId(), "boss");
}

TEST(AdminFile, CardlessAdministratorNeverMatchesACardAndKeepsNoCardOnChange) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    Add(admins, "a", "p");
    Add(admins, "b", "q");
    admins.SetCardId("AAAAAAAAAAAAAAAA");
    EXPECT_EQ(admins.FindIdByCard(), 0);
    admins.SetPreviousId("b");
    admins.SetId("b");
    admins.SetPassword("q2");
    admins.SetCardId("");
    ASSERT_EQ(admins.ChangeAdmin(), 1);
    EXPECT_EQ(Block(t.dir / "Admin.dat", 0), "a,,p\n" + std::string(59, ' '));
    admins.SetPreviousId("nobody");
    admins.SetCardId("keep");
    admins.SetPassword("keep");
    admins.LoadAdmin();
    EXPECT_EQ(admins.GetCardId(), "keep");
    EXPECT_EQ(admins.GetPassword(), "keep");
}

TEST(AdminFile, DeleteRemovesEveryRecordOfTheId) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    // A file from before IDs were kept unique.
    test::WriteBytes(t.dir / "Admin.dat", CCipherRecordFile::Encipher("a,,p\n", 64) +
                                              CCipherRecordFile::Encipher("b,,q\n", 64) +
                                              CCipherRecordFile::Encipher("a,,r\n", 64));
    admins.SetId("a");
    ASSERT_EQ(admins.DeleteAdmin(), 1);
    EXPECT_EQ(admins.GetCount(), 1);
    EXPECT_EQ(test::FilesIn(t.dir.Path()),
              (std::vector<std::string>{"Admin.dat", "Admin.dat.lock"}));
}

TEST(AdminFile, RefusesRecordsThatWouldNotFitOrCannotBeRead) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    for (auto [id, card, password] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {std::string(32, 'i'), "0123456789ABCDEF", std::string(16, 'p')},  // 67 bytes
             {"a,b", "", "p"},
             {"a", "", "p q"},
             {"a", "", ""},
             {std::string(33, 'i'), "", "p"},
             {"a", "", std::string(17, 'p')}}) {
        admins.SetId(id);
        admins.SetCardId(card);
        admins.SetPassword(password);
        EXPECT_EQ(admins.AddAdmin(), 0) << id << "/" << password;
    }
    EXPECT_FALSE(CFileSystem::Exists(t.dir / "Admin.dat"));
    EXPECT_EQ(admins.GetLoginId(), "");
}

TEST(AdminFile, ReadsTwoAndAHalfBlocksAsTwoAdministrators) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    Add(admins, "a", "p");
    Add(admins, "b", "q");
    Add(admins, "c", "r");
    CFileSystem::SetReadOnly(t.dir / "Admin.dat", false);
    std::filesystem::resize_file(t.dir / "Admin.dat", 64 * 2 + 32);
    EXPECT_EQ(admins.GetCount(), 2);
    std::vector<std::string> ids;
    admins.GetIdList(ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"a", "b"}));
}

TEST(AdminFile, TheListSaysWhoHasACardInOnePass) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    Add(admins, "a", "p", "0123456789ABCDEF");
    Add(admins, "b", "q");
    auto list = admins.GetAdminList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, "a");
    EXPECT_TRUE(list[0].hasCard);
    EXPECT_EQ(list[1].id, "b");
    EXPECT_FALSE(list[1].hasCard);
    // A damaged 1 MB file lists in one pass (quadratic listing took about a minute).
    CFileSystem::SetReadOnly(t.dir / "Admin.dat", false);
    std::string junk(1 << 20, 'x');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7919 % 251);
    test::WriteBytes(t.dir / "Admin.dat", junk);
    EXPECT_LE(admins.GetAdminList().size(), (1u << 20) / 64);
}

TEST(AdminFile, TheFirstAdministratorOfAnEmptyFolderIsStored) {
    CTestRuntime t;
    CAdminFile admins(t.runtime);
    ASSERT_EQ(admins.CreateEmptyFile(), 1);  // an empty rewrite writes no bytes at all
    EXPECT_EQ(test::ReadBytes(t.dir / "Admin.dat"), "");
    Add(admins, "first", "pw");
    EXPECT_EQ(admins.GetCount(), 1);
}

}  // namespace stampwell
