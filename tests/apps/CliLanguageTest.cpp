// The command-line tool as a Japanese office meets it: help, refusals and listings.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <utility>
#include <vector>

#include "JapaneseHelpFormatter.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {
bool HasJapanese(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return true;
    }
    return false;
}

// Terminal columns of our help texts: every character of three UTF-8 bytes (kana, kanji,
// full-width forms) takes two, ASCII one.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++columns;
        } else if (c >= 0xE0) {
            columns += 2;
            i += 2;
        }
    }
    return columns;
}

// Every described line of a help text ("  --name VALUE   description") says it in Japanese,
// each description starts in the same column whatever the value's name, and nothing runs past
// a terminal's 80 columns.
void ExpectJapaneseHelp(const std::string& help, const std::string& command) {
    std::istringstream lines(help);
    std::string line;
    int described = 0;
    bool usage = true;  // the first lines (description and usage) are free text
    while (std::getline(lines, line)) {
        if (line.empty()) usage = false;
        if (usage) continue;
        // (a path stands on a line of its own, however long)
        if (HasJapanese(line) && line.find('/') == std::string::npos) {
            EXPECT_LE(Columns(line), 80u) << command << ": " << line;
        }
        EXPECT_FALSE(line.ends_with(" ")) << command << ": [" << line << "]";
        if (!line.starts_with("  ")) continue;
        // A wrapped description never starts a line with a closing mark.
        const auto start = line.find_first_not_of(' ');
        for (const char* mark : {"、", "。", "）", "」"}) {
            EXPECT_NE(line.compare(start, std::string(mark).size(), mark), 0) << line;
        }
        const auto gap = line.find("  ", 2);
        if (gap == std::string::npos || line[2] == ' ') continue;  // a wrapped line goes on
        const auto text = line.find_first_not_of(' ', gap);
        ++described;
        EXPECT_TRUE(HasJapanese(line.substr(gap))) << command << ": " << line;
        EXPECT_EQ(Columns(line.substr(0, text)), 34u) << command << ": " << line;
    }
    EXPECT_GT(described, 0) << command << "\n" << help;
}
}  // namespace

TEST(CliLanguage, EveryHelpTextIsJapaneseAndNamesTheRealDefaultFolder) {
    test::CTempDir dir;
    const auto data = dir / "data";
    for (const char* command :
         {"",       "settings",   "settings set",  "users",         "users add",  "users change",
          "admins", "admins add", "admins change", "admins delete", "records",    "export",
          "edits",  "report",     "reader",        "tap",           "mail",       "mail test",
          "rules",  "rules set",  "limits",        "leave",         "leave take", "timesheet"}) {
        const auto help = test::RunCli(data, std::string(command) + " --help");
        EXPECT_EQ(help.exitCode, 0) << command;
        ExpectJapaneseHelp(help.out, command);
        EXPECT_NE(help.out.find("使い方: stampwell-cli"), std::string::npos) << help.out;
    }
    const auto top = test::RunCli(data, "--help").out;
    EXPECT_EQ(top.find("folder of this executable"), std::string::npos);
    EXPECT_EQ(top.find("in file order"), std::string::npos);
    // The default shown is the folder the program would really use.
    const auto folder = top.find("データフォルダ（既定:");
    ASSERT_NE(folder, std::string::npos) << top;
    EXPECT_EQ(
        top[top.find_first_not_of(" \n", folder + std::string("データフォルダ（既定:").size())],
        '/')
        << top;
}

// Wrapping a description: Japanese breaks between any two characters, but a closing mark never
// starts a line (it takes the character before it along, or hangs after a line of one piece),
// an ASCII word is never cut, and no line ends in a blank.
TEST(CliLanguage, HelpDescriptionsWrapLikeJapaneseText) {
    using cli::CJapaneseHelpFormatter;
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"あいうえお", {"あいう", "えお"}},
        {"あいう、えお", {"あい", "う、え", "お"}},
        {"/very/long/path）", {"/very/long/path）"}},
        {"ab cd efgh", {"ab cd", "efgh"}},
        {"設定 Setting.txt", {"設定", "Setting.txt"}},
    };
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(CJapaneseHelpFormatter::Wrap(text, 6), lines) << text;
    }
    EXPECT_EQ(CJapaneseHelpFormatter::DisplayWidth("ｶﾅかなAB"), 8u);
}

