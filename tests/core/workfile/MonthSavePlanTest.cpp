// A month save reads, works out and journals its part of the work file before it takes the
// lock, so taps wait only while the file itself is written. Whatever another program does to
// the file between the two must never be lost, and a save killed before its lock leaves the
// file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>

#include "people/CipherRecordFile.h"
#include "support/SharedClock.h"
#include "workfile/MonthEdit.h"
#include "workfile/WorkJournal.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

std::string Block(const std::string& name, int month, int day, const std::string& time,
                  bool end = false) {
    char date[40];
    std::snprintf(date, sizeof date, "2011/%02d/%02d", month, day);
    return CCipherRecordFile::Encipher(test::Line(name, date, time, end), 51);
}

// Twenty people's clock-ins from January to the day before the clocks' day (2011/08/25): the
// part from March on is well past the last 64 KB the save compares again.
std::string EightMonths() {
    std::string bytes;
    for (int month = 1; month <= 8; ++month) {
        for (int day = 1; day <= (month == 8 ? 24 : 28); ++day) {
            for (char who = 'A'; who < 'A' + 20; ++who) bytes += Block({who}, month, day, "09:00");
        }
    }
    return bytes;
}

WorkDayRecord Day(const fs::path& work, const std::string& name, int month, int day) {
    return CMonthEdit(name, 2011, month).Read(test::ReadBytes(work), name)[day - 1];
}

std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

// The file's modification time set back: a share whose times are too coarse to show a change.
void KeepTime(const fs::path& work, const struct stat& before) {
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, work.c_str(), times, 0), 0);
}

const std::vector<CWorkReport::CellChange> kMarch{{2, 1, "", "18:00"}, {5, 0, "09:00", "08:45"}};

}  // namespace

