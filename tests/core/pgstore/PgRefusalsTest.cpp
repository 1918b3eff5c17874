// Connections a clock must not be sent to, each refused in Japanese with what to do, nothing
// changed: a login without Stampwell's roles, and a server that wants a password that no
// password file gives (and the same login once the password file has it).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(PgRefusals, ALoginWithoutRightsOrWithoutItsPasswordIsRefusedAndThePasswordFileLetsItIn) {
    test::CPgServer& server = test::SharedPgServer();
    ASSERT_TRUE(server.Running()) << server.Why();
    test::CTempDir dir;
    const std::string office = test::PgOfficeFor(dir.Path());
    const std::string suffix = std::to_string(::getpid());
    const std::string stranger = "stranger_" + suffix, clerk = "clerk_" + suffix;
    ASSERT_TRUE(server.Psql("CREATE ROLE " + stranger + " LOGIN; CREATE ROLE " + clerk +
                            " LOGIN PASSWORD 'pw-" + suffix + "' IN ROLE stampwell_admin"));
    ASSERT_TRUE(server.RequirePassword(clerk));

    const auto noRights = test::RunCli(dir.Path(), "settings set --store postgresql --database '" +
                                                       office + " user=" + stranger + "'");
    EXPECT_NE(noRights.exitCode, 0);
    EXPECT_NE(noRights.err.find("stampwell_clock"), std::string::npos) << noRights.err;

    const auto passFile = dir.Path() / "pgpass";
    const std::string asClerk = office + " user=" + clerk;
    const auto noPassword =
        test::RunCli(dir.Path(), "settings set --store postgresql --database '" + asClerk + "'",
                     "PGPASSFILE='" + passFile.string() + "'");
    EXPECT_NE(noPassword.exitCode, 0);
    EXPECT_NE(noPassword.err.find(".pgpass"), std::string::npos) << noPassword.err;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Store.txt"));

    test::WriteBytes(passFile, "*:*:*:" + clerk + ":pw-" + suffix + "\n");
    ::chmod(passFile.c_str(), 0600);
    const auto sent =
        test::RunCli(dir.Path(), "settings set --store postgresql --database '" + asClerk + "'",
                     "PGPASSFILE='" + passFile.string() + "'");
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    // The password is nowhere in what Stampwell keeps.
    EXPECT_EQ(test::ReadBytes(dir.Path() / "Store.txt").find("pw-"), std::string::npos);
}

}  // namespace stampwell
