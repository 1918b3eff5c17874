// The office's work rules: the file, the checks the screen and the command share, the merge.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/FileLock.h"
#include "settings/WorkRules.h"
#include "settings/WorkRulesForm.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(WorkRules, NoFileMeansTheLegalMinimumAndSundays) {
    test::CTempDir dir;
    CWorkRules rules;
    rules.weekStart = 3;
    ASSERT_TRUE(rules.Load(dir.Path()));
    EXPECT_EQ(rules, CWorkRules{});
    EXPECT_EQ(rules.breaks, CWorkRules::EBreaks::kLegal);
    EXPECT_EQ(rules.weekStart, 0);
    EXPECT_EQ(rules.restDay, 0);
}

TEST(WorkRules, TheFileIsCp932WithCrLfAndReadsBackInAnyOrder) {
    test::CTempDir dir;
    CWorkRules rules;
    rules.breaks = CWorkRules::EBreaks::kFixed;
    rules.windows = *CWorkRules::ParseWindows("15:00-15:15,12:00-13:00");
    rules.weekStart = 1;
    rules.restDay = CWorkRules::kNoRestDay;
    ASSERT_TRUE(rules.Write(dir.Path()));
    EXPECT_EQ(test::ReadBytes(dir / "WorkRules.txt"),
              test::Sjis("休憩,固定\r\n固定休憩,12:00-13:00 15:00-15:15\r\n週の起算日,月\r\n"
                         "法定休日,なし\r\n週の法定労働時間,40\r\n協定の起算月,4\r\n"));
    CWorkRules read;
    ASSERT_TRUE(read.Load(dir.Path()));
    EXPECT_EQ(read, rules);

    // Written by hand: LF only, keys in another order, a key this version does not know.
    test::WriteBytes(dir / "WorkRules.txt",
                     test::Sjis("法定休日,土\n色,青\n週の起算日,sat\n休憩,legal\n"));
    std::vector<std::string> unread;
    ASSERT_TRUE(read.Load(dir.Path(), &unread));
    EXPECT_EQ(read.restDay, 6);
    EXPECT_EQ(read.weekStart, 6);
    EXPECT_EQ(read.breaks, CWorkRules::EBreaks::kLegal);
    EXPECT_TRUE(unread.empty());
}

TEST(WorkRules, AValueThatDoesNotReadKeepsItsDefaultAndIsNamed) {
    test::CTempDir dir;
    test::WriteBytes(dir / "WorkRules.txt",
                     test::Sjis("休憩,固定\r\n固定休憩,12:00-25:00\r\n週の起算日,八\r\n"));
    CWorkRules rules;
    std::vector<std::string> unread;
    ASSERT_TRUE(rules.Load(dir.Path(), &unread));
    // Fixed breaks without a window that reads would deduct nothing: the legal minimum holds.
    EXPECT_EQ(rules.breaks, CWorkRules::EBreaks::kLegal);
    EXPECT_EQ(rules.weekStart, 0);
    // Each named once (the report and rules show print one warning per rule).
    EXPECT_EQ(unread, (std::vector<std::string>{"固定休憩", "週の起算日"}));
    // Windows that overlap would deduct the same minutes twice.
    test::WriteBytes(dir / "WorkRules.txt",
                     test::Sjis("休憩,固定\r\n固定休憩,12:00-13:00 12:30-13:30\r\n"));
    ASSERT_TRUE(rules.Load(dir.Path(), &unread));
    EXPECT_TRUE(rules.windows.empty());
    EXPECT_EQ(rules.breaks, CWorkRules::EBreaks::kLegal);
}

TEST(WorkRules, WindowsAndWeekdaysAsTyped) {
    for (const char* good : {"", "12:00-13:00", "9:30-9:45", "12:00-13:00  15:00-15:15",
                             "23:00-24:00", "03:00-04:00,12:00-13:00"}) {
        EXPECT_TRUE(CWorkRules::ParseWindows(good).has_value()) << good;
    }
    for (const char* bad : {"12:00", "13:00-12:00", "12:00-12:00", "12:60-13:00", "24:30-25:00",
                            "12:00-13:00-14:00", "noon", "-1:00-2:00", "12:00-13:00x"}) {
        EXPECT_FALSE(CWorkRules::ParseWindows(bad).has_value()) << bad;
    }
    EXPECT_EQ(CWorkRules::WindowsText(*CWorkRules::ParseWindows("9:30-9:45")), "09:30-09:45");
    EXPECT_EQ(CWorkRules::ParseWeekday("水", false), 3);
    EXPECT_EQ(CWorkRules::ParseWeekday("水曜日", false), 3);
    EXPECT_EQ(CWorkRules::ParseWeekday("wed", false), 3);
    EXPECT_EQ(CWorkRules::ParseWeekday("なし", true), CWorkRules::kNoRestDay);
    EXPECT_FALSE(CWorkRules::ParseWeekday("なし", false).has_value());
    EXPECT_FALSE(CWorkRules::ParseWeekday("", true).has_value());
}