TEST(MonthSavePlan, WhatAnotherProgramDidBetweenThePlanAndTheLockIsKept) {
    struct Case {
        const char* what;
        std::function<void(test::SharedClock& other, const fs::path& work)> between;
        std::function<void(const fs::path& work)> kept;
        int added;  // blocks besides the save's own
    };
    const std::vector<Case> cases{
        {"a tap", [](test::SharedClock& other, const fs::path&) { other.Tap("B", 9, 1); },
         [](const fs::path& work) { EXPECT_EQ(Day(work, "B", 8, 25).start, "09:01"); }, 1},
        {"an overwritten clock-in",
         [](test::SharedClock& other, const fs::path&) { EXPECT_EQ(other.Tap("C", 9, 10), 2); },
         [](const fs::path& work) { EXPECT_EQ(Day(work, "C", 8, 25).start, "09:10"); }, 0},
        {"another month's save, far back, on a share whose file times are coarse",
         [](test::SharedClock& other, const fs::path& work) {
             struct stat before {};
             ASSERT_EQ(::stat(work.c_str(), &before), 0);
             EXPECT_EQ(other.report->SaveMonth("B", 2011, 5, {{3, 0, "09:00", "08:00"}}),
                       CWorkReport::ESaveOutcome::kSaved);
             KeepTime(work, before);
         },
         [](const fs::path& work) { EXPECT_EQ(Day(work, "B", 5, 3).start, "08:00"); }, 0},
        {"a record of the day changed by a program that does not count its changes",
         [](test::SharedClock&, const fs::path& work) {
             struct stat before {};
             ASSERT_EQ(::stat(work.c_str(), &before), 0);
             const std::string block = Block("C", 8, 25, "07:00");
             const int fd = ::open(work.c_str(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, block.data(), 51, before.st_size - 51), 51);
             ::close(fd);
             KeepTime(work, before);
         },
         [](const fs::path& work) { EXPECT_EQ(Day(work, "C", 8, 25).start, "07:00"); }, 0},
        {"the file replaced whole, as an older release saves",
         [](test::SharedClock&, const fs::path& work) {
             struct stat before {};
             ASSERT_EQ(::stat(work.c_str(), &before), 0);
             std::string bytes = test::ReadBytes(work);
             const std::string old = Block("D", 5, 4, "09:00");
             bytes.replace(bytes.find(old), 51, Block("D", 5, 4, "07:30"));
             const fs::path copy = work.parent_path() / "copy";
             test::WriteBytes(copy, bytes);
             fs::rename(copy, work);
             KeepTime(work, before);
         },
         [](const fs::path& work) { EXPECT_EQ(Day(work, "D", 5, 4).start, "07:30"); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::CTempDir root;
        test::SharedClock clock(root / "share");
        test::SharedClock other(root / "share", "other");
        const fs::path work = clock.Work();
        test::WriteBytes(work, EightMonths());
        ASSERT_EQ(clock.Tap("C", 8, 50), 1);
        const std::size_t blocks = test::WorkBlocks(work).size();
        std::vector<WorkDayRecord> days;
        ASSERT_TRUE(clock.report->LoadMonth("A", 2011, 3, days));
        CWorkReport::SaveHooks hooks;
        hooks.prepared = [&] { c.between(other, work); };
        ASSERT_EQ(clock.report->SaveMonth("A", 2011, 3, kMarch, nullptr, hooks),
                  CWorkReport::ESaveOutcome::kSaved);
        EXPECT_EQ(Day(work, "A", 3, 2).end, "18:00");
        EXPECT_EQ(Day(work, "A", 3, 5).start, "08:45");
        c.kept(work);
        EXPECT_EQ(test::WorkBlocks(work).size(), blocks + 1 + c.added);
        // The months the save read from the index are still what a full read has.
        std::vector<WorkDayRecord> may;
        ASSERT_TRUE(other.report->LoadMonth("B", 2011, 5, may));
        EXPECT_EQ(may, CMonthEdit("B", 2011, 5).Read(test::ReadBytes(work), "B"));
    }
}

TEST(MonthSavePlan, TheLockIsHeldToWriteNotToReadTheMonthAgain) {
    test::CTempDir root;
    test::SharedClock clock(root / "share");
    const fs::path work = clock.Work();
    test::WriteBytes(work, EightMonths());
    ASSERT_EQ(clock.Tap("C", 8, 50), 1);  // the day's index, as the clocks keep it
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(clock.report->LoadMonth("A", 2011, 3, days));
    std::uint64_t readLocked = 0;
    CWorkReport::SaveHooks hooks;
    hooks.locked = [&] { readLocked = BytesRead(); };
    ASSERT_EQ(clock.report->SaveMonth("A", 2011, 3, kMarch, nullptr, hooks),
              CWorkReport::ESaveOutcome::kSaved);
    readLocked = BytesRead() - readLocked;
    // The part from March on (about 170 KB) is not read again under the lock: only its end.
    EXPECT_LT(readLocked, 100u * 1024);
    EXPECT_EQ(Day(work, "A", 3, 2).end, "18:00");
    // A tap between the two: the tap is read too, the rest still not.
    test::SharedClock other(root / "share", "other");
    hooks.prepared = [&] { ASSERT_EQ(other.Tap("B", 9, 1), 1); };
    ASSERT_EQ(clock.report->SaveMonth("A", 2011, 3, {{2, 1, "18:00", ""}}, nullptr, hooks),
              CWorkReport::ESaveOutcome::kSaved);
    EXPECT_LT(BytesRead() - readLocked, 100u * 1024);
    EXPECT_EQ(Day(work, "A", 3, 2).end, "");
    EXPECT_EQ(Day(work, "B", 8, 25).start, "09:01");
    EXPECT_EQ(test::FilesIn(root / "share"),
              (std::vector<std::string>{"KINTAI.dat", "KINTAI.dat.index", "KINTAI.dat.lock",
                                        "KINTAI.dat.months"}));
}

TEST(MonthSavePlan, ASaveKilledBeforeItsLockLeavesTheFileAndItsLeftoverGoesInTime) {
    test::CTempDir root;
    test::SharedClock clock(root / "share");
    const fs::path work = clock.Work();
    test::WriteBytes(work, EightMonths());
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(clock.report->LoadMonth("A", 2011, 3, days));
    const std::string before = test::ReadBytes(work);
    const pid_t child = ::fork();
    if (child == 0) {
        CWorkReport::SaveHooks hooks;
        hooks.prepared = [] { ::raise(SIGKILL); };
        clock.report->SaveMonth("A", 2011, 3, kMarch, nullptr, hooks);
        ::_exit(0);
    }
    test::CChildReaper reaper(child);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(test::ReadBytes(work), before);
    auto leftovers = [&] {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(root / "share"))
            if (entry.path().filename().string().find(".ahead.") != std::string::npos)
                found.push_back(entry.path());
        return found;
    };
    ASSERT_EQ(leftovers().size(), 1u);
    // A young one may be another PC's save about to take the lock: it stays. The next save
    // goes on beside it.
    test::SharedClock next(root / "share", "next");
    ASSERT_TRUE(next.report->LoadMonth("A", 2011, 3, days));
    ASSERT_EQ(next.report->SaveMonth("A", 2011, 3, kMarch), CWorkReport::ESaveOutcome::kSaved);
    EXPECT_EQ(Day(work, "A", 3, 2).end, "18:00");
    ASSERT_EQ(leftovers().size(), 1u);
    // One older than an hour belongs to nobody: the next save removes it.
    const fs::path left = leftovers().front();
    fs::last_write_time(left, fs::last_write_time(left) - std::chrono::hours(2));
    ASSERT_EQ(next.report->SaveMonth("A", 2011, 3, {{2, 1, "18:00", ""}}),
              CWorkReport::ESaveOutcome::kSaved);
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(Day(work, "A", 3, 2).end, "");
}

// A tap between the reading ahead and the lock is taken into the journal written ahead: a save
// killed halfway through the work file is finished from it with the tap where it was appended.
TEST(MonthSavePlan, ASaveKilledHalfwayWithATapBetweenIsFinishedWithTheTap) {
    test::CTempDir root;
    test::SharedClock clock(root / "share");
    const fs::path work = clock.Work();
    test::WriteBytes(work, EightMonths());
    ASSERT_EQ(clock.Tap("C", 8, 50), 1);
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(clock.report->LoadMonth("A", 2011, 3, days));
    const std::size_t blocks = test::WorkBlocks(work).size();
    const pid_t child = ::fork();
    if (child == 0) {
        test::SharedClock other(root / "share", "other");
        CWorkReport::SaveHooks hooks;
        hooks.prepared = [&] { other.Tap("B", 9, 1); };
        hooks.step = [](CWorkJournal::EStep step) {
            if (step == CWorkJournal::EStep::kHalfWritten) ::raise(SIGKILL);
        };
        clock.report->SaveMonth("A", 2011, 3, kMarch, nullptr, hooks);
        ::_exit(0);
    }
    test::CChildReaper reaper(child);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    test::SharedClock next(root / "share", "next");
    ASSERT_TRUE(next.report->LoadMonth("A", 2011, 3, days));  // settles the journal
    EXPECT_EQ(days[1].end, "18:00");
    EXPECT_EQ(days[4].start, "08:45");
    EXPECT_EQ(Day(work, "B", 8, 25).start, "09:01");
    EXPECT_EQ(Day(work, "C", 8, 25).start, "08:50");
    EXPECT_EQ(test::WorkBlocks(work).size(), blocks + 2);
}

}  // namespace stampwell
