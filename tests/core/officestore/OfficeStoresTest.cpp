// A clock sent to the company database and back: the settings command checks the database
// before it sends a clock there, every command then works on the database, and the folder's
// files are where they were when the clock comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "pgstore/PgConnection.h"
#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"
#include "support/WorkedExample.h"

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

TEST(OfficeStores, TwoSitesRecordIntoOneDatabaseAndEachSitesListsHoldItsOwnTaps) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTempDir tokyo, osaka, scratch;
    const std::string office = test::PgOfficeFor(tokyo.Path());
    for (const auto& [data, site] : {std::pair{tokyo.Path(), "本社"}, {osaka.Path(), "大阪支店"}}) {
        const auto sent = test::RunCli(
            data, "settings set --store postgresql --database '" + office + "' --site " + site);
        ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    }
    ASSERT_EQ(test::RunCli(tokyo.Path(), "users add --card 0000000000000001 --name 山田").exitCode,
              0);
    ASSERT_EQ(test::RunCli(osaka.Path(), "users add --card 0000000000000002 --name 鈴木").exitCode,
              0);
    // 山田 works in Tokyo on the 1st and in Osaka on the 2nd; 鈴木 only in Tokyo.
    const std::vector<std::tuple<std::filesystem::path, const char*, const char*, const char*>>
        taps = {{tokyo.Path(), "0000000000000001", "2026-06-01 09:00:00", "--start"},
                {tokyo.Path(), "0000000000000001", "2026-06-01 18:00:00", "--end"},
                {osaka.Path(), "0000000000000001", "2026-06-02 09:00:00", "--start"},
                {osaka.Path(), "0000000000000001", "2026-06-02 20:00:00", "--end"},
                {tokyo.Path(), "0000000000000002", "2026-06-02 09:00:00", "--start"}};
    for (const auto& [data, card, at, side] : taps) {
        const auto tapped =
            test::RunCli(data, std::string("tap ") + card + " " + side, test::AtTime(at));
        ASSERT_EQ(tapped.exitCode, 0) << at << ": " << tapped.out << tapped.err;
    }
    const auto all = test::RunCli(osaka.Path(), "records");
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 5) << all.out;
    const auto atOsaka = test::RunCli(tokyo.Path(), "records --site 大阪支店");
    EXPECT_EQ(atOsaka.out.find("2026/06/01"), std::string::npos) << atOsaka.out;
    EXPECT_NE(atOsaka.out.find("3\t山田"), std::string::npos) << atOsaka.out;  // numbered as all
    EXPECT_NE(atOsaka.out.find("2026/06/02,,20:00"), std::string::npos) << atOsaka.out;
    EXPECT_EQ(atOsaka.out.find("鈴木"), std::string::npos) << atOsaka.out;

    const auto csv = scratch.Path() / "osaka.csv";
    ASSERT_EQ(test::RunCli(tokyo.Path(),
                           "export --year 2026 --month 6 --closing end --site "
                           "大阪支店 --out '" +
                               csv.string() + "'")
                  .exitCode,
              0);
    EXPECT_EQ(test::ReadBytes(csv),
              test::Sjis(",,山田                            ,,2026/06/02,09:00,,,\r\n"
                         ",,山田                            ,,2026/06/02,,,,20:00\r\n"));
    // The site's report holds the people who worked there, with all their hours.
    const auto report = test::RunCli(tokyo.Path(),
                                     "report --year 2026 --month 6 --closing end "
                                     "--site 大阪支店");
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_NE(report.out.find("山田"), std::string::npos) << report.out;
    EXPECT_EQ(report.out.find("鈴木"), std::string::npos) << report.out;
    const auto whole = test::RunCli(tokyo.Path(), "report --year 2026 --month 6 --closing end");
    const auto line = [](const std::string& text, const std::string& name) {
        const auto at = text.find(name);
        return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
    };
    EXPECT_EQ(line(report.out, "山田"), line(whole.out, "山田"));
    EXPECT_NE(whole.out.find("鈴木"), std::string::npos) << whole.out;

    for (const char* name : {"山田", "鈴木"}) {
        ASSERT_EQ(
            test::RunCli(tokyo.Path(), std::string("leave set --hired 2024-04-01 --name ") + name)
                .exitCode,
            0);
    }
    const auto leave = test::RunCli(tokyo.Path(), "leave list --as-of 2026-06-30 --site 大阪支店");
    EXPECT_NE(leave.out.find("山田"), std::string::npos) << leave.out << leave.err;
    EXPECT_EQ(leave.out.find("鈴木"), std::string::npos) << leave.out;
    // The 出勤簿 where the program draws it (a build without Qt has no timesheet command and
    // calls it a usage error).
    const auto sheet = test::RunCli(
        tokyo.Path(), "timesheet --year 2026 --month 6 --closing end --site 大阪支店 --pdf '" +
                          (scratch.Path() / "osaka.pdf").string() + "'");
    if (sheet.exitCode != 2) {
        EXPECT_NE(sheet.out.find("（1ページ）"), std::string::npos) << sheet.out << sheet.err;
    }

    EXPECT_NE(test::RunCli(tokyo.Path(), "records --site 福岡").exitCode, 0);
    EXPECT_NE(test::RunCli(scratch.Path(), "records --site 本社").exitCode, 0);  // a folder
}

TEST(OfficeStores, AStoreFileThatCannotBeReadNeverSendsTheClockBackToTheFolder) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card 0000000000000001 --name 山田").exitCode,
              0);
    test::WriteBytes(dir.Path() / "Store.txt", "保存先=somewhere\r\n");
    const auto tapped = test::RunCli(dir.Path(), "tap 0000000000000001 --start");
    EXPECT_NE(tapped.exitCode, 0);
    // Never "not registered" for a card nobody could look up.
    EXPECT_NE((tapped.out + tapped.err).find("接続先が設定されていません"), std::string::npos)
        << tapped.out << tapped.err;
    const auto shown = test::RunCli(dir.Path(), "settings show");
    EXPECT_NE(shown.out.find("Store.txt を読めません"), std::string::npos) << shown.out;
    test::WriteBytes(dir.Path() / "Store.txt", "");
    EXPECT_NE(test::RunCli(dir.Path(), "tap 0000000000000001 --start").exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "KINTAI.dat"));
}

}  // namespace stampwell
