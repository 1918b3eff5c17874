#include <gtest/gtest.h>

#include "workfile/WorkRecordTable.h"

namespace stampwell {

TEST(WorkRecordTable, MergesStartAndEndAndKeepsDateOrderThenInsertionOrder) {
    WorkRecordTable table;
    table.MergeRecord({"B", "2011/08/26", "09:00", ""});
    table.MergeRecord({"A", "2011/08/25", "", "18:00"});
    table.MergeRecord({"C", "2011/08/26", "10:00", ""});
    table.MergeRecord({"A", "2011/08/25", "09:00", ""});
    table.MergeRecord({"A", "2011/08/25", "", "19:00"});  // the later end wins
    auto records = table.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (WorkDayRecord{"A", "2011/08/25", "09:00", "19:00"}));
    EXPECT_EQ(records[1].name, "B");
    EXPECT_EQ(records[2].name, "C");
}

TEST(WorkRecordTable, PutReplacesInsertsOrRemoves) {
    WorkRecordTable table;
    table.PutRecord({"A", "2011/08/25", "", ""});
    EXPECT_EQ(table.Size(), 0u);
    table.PutRecord({"A", "2011/08/25", "09:00", ""});
    table.PutRecord({"B", "2011/08/25", "09:30", ""});
    table.PutRecord({"A", "2011/08/25", "08:55", "17:00"});
    EXPECT_EQ(table.FindRecord("A", "2011/08/25"),
              (std::pair<std::string, std::string>{"08:55", "17:00"}));
    EXPECT_EQ(table.FindRecord("A   ", "2011/08/25").first, "08:55");  // padding does not count
    table.PutRecord({"A", "2011/08/25", "", ""});
    EXPECT_EQ(table.FindRecord("A", "2011/08/25"), (std::pair<std::string, std::string>{}));
    EXPECT_EQ(table.FindRecord("B", "2011/08/25").first, "09:30");
    EXPECT_EQ(table.Size(), 1u);
    table.Clear();
    EXPECT_TRUE(table.Records().empty());
}

}  // namespace stampwell
