#include <gtest/gtest.h>

#include <regex>

#include "diagnostics/ErrorLog.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(ErrorLog, AppendsOneCrLfLinePerCallInOrder) {
    test::CTempDir dir;
    ErrorLog(dir.Path(), 120, "CWorkReport::RegistTemp", "/src/core/recording/WorkReport.cpp");
    ErrorLog(dir.Path(), 7, "CWorkReport::Export", "WorkReport.cpp");
    std::string log = test::ReadBytes(dir / "ErrorLog.txt");
    std::regex line(
        "Line = 120, Data = [A-Z][a-z]{2} [ 0-9]\\d \\d{4}, Func = CWorkReport::RegistTemp, "
        "FileName = WorkReport.cpp\r\n"
        "Line = 7, Data = [A-Z][a-z]{2} [ 0-9]\\d \\d{4}, Func = CWorkReport::Export, "
        "FileName = WorkReport.cpp\r\n");
    EXPECT_TRUE(std::regex_match(log, line)) << log;
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