TEST(WorkRulesForm, TypedTextsAreCheckedWithAMessage) {
    test::CRecordingMessageSink messages;
    const CWorkRules base;
    auto texts = CWorkRulesForm::TextsOf(base);
    EXPECT_EQ(texts.breaks, "法定");
    EXPECT_EQ(texts.restDay, "日");
    texts.breaks = "固定";
    EXPECT_FALSE(CWorkRulesForm::Read(texts, base, messages));
    EXPECT_EQ(messages.messages.back().rfind("固定休憩には休憩時間帯を", 0), 0u);
    texts.windows = "12:00-13:00 12:30-12:45";
    EXPECT_FALSE(CWorkRulesForm::Read(texts, base, messages));
    EXPECT_EQ(messages.messages.back(), "休憩時間帯が重なっています。");
    texts.windows = "12:00-1300";
    EXPECT_FALSE(CWorkRulesForm::Read(texts, base, messages));
    EXPECT_EQ(messages.messages.back().rfind("休憩時間帯が正しくありません。", 0), 0u);
    texts.windows = "12:00-13:00";
    texts.restDay = "毎日";
    EXPECT_FALSE(CWorkRulesForm::Read(texts, base, messages));
    EXPECT_EQ(messages.messages.back(),
              "法定休日は日～土のどれか、または「なし」を指定してください。");
    texts.restDay = "なし";
    auto rules = CWorkRulesForm::Read(texts, base, messages);
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->breaks, CWorkRules::EBreaks::kFixed);
    EXPECT_EQ(rules->restDay, CWorkRules::kNoRestDay);
}

TEST(WorkRulesCli, ShowAndSetWithTheScreensChecks) {
    test::CTempDir dir;
    auto shown = test::RunCli(dir.Path(), "rules show");
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("休憩: 法定"), std::string::npos);
    EXPECT_NE(shown.out.find("法定休日: 日"), std::string::npos);
    EXPECT_NE(shown.out.find("（なし: 既定値）"), std::string::npos);

    // Windows given alone: the office takes its breaks in them.
    auto set = test::RunCli(dir.Path(),
                            "rules set --windows '12:00-13:00 15:00-15:15' "
                            "--week-start 月 --rest-day none");
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const std::string written = test::ReadBytes(dir / "WorkRules.txt");
    EXPECT_EQ(written, test::Sjis("休憩,固定\r\n固定休憩,12:00-13:00 15:00-15:15\r\n"
                                  "週の起算日,月\r\n法定休日,なし\r\n週の法定労働時間,40\r\n"
                                  "協定の起算月,4\r\n"));

    // A refused value: a message, exit 1, the file unchanged.
    for (const char* refused : {"--windows 12-13", "--rest-day 毎日", "--week-start なし",
                                "--breaks 半分", "--breaks 固定 --windows ''", "--rest-day ''"}) {
        auto result = test::RunCli(dir.Path(), std::string("rules set ") + refused);
        EXPECT_EQ(result.exitCode, 1) << refused;
        EXPECT_FALSE(result.err.empty()) << refused;
        EXPECT_EQ(test::ReadBytes(dir / "WorkRules.txt"), written) << refused;
    }
    // Back to the legal minimum: the windows stay in the file for a later switch back.
    ASSERT_EQ(test::RunCli(dir.Path(), "rules set --breaks 法定").exitCode, 0);
    shown = test::RunCli(dir.Path(), "rules show");
    EXPECT_NE(shown.out.find("休憩: 法定"), std::string::npos);
    EXPECT_NE(shown.out.find("固定休憩: 12:00-13:00 15:00-15:15"), std::string::npos);
    EXPECT_NE(shown.out.find("週の起算日: 月"), std::string::npos);
}

