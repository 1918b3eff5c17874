#include <gtest/gtest.h>

#include <regex>

#include "diagnostics/ErrorLog.h"
#include "platform/LocalTime.h"
#include "platform/ManualClock.h"
#include "support/TestSupport.h"
#include "text/TextCodec.h"

namespace stampwell {

TEST(ErrorLog, AppendsOneCrLfLinePerCallInOrderWithTheEventsLocalTimeInJapanese) {
    test::CTempDir dir;
    // 2026-12-09 04:59:07 in Tokyo: the office reads when it happened, not when we built it.
    CManualClock clock(CLocalTime::FromLocal(2026, 12, 9, 4, 59, 7));
    ErrorLog(dir.Path(), 120, "一時ファイルの記録を移せませんでした (CWorkReport::RegistTemp)",
             "/src/core/recording/WorkReport.cpp", &clock);
    clock.Advance(61);
    ErrorLog(dir.Path(), 7, "CWorkReport::Export", "WorkReport.cpp", &clock);
    EXPECT_EQ(CTextCodec::FromCp932(test::ReadBytes(dir / "ErrorLog.txt")),
              "Line = 120, Data = 2026/12/09 04:59:07, Func = 一時ファイルの記録を移せませんでした "
              "(CWorkReport::RegistTemp), FileName = WorkReport.cpp\r\n"
              "Line = 7, Data = 2026/12/09 05:00:08, Func = CWorkReport::Export, "
              "FileName = WorkReport.cpp\r\n");
    // Without a clock of its own the line carries the system's time, in the same shape.
    ErrorLog(dir.Path(), 1, "f", "g");
    const std::string log = test::ReadBytes(dir / "ErrorLog.txt");
    EXPECT_TRUE(std::regex_search(
        log, std::regex("\r\nLine = 1, Data = \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d, Func = f, "
                        "FileName = g\r\n$")))
        << log;
}

TEST(ErrorLog, ALogThatCannotBeOpenedIsSkippedQuietlyAndALinkIsNeverFollowed) {
    test::CTempDir dir;
    // A folder in the log's place cannot be opened for appending, even by root: nothing is
    // written anywhere, and the caller goes on.
    std::filesystem::create_directory(dir / "ErrorLog.txt");
    ErrorLog(dir.Path(), 1, "f", "g");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "ErrorLog.txt"));
    EXPECT_EQ(test::FilesIn(dir.Path()), std::vector<std::string>{"ErrorLog.txt"});
    // A link planted as the log does not carry the line to the file it names.
    std::filesystem::remove(dir / "ErrorLog.txt");
    test::WriteBytes(dir / "other.txt", "theirs\n");
    std::filesystem::create_symlink(dir / "other.txt", dir / "ErrorLog.txt");
    ErrorLog(dir.Path(), 1, "f", "g");
    EXPECT_EQ(test::ReadBytes(dir / "other.txt"), "theirs\n");
}

}  // namespace stampwell
