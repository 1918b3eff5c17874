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

TEST(ErrorLog, ALogThatCannotBeOpenedIsSkippedQuietly) {
    test::CTempDir dir;
    // A folder in the log's place cannot be opened for appending, even by root.
    std::filesystem::create_directory(dir / "ErrorLog.txt");
    ErrorLog(dir.Path(), 1, "f", "g");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "ErrorLog.txt"));
}

}  // namespace stampwell