TEST(CliLanguage, UnknownArgumentsAreNamedAndRefusalsAreJapanese) {
    test::CTempDir dir;
    const auto data = dir / "data";
    for (const char* wrong : {"--bogus", "users --bogus", "users list --bogus", "userz"}) {
        const auto result = test::RunCli(data, wrong);
        EXPECT_EQ(result.exitCode, 2) << wrong;
        const std::string named = std::string(wrong).substr(std::string(wrong).rfind(' ') + 1);
        EXPECT_NE(result.err.find("不明な引数があります: " + named), std::string::npos)
            << wrong << ": " << result.err;
    }
    EXPECT_NE(test::RunCli(data, "").err.find("コマンドを指定してください"), std::string::npos);
    // The hint points at the help of the command that was given.
    for (const auto& [wrong, hint] : std::vector<std::pair<std::string, std::string>>{
             {"users list --bogus", "（使い方: stampwell-cli users list --help）"},
             {"export --year 2026 --month 13 --closing 5 --out x.csv",
              "（使い方: stampwell-cli export --help）"},
             {"users", "（使い方: stampwell-cli users --help）"},
             {"userz", "（使い方: stampwell-cli --help）"}}) {
        const auto result = test::RunCli(data, wrong);
        EXPECT_NE(result.err.find(hint), std::string::npos) << wrong << ": " << result.err;
    }
    // The month's edges are taken, anything else is a usage error with the range, never a crash.
    std::filesystem::create_directories(data);
    const auto december = test::RunCli(data, "report --year 2026 --month 12 --closing end");
    EXPECT_EQ(december.exitCode, 0) << december.err;
    for (const char* month : {"0", "13", "9999", "x", "1e1", "-1", "99999999999"}) {
        const auto result =
            test::RunCli(data, std::string("report --year 2026 --closing end --month ") + month);
        EXPECT_EQ(result.exitCode, 2) << month;
        EXPECT_NE(result.err.find("1～12の数（10進数）で指定してください"), std::string::npos)
            << month << ": " << result.err;
    }
    const auto reader = test::RunCli(data, "reader --reader=bogus --timeout 1");
    EXPECT_NE(reader.exitCode, 0);
    EXPECT_NE(reader.err.find("カードリーダーの指定が正しくありません: bogus"), std::string::npos)
        << reader.err;
}

TEST(CliLanguage, ListsAndSettingsUseTheScreensOrderAndWords) {
    test::CTempDir dir;
    const auto data = dir / "data";
    for (const char* id : {"zed", "Abe", "ｂｅｎ"}) {
        ASSERT_EQ(
            test::RunCli(data, std::string("admins add --id ") + id + " --password pw").exitCode,
            0);
    }
    EXPECT_EQ(test::RunCli(data, "admins list").out,
              "Abe (カード未登録)\nｂｅｎ (カード未登録)\nzed (カード未登録)\n");
    int n = 0;
    for (const char* name : {"Zoe", "あべ", "abe", "阿部"}) {
        char card[32];
        std::snprintf(card, sizeof card, "01010000000000%02d", ++n);
        ASSERT_EQ(test::RunCli(data, std::string("users add --card ") + card + " --name " + name)
                      .exitCode,
                  0);
    }
    const auto users = test::RunCli(data, "users list").out;
    // Each is there (a missing one would compare as the end of the text and pass).
    for (const char* name : {",abe,", ",Zoe,", ",あべ,", ",阿部,"}) {
        EXPECT_NE(users.find(name), std::string::npos) << name << "\n" << users;
    }
    EXPECT_LT(users.find(",abe,"), users.find(",Zoe,"));
    EXPECT_LT(users.find(",Zoe,"), users.find(",あべ,"));
    EXPECT_LT(users.find(",あべ,"), users.find(",阿部,"));

    const auto shown = test::RunCli(data, "settings show").out;
    for (const char* label : {"カード登録者ファイルのパス: ", "勤務登録ファイルのパス: ",
                              "バックアップ: しない", "モード: 1（出退勤: 出社/退社）"}) {
        EXPECT_NE(shown.find(label), std::string::npos) << label << "\n" << shown;
    }
    EXPECT_EQ(shown.find("register file"), std::string::npos) << shown;
}

}  // namespace stampwell