TEST(WorkRulesCli, TwoProgramsAtOnceKeepBothChangesAndAPlantedLinkIsRefused) {
    test::CTempDir dir;
    // Two administrators' scripts change different rules at the same moment, ten times over.
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(test::RunCli(dir.Path(), "rules set --week-start 日 --rest-day 日").exitCode, 0);
        const std::string cli = "'" STAMPWELL_CLI_PATH "' --data-dir '" + dir.Path().string() + "'";
        const std::string both = "(" + cli + " rules set --week-start 月 >/dev/null & " + cli +
                                 " rules set --rest-day 土 >/dev/null & wait)";
        ASSERT_EQ(std::system(both.c_str()), 0);
        CWorkRules rules;
        ASSERT_TRUE(rules.Load(dir.Path()));
        EXPECT_EQ(rules.weekStart, 1) << "round " << round;
        EXPECT_EQ(rules.restDay, 6) << "round " << round;
    }

    // A link where the file belongs never lets a save write elsewhere.
    test::CTempDir outside;
    test::WriteBytes(outside / "target.txt", "keep");
    std::filesystem::remove(dir / "WorkRules.txt");
    std::filesystem::create_symlink(outside / "target.txt", dir / "WorkRules.txt");
    auto result = test::RunCli(dir.Path(), "rules set --rest-day なし");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(test::ReadBytes(outside / "target.txt"), "keep");
}

}  // namespace stampwell

namespace stampwell {

TEST(WorkRulesCli, ASetKeepsEveryLineItDidNotTouchAndWarnsOnce) {
    test::CTempDir dir;
    const std::string file = "休憩,固定\r\n固定休憩,25:00-26:00\r\n週の起算日,X\r\n# 総務メモ\r\n";
    test::WriteBytes(dir / "WorkRules.txt", test::Sjis(file));
    auto shown = test::RunCli(dir.Path(), "rules show");
    EXPECT_EQ(shown.exitCode, 0);
    // One warning per rule that did not read; fixed breaks that cannot be read say that the
    // breaks are now counted by length.
    EXPECT_EQ(shown.err,
              "WorkRules.txt の「固定休憩」の休憩時間帯が読めないため、休憩は勤務の長さで（法定の最"
              "低限を）数えます。\n"
              "WorkRules.txt の「週の起算日」の値が読めないため、既定値を使います。\n");

    ASSERT_EQ(test::RunCli(dir.Path(), "rules set --rest-day 土 --week-hours 44").exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "WorkRules.txt"),
              test::Sjis("休憩,固定\r\n固定休憩,25:00-26:00\r\n週の起算日,X\r\n法定休日,土\r\n"
                         "週の法定労働時間,44\r\n協定の起算月,4\r\n# 総務メモ\r\n"));
    // A rule given by name is set, even to the value in force meanwhile.
    ASSERT_EQ(test::RunCli(dir.Path(), "rules set --breaks 法定 --week-start 月").exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "WorkRules.txt"),
              test::Sjis("休憩,法定\r\n固定休憩,25:00-26:00\r\n週の起算日,月\r\n法定休日,土\r\n"
                         "週の法定労働時間,44\r\n協定の起算月,4\r\n# 総務メモ\r\n"));
    for (const char* refused :
         {"--week-hours 42", "--agreement-start 13", "--agreement-start ''"}) {
        EXPECT_NE(test::RunCli(dir.Path(), std::string("rules set ") + refused).exitCode, 0)
            << refused;
    }
    ASSERT_EQ(test::RunCli(dir.Path(), "rules set --agreement-start 10").exitCode, 0);
    EXPECT_NE(test::RunCli(dir.Path(), "rules show").out.find("協定の起算月: 10月"),
              std::string::npos);
}

}  // namespace stampwell

namespace stampwell {

TEST(WorkRules, LinesOfNoRuleAndRepeatedKeysReadBackAsTheyWereWritten) {
    test::CTempDir dir;
    // A bare key with no value, a key given twice (the last line counts), and a value that
    // does not read after one that does (the rule goes back to its default).
    test::WriteBytes(dir / "WorkRules.txt",
                     test::Sjis("休憩\r\n週の起算日,X\r\n週の起算日,月\r\n法定休日,土\r\n"
                                "法定休日,毎日\r\n"));
    CWorkRules rules;
    std::vector<std::string> unread;
    ASSERT_TRUE(rules.Load(dir.Path(), &unread));
    EXPECT_EQ(rules.breaks, CWorkRules::EBreaks::kLegal);
    EXPECT_EQ(rules.weekStart, 1);
    EXPECT_EQ(rules.restDay, 0);
    EXPECT_EQ(unread, (std::vector<std::string>{"法定休日"}));
    ASSERT_TRUE(rules.Write(dir.Path()));
    EXPECT_EQ(test::ReadBytes(dir / "WorkRules.txt"),
              test::Sjis("休憩,法定\r\n固定休憩,\r\n週の起算日,月\r\n法定休日,毎日\r\n"
                         "週の法定労働時間,40\r\n協定の起算月,4\r\n休憩\r\n"));
    CWorkRules again;
    ASSERT_TRUE(again.Load(dir.Path()));
    EXPECT_EQ(again, rules);
}

}  // namespace stampwell
