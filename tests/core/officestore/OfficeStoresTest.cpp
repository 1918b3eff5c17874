// A clock sent to the company database and back: the settings command checks the database
// before it sends a clock there, every command then works on the database, and the folder's
// files are where they were when the clock comes back.
#include <gtest/gtest.h>

#include "pgstore/PgConnection.h"
#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(OfficeStores, AClockSentToTheDatabaseRecordsThereWithItsSiteAndComesBackToItsFolder) {
    test::CTempDir dir;
    const auto data = dir.Path();
    ASSERT_EQ(test::RunCli(data, "users add --card 0000000000000001 --name 山田").exitCode, 0);
    ASSERT_EQ(test::RunCli(data, "tap 0000000000000001 --start").exitCode, 0);
    const std::string office = test::PgOfficeFor(data);

    // Refused, and the clock stays on its folder: a password in the string, a server that is
    // not there, a database without Stampwell's tables.
    for (const auto& [database, said] : std::vector<std::pair<std::string, std::string>>{
             {office + " password=secret", "パスワードは書けません"},
             {"host=/nonexistent dbname=x", "データベースに接続できません"},
             {test::SharedPgServer().ConnInfo("empty_one"), "db init"},
             {"nosuchkey=1", "接続文字列を読めません"}}) {
        const auto refused =
            test::RunCli(data, "settings set --store postgresql --database '" + database + "'");
        EXPECT_NE(refused.exitCode, 0) << database;
        EXPECT_NE((refused.out + refused.err).find(said), std::string::npos)
            << database << ": " << refused.out << refused.err;
    }
    EXPECT_NE(test::RunCli(data, "settings show").out.find("保存先: 共有フォルダ"),
              std::string::npos);

    const auto sent = test::RunCli(
        data, "settings set --store postgresql --database '" + office + "' --site 大阪支店");
    ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    EXPECT_NE(test::RunCli(data, "settings show").out.find("拠点: 大阪支店"), std::string::npos);
    ASSERT_EQ(test::RunCli(data, "users add --card 0000000000000002 --name 鈴木").exitCode, 0);
    const auto tapped = test::RunCli(data, "tap 0000000000000002 --start");
    ASSERT_EQ(tapped.exitCode, 0) << tapped.out << tapped.err;
    // The folder's employee is not in the database (nothing moved yet): an unknown card.
    EXPECT_NE(test::RunCli(data, "tap 0000000000000001 --start").exitCode, 0);
    const auto listed = test::RunCli(data, "records");
    EXPECT_NE(listed.out.find("鈴木"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("山田"), std::string::npos) << listed.out;
    std::string why;
    auto connection = CPgConnection::Open(office, why);
    ASSERT_TRUE(connection) << why;
    const auto site = connection->Exec(
        "SELECT s.name FROM stampwell.work_records w JOIN stampwell.sites s ON s.id = w.site_id");
    ASSERT_EQ(site.Rows(), 1);
    EXPECT_EQ(site.Value(0, 0), "大阪支店");

    ASSERT_EQ(test::RunCli(data, "settings set --store folder").exitCode, 0);
    const auto back = test::RunCli(data, "records");
    EXPECT_NE(back.out.find("山田"), std::string::npos) << back.out;
    EXPECT_EQ(back.out.find("鈴木"), std::string::npos) << back.out;
}

TEST(OfficeStores, AStoreFileThatCannotBeReadNeverSendsTheClockBackToTheFolder) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card 0000000000000001 --name 山田").exitCode,
              0);
    test::WriteBytes(dir.Path() / "Store.txt", "保存先=somewhere\r\n");
    EXPECT_NE(test::RunCli(dir.Path(), "tap 0000000000000001 --start").exitCode, 0);
    const auto shown = test::RunCli(dir.Path(), "settings show");
    EXPECT_NE(shown.out.find("Store.txt を読めません"), std::string::npos) << shown.out;
    test::WriteBytes(dir.Path() / "Store.txt", "");
    EXPECT_NE(test::RunCli(dir.Path(), "tap 0000000000000001 --start").exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "KINTAI.dat"));
}

}  // namespace stampwell
