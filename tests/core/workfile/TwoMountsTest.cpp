// Two office PCs on one shared folder: each mounts it with its own device and inode numbers.
// Taps that take turns between them read today's records, not the ten-year work file, also
// after a month save; the share is the test share (FUSE), which counts what crosses it.
#include <gtest/gtest.h>

#include "WorkFiles.h"
#include "people/CipherRecordFile.h"
#include "platform/ManualClock.h"
#include "settings/EnvironmentSettings.h"
#include "support/ShareMount.h"
#include "support/SharedClock.h"
#include "support/TestSupport.h"
#include "workfile/MonthEdit.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

// A tap on one PC (its own data folder, the work file through its own mount), answered yes.
void Tap(test::SharedClock& pc, int person) {
    pc.t.clock->Set(bench::CWorkFiles::Today());
    pc.report->SetStamp(bench::CWorkFiles::Name(person));
    const int found = pc.report->CheckToday();
    ASSERT_TRUE(found > 0 ? pc.report->OverwriteRecord(found) : pc.report->RegisterStamp());
}

}  // namespace

TEST(TwoMounts, TapsTakingTurnsBetweenTwoPcsReadTodayNotTheWholeFile) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    test::CTempDir root;
    const fs::path share = root / "share";
    fs::create_directories(share);
    fs::copy_file(bench::CWorkFiles::Folder(10) / "KINTAI.dat", share / "KINTAI.dat");
    const auto whole = fs::file_size(share / "KINTAI.dat");
    test::CShareMount one(share, root / "pc1");
    test::CShareMount two(share, root / "pc2");
    ASSERT_TRUE(one.IsMounted() && two.IsMounted());
    struct stat a {
    }, b{};
    ASSERT_EQ(::stat((one.Path() / "KINTAI.dat").c_str(), &a), 0);
    ASSERT_EQ(::stat((two.Path() / "KINTAI.dat").c_str(), &b), 0);
    ASSERT_NE(a.st_dev, b.st_dev);  // what makes a mount-bound index useless

    test::SharedClock first(one.Path(), "data1");
    test::SharedClock second(two.Path(), "data2");
    Tap(first, 0);  // the first tap ever on this file reads it whole, once
    constexpr std::uint64_t kMiB = 1 << 20;
    std::uint64_t most = 0;
    // What crosses the share, not how long it takes (the time belongs to the benchmarks).
    auto turn = [&](test::SharedClock& pc, test::CShareMount& mount, int person) {
        const auto before = mount.BytesRead();
        Tap(pc, person);
        most = std::max(most, mount.BytesRead() - before);
        EXPECT_LT(mount.BytesRead() - before, kMiB) << "person " << person;
    };
    for (int person = 1; person <= 6; ++person) {
        turn(person % 2 ? second : first, person % 2 ? two : one, person);
    }
    // A month save on one PC: the next tap on either reads today's records only.
    first.t.clock->Set(bench::CWorkFiles::Today());
    ASSERT_EQ(first.report->SaveMonth(bench::CWorkFiles::Name(3), 2025, 12, {{1, 0, "09:00", ""}}),
              CWorkReport::ESaveOutcome::kSaved);
    turn(second, two, 7);
    turn(first, one, 8);
    RecordProperty("most_bytes_per_tap", std::to_string(most));
    RecordProperty("work_file_bytes", std::to_string(whole));
}

}  // namespace stampwell

namespace stampwell {

// Just after a PC's connection to the share drops, its client still answers the folder's
// attributes from its cache while every open, lock and write fails with ENOTCONN: the taps of
// that moment wait in the temporary file, as when the folder is missing, and move once the
// share answers again.
TEST(TwoMounts, TapsMadeWhileTheConnectionToTheShareIsDroppedWaitInTheTemporaryFile) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    test::CTempDir root;
    const fs::path share = root / "share";
    fs::create_directories(share);
    test::CShareMount mount(share, root / "pc1");
    ASSERT_TRUE(mount.IsMounted());
    test::SharedClock pc(mount.Path());
    ASSERT_EQ(pc.Tap("Ito", 9, 0), 1);
    mount.Drop(true);
    EXPECT_EQ(pc.Tap("Abe", 9, 1), 1);
    EXPECT_EQ(pc.Tap("Ueda", 9, 2), 1);
    EXPECT_EQ(pc.Tap("Ito", 18, 0, true), 1);
    EXPECT_TRUE(pc.t.sink->messages.empty()) << pc.t.sink->messages.front();
    EXPECT_EQ(fs::file_size(pc.dataDir / "TemporaryRecord.dat"), 3u * 51);
    EXPECT_EQ(fs::file_size(share / "KINTAI.dat"), 51u);
    mount.Drop(false);
    EXPECT_EQ(pc.Tap("Sato", 9, 30), 1);
    EXPECT_EQ(fs::file_size(share / "KINTAI.dat"), 5u * 51);
    EXPECT_FALSE(fs::exists(pc.dataDir / "TemporaryRecord.dat") &&
                 fs::file_size(pc.dataDir / "TemporaryRecord.dat") > 0);
}

}  // namespace stampwell

namespace stampwell {

// A month save on one PC works its part out before its lock: what the other PC does through its
// own mount meanwhile (a clock-in overwritten, another month saved far back) is seen there (the
// count in the lock file, whatever the device numbers) and kept.
TEST(TwoMounts, WhatTheOtherPcChangesWhileAMonthSaveIsWorkedOutIsKept) {
    if (const std::string why = test::CShareMount::WhyNot(); !why.empty()) GTEST_SKIP() << why;
    test::CTempDir root;
    const fs::path share = root / "share";
    fs::create_directories(share);
    std::string bytes;
    for (int month = 1; month <= 8; ++month) {
        for (int day = 1; day <= 24; ++day) {
            char date[16];
            std::snprintf(date, sizeof date, "2011/%02d/%02d", month, day);
            for (const char* who : {"A", "B"})
                bytes += CCipherRecordFile::Encipher(test::Line(who, date, "09:00", false), 51);
        }
    }
    test::WriteBytes(share / "KINTAI.dat", bytes);
    test::CShareMount one(share, root / "pc1");
    test::CShareMount two(share, root / "pc2");
    ASSERT_TRUE(one.IsMounted() && two.IsMounted());
    test::SharedClock first(one.Path(), "data1");
    test::SharedClock second(two.Path(), "data2");
    ASSERT_EQ(second.Tap("B", 8, 50), 1);
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(first.report->LoadMonth("A", 2011, 3, days));
    CWorkReport::SaveHooks hooks;
    hooks.prepared = [&] {
        EXPECT_EQ(second.Tap("B", 9, 10), 2);
        EXPECT_EQ(second.report->SaveMonth("B", 2011, 5, {{3, 0, "09:00", "08:00"}}),
                  CWorkReport::ESaveOutcome::kSaved);
    };
    ASSERT_EQ(first.report->SaveMonth("A", 2011, 3, {{2, 1, "", "18:00"}}, nullptr, hooks),
              CWorkReport::ESaveOutcome::kSaved);
    const std::string file = test::ReadBytes(share / "KINTAI.dat");
    auto day = [&](const std::string& name, int month, int d) {
        return CMonthEdit(name, 2011, month).Read(file, name)[d - 1];
    };
    EXPECT_EQ(day("A", 3, 2).end, "18:00");
    EXPECT_EQ(day("B", 5, 3).start, "08:00");
    EXPECT_EQ(day("B", 8, 25).start, "09:10");
    EXPECT_EQ(file.size(), bytes.size() + 2 * 51);
}

}  // namespace stampwell
