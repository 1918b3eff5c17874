// The company database's schema as the program makes it: created and upgraded idempotently,
// by several programs at once, never over a newer or a foreign schema, with a message in
// Japanese for a connection string that cannot be read or a server that is not there.
#include <gtest/gtest.h>

#include <functional>

#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {

int Version(test::CPgServer& server, const std::string& database) {
    std::string why;
    auto connection = CPgConnection::Open(server.ConnInfo(database), why);
    EXPECT_TRUE(connection) << why;
    return connection ? CPgSchema::StoredVersion(*connection) : -99;
}

}  // namespace

TEST(PgSchema, InitMakesTheTablesOnceAndAgainChangesNothingAlsoWhenProgramsRunAtOnce) {
    test::CPgServer server;
    ASSERT_TRUE(server.Running()) << server.Why();
    const std::string conninfo = server.ConnInfo("office");
    test::CTempDir dir;
    std::vector<std::function<bool()>> jobs(3, [&] {
        return test::RunCli(dir.Path(), "db init --database '" + conninfo + "'").exitCode == 0;
    });
    EXPECT_EQ(test::RunAtOnce(jobs), 3);
    EXPECT_EQ(Version(server, "office"), CPgSchema::KnownVersion());
    const auto again = test::RunCli(dir.Path(), "db init --database '" + conninfo + "'");
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("データベースの準備ができました"), std::string::npos);
    std::string why;
    auto connection = CPgConnection::Open(conninfo, why);
    ASSERT_TRUE(connection) << why;
    EXPECT_EQ(CPgSchema::Check(*connection, why), CPgSchema::EState::kReady) << why;
    const auto tables =
        connection->Exec("SELECT count(*) FROM pg_tables WHERE schemaname = $1", {"stampwell"});
    ASSERT_TRUE(tables.Ok()) << tables.Error();
    EXPECT_EQ(tables.Value(0, 0), "11");
    const auto versions = connection->Exec("SELECT count(*) FROM stampwell.schema_version");
    EXPECT_EQ(versions.Value(0, 0), "1");
}

TEST(PgSchema, ANewerOrAForeignSchemaIsLeftAsItIsWithAMessage) {
    test::CPgServer server;
    ASSERT_TRUE(server.Running()) << server.Why();
    std::string why;
    {
        auto connection = CPgConnection::Open(server.ConnInfo("newer"), why);
        ASSERT_TRUE(connection) << why;
        ASSERT_EQ(CPgSchema::Init(*connection, why), CPgSchema::EState::kReady) << why;
        ASSERT_TRUE(connection->Exec("UPDATE stampwell.schema_version SET version = 99").Ok());
        EXPECT_EQ(CPgSchema::Init(*connection, why), CPgSchema::EState::kNewer);
        EXPECT_NE(why.find("新しいStampwell"), std::string::npos) << why;
        EXPECT_EQ(CPgSchema::Check(*connection, why), CPgSchema::EState::kNewer);
    }
    EXPECT_EQ(Version(server, "newer"), 99);

    const std::string foreign = server.ConnInfo("foreign");
    ASSERT_TRUE(
        server.Psql("CREATE SCHEMA stampwell; CREATE TABLE stampwell.payroll (x int)", "foreign"));
    test::CTempDir dir;
    const auto refused = test::RunCli(dir.Path(), "db init --database '" + foreign + "'");
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.err.find("Stampwellのものではないデータベース"), std::string::npos)
        << refused.err;
    auto connection = CPgConnection::Open(foreign, why);
    ASSERT_TRUE(connection) << why;
    const auto tables =
        connection->Exec("SELECT count(*) FROM pg_tables WHERE schemaname = 'stampwell'");
    EXPECT_EQ(tables.Value(0, 0), "1");  // nothing added beside the office's own table
}

TEST(PgSchema, AConnectionStringThatCannotBeReadOrAServerThatIsNotThereIsSaidInJapanese) {
    std::string why;
    EXPECT_FALSE(CPgConnection::Open("host='unterminated", why));
    EXPECT_NE(why.find("接続文字列を読めません"), std::string::npos) << why;
    test::CTempDir dir;
    const auto absent = test::RunCli(
        dir.Path(), "db init --database 'host=" + dir.Path().string() + " port=1 dbname=x'");
    EXPECT_NE(absent.exitCode, 0);
    EXPECT_NE(absent.err.find("データベースに接続できません"), std::string::npos) << absent.err;
}

}  // namespace stampwell
