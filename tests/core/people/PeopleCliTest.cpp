#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::RunCli;

TEST(PeopleCli, UsersCanBeAddedListedChangedAndDeleted) {
    test::CTempDir dir;
    auto data = dir / "data";
    EXPECT_EQ(RunCli(data, "users add --card 012E00FF12345678 --name User1").exitCode, 0);
    EXPECT_EQ(RunCli(data,
                     "users add --card 0123456789ABCDEF --name '山田 太郎' --mail-name 部長 "
                     "--mail-address boss@example.com")
                  .exitCode,
              0);
    auto list = RunCli(data, "users list");
    EXPECT_EQ(list.out,
              "012E00FF12345678,User1,,\n0123456789ABCDEF,山田 太郎,部長,boss@example.com\n");

    EXPECT_EQ(RunCli(data,
                     "users change --name User1 --new-name 鈴木 --mail-name 課長 "
                     "--mail-address k@example.com")
                  .exitCode,
              0);
    EXPECT_EQ(RunCli(data, "users delete --name '山田 太郎'").exitCode, 0);
    EXPECT_EQ(RunCli(data, "users list").out, "012E00FF12345678,鈴木,課長,k@example.com\n");
}

TEST(PeopleCli, UserChecksRefuseWithTheReason) {
    test::CTempDir dir;
    auto data = dir / "data";
    RunCli(data, "users add --card 012E00FF12345678 --name User1");
    struct Case {
        std::string args, reason;
    };
    for (const auto& c : std::vector<Case>{
             {"users add --card 012E00FF12345678 --name Other", "すでに登録されているカードです。"},
             {"users add --card 012E00FF1234567 --name Other", "16桁"},
             {"users add --card 012e00ff12345678 --name Other", "すでに登録されているカードです。"},
             {"users add --card 012E00FF12345679 --name ''", "登録名が入力されていません。"},
             {"users add --card 012E00FF12345679 --name Ok --mail-name M --mail-address "
              "m.example.com",
              "受信アドレス"},
             {"users add --card 012E00FF12345679 --name Ok --mail-name M --mail-address 'm @x.jp'",
              "受信アドレス"},
             {"users change --name User1 --new-name ''", "登録名が入力されていません。"},
             {"users add --card 012E00FF12345679 --name 'a,b'", "カンマ"},
             {"users add --card 012E00FF12345679 --name " + std::string(33, 'x'), "32バイト"},
             {"users add --card 012E00FF12345679 --name Ok --mail-name M",
              "受信者名と受信アドレス"},
             {"users change --name Nobody --new-name X", "登録されていない"},
         }) {
        auto result = RunCli(data, c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << c.args << ": " << result.err;
    }
    EXPECT_EQ(RunCli(data, "users add --name NoCard").exitCode, 2);
    EXPECT_EQ(RunCli(data, "users list").out, "012E00FF12345678,User1,,\n");
}

TEST(PeopleCli, AdministratorsFollowTheDialogRules) {
    test::CTempDir dir;
    auto data = dir / "data";
    EXPECT_EQ(RunCli(data, "admins add --id boss --password secret").exitCode, 0);
    EXPECT_EQ(RunCli(data, "admins add --id boss --password x").exitCode, 1);
    EXPECT_EQ(RunCli(data, "admins add --id two --password 'a b'").exitCode, 1);
    EXPECT_EQ(RunCli(data, "admins add --id two --password p --card 0123456789ABCDEF").exitCode, 0);
    auto taken = RunCli(data, "admins change --id boss --card 0123456789ABCDEF");
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_NE(taken.err.find("既に登録されたカードです。"), std::string::npos);
    EXPECT_EQ(RunCli(data, "admins add --id three --password p").exitCode, 0);
    auto fourth = RunCli(data, "admins add --id four --password p");
    EXPECT_EQ(fourth.exitCode, 1);
    EXPECT_NE(fourth.err.find("これ以上の管理者は作成できません。"), std::string::npos);

    EXPECT_EQ(RunCli(data, "admins change --id two --new-id deux --no-card").exitCode, 0);
    EXPECT_EQ(RunCli(data, "admins delete --id three").exitCode, 0);
    auto list = RunCli(data, "admins list");
    EXPECT_EQ(list.out, "boss (カード未登録)\ndeux (カード未登録)\n");
    EXPECT_EQ(list.out.find("secret"), std::string::npos);
}

TEST(PeopleCli, OneNameAndOneCardBelongToOneEmployee) {
    test::CTempDir dir;
    auto data = dir / "data";
    ASSERT_EQ(RunCli(data, "users add --card AAAAAAAAAAAAAAAA --name Alice").exitCode, 0);
    ASSERT_EQ(RunCli(data, "users add --card BBBBBBBBBBBBBBBB --name Bob").exitCode, 0);
    struct Case {
        std::string args, reason;
    };
    for (const auto& c : std::vector<Case>{
             {"users add --card CCCCCCCCCCCCCCCC --name Alice", "既に登録された登録名です。"},
             {"users add --card CCCCCCCCCCCCCCCC --name 'Alice '", "空白"},
             {"users add --card CCCCCCCCCCCCCCCC --name ' Alice'", "空白"},
             {"users add --card CCCCCCCCCCCCCCCC --name '　Alice'", "空白"},
             {"users add --card CCCCCCCCCCCCCCCC --name 'Alice　'", "空白"},
             {"users add --card CCCCCCCCCCCCCCCC --name '   '", "空白"},
             {"users change --name Bob --new-name Alice", "既に登録された登録名です。"},
             {"users change --name Bob --card AAAAAAAAAAAAAAAA",
              "すでに登録されているカードです。"},
         }) {
        auto result = RunCli(data, c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << c.args << ": " << result.err;
    }
    // Keeping one's own name or card is no conflict.
    EXPECT_EQ(
        RunCli(data, "users change --name Bob --new-name Bob --card BBBBBBBBBBBBBBBB").exitCode, 0);
    EXPECT_EQ(RunCli(data, "users list").out, "AAAAAAAAAAAAAAAA,Alice,,\nBBBBBBBBBBBBBBBB,Bob,,\n");
}

TEST(PeopleCli, TwoProcessesChangingTheRegisterLoseNothing) {
    test::CTempDir dir;
    auto data = dir / "data";
    std::filesystem::create_directory(data);
    // Two writers at once, each adding 60 people (each command its own process).
    auto script = [&](int writer, const std::string& verb) {
        std::string command = "for i in $(seq 10 69); do '" STAMPWELL_CLI_PATH "' --data-dir '" +
                              data.string() + "' users " + verb;
        if (verb == "add") {
            command += " --card " + std::to_string(writer) + "0000000000000$i --name W" +
                       std::to_string(writer) + "-$i";
        } else {
            command += " --name W" + std::to_string(writer) + "-$i";
        }
        return command + " >/dev/null 2>&1 || echo fail; done";
    };
    auto both = [&](const std::string& verb) {
        std::string command = "(" + script(1, verb) + ") & (" + script(2, verb) + ") & wait";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[256];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
        ::pclose(pipe);
        return out;
    };
    EXPECT_EQ(both("add"), "");
    auto list = RunCli(data, "users list").out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 120);
    EXPECT_EQ(both("delete"), "");
    EXPECT_EQ(RunCli(data, "users list").out, "");
}

TEST(PeopleCli, ChangesSayWhatWasDoneAndCardsAreStoredInUpperCase) {
    test::CTempDir dir;
    auto data = dir / "data";
    auto added = RunCli(data, "users add --card 012e00ff12345678 --name '山田 太郎'");
    EXPECT_EQ(added.out, "登録しました: 山田 太郎\n");
    EXPECT_EQ(
        RunCli(data, "users change --name '山田 太郎' --new-name 山田 --card abcdef0123456789").out,
        "変更しました: 山田\n");
    EXPECT_EQ(RunCli(data, "users list").out, "ABCDEF0123456789,山田,,\n");
    EXPECT_EQ(RunCli(data, "users delete --name 山田").out, "削除しました: 山田\n");

    // The password from standard input, not from the command line.
    auto admin = RunCli(data, "admins add --id boss --password-stdin --card abcdefabcdefabcd",
                        "printf 'secret\\n' |");
    EXPECT_EQ(admin.exitCode, 0) << admin.err;
    EXPECT_EQ(admin.out, "登録しました: boss\n");
    EXPECT_EQ(RunCli(data, "admins list").out, "boss (カード登録あり)\n");
    EXPECT_EQ(
        RunCli(data, "admins change --id boss --password-stdin", "printf 'newpw\\n' |").exitCode,
        0);
    // The last administrator goes only with --force, and with a warning.
    auto refused = RunCli(data, "admins delete --id boss");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    auto forced = RunCli(data, "admins delete --id boss --force");
    EXPECT_EQ(forced.exitCode, 0);
    EXPECT_EQ(forced.out, "削除しました: boss\n");
    EXPECT_NE(forced.err.find("最初の管理者"), std::string::npos);

    // The global options may follow the command too.
    std::string command = "'" STAMPWELL_CLI_PATH "' users list --data-dir '" + data.string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_FALSE(read);  // nobody left after the delete, and no complaint either

    // Usage lines name the program, not where it lives.
    auto usage = RunCli(data, "users lst");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.err.find(STAMPWELL_CLI_PATH), std::string::npos) << usage.err;
    EXPECT_NE(RunCli(data, "--help").out.find("使い方: stampwell-cli "), std::string::npos);
}

}  // namespace stampwell
