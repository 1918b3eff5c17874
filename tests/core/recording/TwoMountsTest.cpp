// Two office PCs on one shared folder: each mounts it with its own device and inode numbers.
// Taps that take turns between them read today's records, not the ten-year work file, also
// after a month save; the share is the test share (FUSE), which counts what crosses it.
#include <gtest/gtest.h>

#include <chrono>

#include "WorkFiles.h"
#include "platform/ManualClock.h"
#include "recording/WorkReport.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/ShareMount.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

// A PC: its own data folder, the work file through its own mount.
struct Pc {
    Pc(const test::CTempDir& root, const std::string& name, const fs::path& mount)
        : runtime(root / name, clock, sink) {
        fs::create_directories(root / name);
        settings = CreateConfig(runtime);
        settings->SetWorkFilePath((mount / "KINTAI.dat").string());
        report = std::make_unique<CWorkReport>(runtime);
        report->SetSettings(settings);
        report->SetStampSide(&side);
    }
    void Tap(int person) {
        report->SetStamp(bench::CWorkFiles::Name(person));
        const int found = report->CheckToday();
        ASSERT_TRUE(found > 0 ? report->OverwriteRecord(found) : report->RegisterStamp());
    }
    std::shared_ptr<CManualClock> clock =
        std::make_shared<CManualClock>(bench::CWorkFiles::Today());
    std::shared_ptr<test::CRecordingMessageSink> sink =
        std::make_shared<test::CRecordingMessageSink>();
    CRuntime runtime;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    test::CFixedSide side;
};

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

    Pc first(root, "data1", one.Path());
    Pc second(root, "data2", two.Path());
    first.Tap(0);  // the first tap ever on this file reads it whole, once
    constexpr std::uint64_t kMiB = 1 << 20;
    std::uint64_t most = 0;
    auto turn = [&](Pc& pc, test::CShareMount& mount, int person) {
        const auto before = mount.BytesRead();
        const auto start = std::chrono::steady_clock::now();
        pc.Tap(person);
        const auto took = std::chrono::steady_clock::now() - start;
        most = std::max(most, mount.BytesRead() - before);
        EXPECT_LT(mount.BytesRead() - before, kMiB) << "person " << person;
        EXPECT_LT(took, std::chrono::seconds(3)) << "person " << person;
    };
    for (int person = 1; person <= 6; ++person) {
        turn(person % 2 ? second : first, person % 2 ? two : one, person);
    }
    // A month save on one PC: the next tap on either reads today's records only.
    first.clock->Set(bench::CWorkFiles::Today());
    ASSERT_EQ(first.report->SaveMonth(bench::CWorkFiles::Name(3), 2025, 12, {{1, 0, "09:00", ""}}),
              CWorkReport::ESaveOutcome::kSaved);
    turn(second, two, 7);
    turn(first, one, 8);
    RecordProperty("most_bytes_per_tap", std::to_string(most));
    RecordProperty("work_file_bytes", std::to_string(whole));
}

}  // namespace stampwell
