// An office moved into the company database and back: every list, figure and file the
// administrators take out is the same byte for byte on the folder, on the database and on the
// folder written back; a second import adds nothing, and a database that holds other records
// is never imported into.
#include <gtest/gtest.h>

#include <map>

#include "folderstore/FolderAdminStore.h"
#include "officestore/OfficeStores.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"
#include "support/WorkedExample.h"

namespace stampwell {

namespace {

// What an administrator takes out of an office, by what produced it.
std::map<std::string, std::string> TakeOut(const std::filesystem::path& data,
                                           const std::filesystem::path& scratch) {
    std::map<std::string, std::string> out;
    for (const auto& [name, args] : std::vector<std::pair<std::string, std::string>>{
             {"records", "records"},
             {"edits", "edits"},
             {"export", "export --year 2026 --month 6 --closing end --out"},
             {"report", "report --year 2026 --month 6 --closing end --csv"},
             {"limits", "limits --year 2026 --closing end --csv"},
             {"ledger", "leave ledger --name 山田 --csv"},
             {"patterns", "pattern list"},
             {"closings", "closings"}}) {
        const auto file = scratch / (name + ".csv");
        // The commands that write a file end with the option naming it.
        const bool toFile = args.ends_with("--out") || args.ends_with("--csv");
        const auto result = test::RunCli(data, toFile ? args + " '" + file.string() + "'" : args,
                                         test::AtTime("2026-12-08 10:00:00"));
        EXPECT_EQ(result.exitCode, 0) << name << ": " << result.out << result.err;
        out[name] = toFile ? test::ReadBytes(file) : result.out;
        EXPECT_GT(out[name].size(), 40u) << name;
        std::filesystem::remove(file);
    }
    return out;
}

CRuntime RuntimeOf(const std::filesystem::path& data) {
    return CRuntime(data, std::make_shared<CManualClock>(0),
                    std::make_shared<test::CRecordingMessageSink>());
}

}  // namespace

TEST(DatabaseMove, AnOfficeMovedIntoTheDatabaseAndBackGivesTheSameListsFiguresAndBytes) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTempDir folder, clock, back, scratch;
    ASSERT_EQ(test::MakeWorkedExample(folder.Path()), "");
    for (const char* step :
         {"leave set --name 山田 --hired 2024-04-01", "leave take --name 山田 --date 2026-06-11",
          "admins add --id boss --password pw-boss --card 1111222233334444",
          "pattern set 日勤 --start 09:00 --end 18:00 --breaks 12:00-13:00",
          "pattern assign --name 山田 --from 2026-06-01 --pattern 日勤",
          "close --year 2026 --month 5 --closing end --admin boss"}) {
        const auto result = test::RunCli(folder.Path(), step);
        ASSERT_EQ(result.exitCode, 0) << step << ": " << result.err;
    }
    {
        // A correction with its trail, as the record edit screen makes it.
        const CRuntime office = RuntimeOf(folder.Path());
        auto work = OpenWorkStore(office);
        work->SetSettings(CreateConfig(office));
        const IWorkStore::TrailMark mark{"2026/06/20 10:00:00", "boss", "打刻忘れ", "出社", "退社"};
        ASSERT_EQ(work->SaveMonth("山田", 2026, 6, {{9, 1, "", "18:00"}}, nullptr, &mark),
                  IWorkStore::ESaveOutcome::kSaved);
    }
    const auto onFolder = TakeOut(folder.Path(), scratch.Path());
    ASSERT_NE(onFolder.at("edits").find("打刻忘れ"), std::string::npos);

    const std::string database = test::PgOfficeFor(clock.Path());
    const auto imported = test::RunCli(
        clock.Path(), "db import '" + folder.Path().string() + "' --database '" + database + "'");
    ASSERT_EQ(imported.exitCode, 0) << imported.out << imported.err;
    EXPECT_NE(imported.out.find("勤務記録 22 件"), std::string::npos) << imported.out;
    const auto again = test::RunCli(
        clock.Path(), "db import '" + folder.Path().string() + "' --database '" + database + "'");
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("何も追加しませんでした"), std::string::npos) << again.out;

    for (const std::string& step : {"settings set --store postgresql --database '" + database + "'",
                                    std::string("settings set --day-change 5")}) {
        const auto result = test::RunCli(clock.Path(), step);
        ASSERT_EQ(result.exitCode, 0) << step << ": " << result.out << result.err;
    }
    const auto onDatabase = TakeOut(clock.Path(), scratch.Path());
    for (const auto& [name, bytes] : onFolder) EXPECT_EQ(onDatabase.at(name), bytes) << name;

    // A tap on the database, then the folder written back: the folder store reads it as its
    // own, and the administrator logs in with the password the export gave.
    ASSERT_EQ(test::RunCli(clock.Path(), "tap 0123456789ABCDEF --start",
                           test::AtTime("2026-06-30 09:00:00"))
                  .exitCode,
              0);
    const auto exported = test::RunCli(clock.Path(), "db export '" + back.Path().string() + "'");
    ASSERT_EQ(exported.exitCode, 0) << exported.out << exported.err;
    ASSERT_EQ(test::RunCli(back.Path(), "settings set --day-change 5").exitCode, 0);
    auto onBack = TakeOut(back.Path(), scratch.Path());
    const auto onDatabaseNow = TakeOut(clock.Path(), scratch.Path());
    for (const auto& [name, bytes] : onDatabaseNow) EXPECT_EQ(onBack.at(name), bytes) << name;
    EXPECT_NE(onBack.at("records").find("2026/06/30,09:00"), std::string::npos);
    const auto said = exported.out.find("boss: ");
    ASSERT_NE(said, std::string::npos) << exported.out;
    const std::string password = exported.out.substr(said + 6, 12);
    CFolderAdminStore admins{CAdminFile(RuntimeOf(back.Path()))};
    EXPECT_TRUE(admins.LoginWithPassword("boss", password));
    EXPECT_TRUE(admins.LoginWithCard("1111222233334444"));

    // The folder written back is not imported over the records already there.
    const auto refused = test::RunCli(
        clock.Path(), "db import '" + back.Path().string() + "' --database '" + database + "'");
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.err.find("もう記録があります"), std::string::npos) << refused.err;
}

}  // namespace stampwell
