// Two or three office PCs on one shared folder that goes away and comes back: cards are known
// while it is away, clocks that were cut off at once leave one clock-in, and what each clock
// knows of today follows its own writes and saves.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>

#include "corrections/ReportEditSession.h"
#include "folderstore/FolderPeopleStore.h"
#include "people/CipherRecordFile.h"
#include "people/RegisterFile.h"
#include "platform/LocalTime.h"
#include "support/SharedClock.h"
#include "text/TextCodec.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;
using test::Line;
using test::SharedClock;

TEST(CutOffClocks, TwoClocksCutOffAtOnceLeaveOneClockInAndTheLaterClockOut) {
    for (bool aMovesFirst : {true, false}) {
        test::CTempDir root;
        SharedClock a(root / "share", "a");
        SharedClock b(root / "share", "b");
        ASSERT_EQ(a.Tap("Abe", 8, 30), 1);  // seen by both before the share goes
        ASSERT_EQ(b.Tap("Abe", 8, 31), 2);
        fs::rename(root / "share", root / "away");
        // Each decides from what it had seen: both record Ito.
        EXPECT_EQ(a.Tap("Ito", 9, 0), 1);
        EXPECT_EQ(b.Tap("Ito", 9, 2), 1);
        EXPECT_EQ(a.Tap("Ito", 18, 5, true), 1);
        EXPECT_EQ(b.Tap("Ito", 18, 0, true), 1);
        fs::rename(root / "away", root / "share");
        SharedClock& first = aMovesFirst ? a : b;
        SharedClock& second = aMovesFirst ? b : a;
        first.report->CheckWorkFolder();
        second.report->CheckWorkFolder();
        auto blocks = test::WorkBlocks(a.Work());
        std::vector<std::string> expected{Line("Abe", "2011/08/25", "08:31", false),
                                          Line("Ito", "2011/08/25", "09:00", false),
                                          Line("Ito", "2011/08/25", "18:05", true)};
        std::sort(blocks.begin(), blocks.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(blocks, expected) << aMovesFirst;
        const std::string log =
            CTextCodec::FromCp932(test::ReadBytes(second.dataDir / "ErrorLog.txt"));
        EXPECT_NE(log.find("待機中の記録を統合: Ito 2011/08/25 出社 09:0"), std::string::npos)
            << log;
        // Moved again (a crash after the merge): nothing changes.
        test::WriteBytes(
            second.dataDir / "TemporaryRecord.dat",
            CCipherRecordFile::Encipher(WorkLine::Format("Ito", "2011/08/25", "09:02", 0), 51));
        second.report->CheckWorkFolder();
        EXPECT_EQ(test::WorkBlocks(a.Work()).size(), 3u);
    }
}

TEST(CutOffClocks, RoomModeKeepsItsFiveMinuteRuleAcrossClocksAndItsOwnOverwrites) {
    test::CTempDir root;
    SharedClock a(root / "share", "a");
    SharedClock b(root / "share", "b");
    for (SharedClock* c : {&a, &b}) {
        test::WriteBytes(c->dataDir / "Style.txt", "2");
        c->Reopen();
    }
    auto tap = [](SharedClock& c, int hour, int minute) {
        c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, hour, minute));
        c.report->SetStamp("Ito");
        const int result = c.report->CheckToday();
        // The first tap of a file: the command registers the entry.
        if (result == 0) return c.report->RegisterStamp() ? CWorkReport::EntryRecorded : 0;
        return result;
    };
    EXPECT_EQ(tap(a, 9, 0), CWorkReport::EntryRecorded);
    EXPECT_EQ(tap(a, 10, 0), CWorkReport::ExitRecorded);
    EXPECT_EQ(tap(a, 12, 0), CWorkReport::ExitRecorded);  // overwrites the 10:00 exit
    fs::rename(root / "share", root / "away");
    // The clock's day cache knows its own overwrite: 12:03 is too soon, not a refused overwrite.
    a.t.sink->messages.clear();
    EXPECT_EQ(tap(a, 12, 3), CWorkReport::TooSoon);
    EXPECT_TRUE(a.t.sink->messages.empty());
    // A clock that never saw Ito's entry takes the 13:00 passage for an entry, and the next
    // one for too soon; back on the share it is the exit it was.
    EXPECT_EQ(tap(b, 13, 0), CWorkReport::EntryRecorded);
    EXPECT_EQ(tap(b, 13, 3), CWorkReport::TooSoon);
    fs::rename(root / "away", root / "share");
    a.report->CheckWorkFolder();
    b.report->CheckWorkFolder();
    EXPECT_EQ(test::WorkBlocks(a.Work()),
              (std::vector<std::string>{Line("Ito", "2011/08/25", "09:00", false),
                                        Line("Ito", "2011/08/25", "13:00", true)}));
}

TEST(CutOffClocks, ASharedRegisterIsKnownWhileAwayAndItsChangesSeenWhenBack) {
    test::CTempDir root;
    SharedClock a(root / "share", "a");
    a.settings->SetIdFilePath((root / "share" / "Register.txt").string());
    CRegisterFile reg(*a.runtime);
    reg.SetPathSource(a.settings);
    reg.SetCardId("00000000000000A1");
    reg.SetName("山田");
    ASSERT_EQ(reg.AddRecord(), 1);
    ASSERT_EQ(reg.FindNameByCard(), 1);
    fs::rename(root / "share", root / "away");
    reg.SetName("");
    EXPECT_EQ(reg.FindNameByCard(), 1);
    EXPECT_EQ(reg.GetName(), "山田");
    // Changes wait for the folder: nothing is written to the copy.
    reg.SetCardId("00000000000000B2");
    reg.SetName("鈴木");
    EXPECT_EQ(reg.AddRecord(), 0);
    fs::rename(root / "away", root / "share");
    // Another PC renames the card's owner while this one is away; the next read sees it.
    reg.SetPreviousName("山田");
    reg.SetCardId("00000000000000A1");
    reg.SetName("山田太郎");
    ASSERT_EQ(reg.ChangeRecord(), 1);
    fs::rename(root / "share", root / "away");
    EXPECT_EQ(reg.FindNameByCard(), 1);
    EXPECT_EQ(reg.GetName(), "山田太郎");
}

TEST(CutOffClocks, AnOverwriteAnsweredAfterTheDayChangeHitsThePreviousDaysRecord) {
    test::CTempDir root;
    SharedClock a(root / "share", "a");
    SharedClock b(root / "share", "b");
    for (SharedClock* c : {&a, &b}) c->settings->SetDayChangeHour(5);
    // An old record that a month save will remove, then yesterday's clock-in.
    a.t.clock->Set(CLocalTime::FromLocal(2011, 7, 1, 9, 0));
    a.report->SetStamp("Sato");
    ASSERT_TRUE(a.report->RegisterStamp());
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 24, 9, 0));
    a.report->SetStamp("Ito");
    ASSERT_TRUE(a.report->RegisterStamp());
    // 04:50 still belongs to the 24th: the question about Ito's clock-in opens...
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 4, 50));
    a.report->SetStamp("Ito");
    const int found = a.report->CheckToday();
    ASSERT_EQ(found, 2);
    // ...and while it is open the day changes on another clock, which taps and saves a month.
    b.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 5, 10));
    ASSERT_EQ(b.Tap("Abe", 5, 10), 1);
    ASSERT_EQ(b.report->SaveMonth("Sato", 2011, 7, {{1, 0, "09:00", ""}}),
              CWorkReport::ESaveOutcome::kSaved);
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 5, 20));
    ASSERT_TRUE(a.report->OverwriteRecord(found));
    EXPECT_EQ(test::WorkBlocks(a.Work()),
              (std::vector<std::string>{Line("Ito", "2011/08/24", "28:50", false),
                                        Line("Abe", "2011/08/25", "05:10", false)}));
}

// Yes to 上書きしますか？ after the share went: the record to overwrite is in the work file, which
// this clock cannot reach, so a waiting second clock-in would be dropped as a double when it
// moves. The tap is refused with a word instead of reported as recorded, and goes through once
// the share is back; a record of another clock that this one never read is no different.
TEST(CutOffClocks, AnOverwriteAnsweredWhileTheShareIsAwayIsRefusedNotLost) {
    for (bool ownRecord : {true, false}) {
        test::CTempDir root;
        SharedClock a(root / "share", "a");
        SharedClock b(root / "share", "b");
        SharedClock& writer = ownRecord ? a : b;
        ASSERT_EQ(writer.Tap("Ito", 9, 0), 1);
        a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 10));
        a.report->SetStamp("Ito");
        const int found = a.report->CheckToday();
        ASSERT_EQ(found, 1);
        fs::rename(root / "share", root / "away");
        EXPECT_FALSE(a.report->OverwriteRecord(found)) << ownRecord;
        EXPECT_NE(test::LastOf(a.t.sink->messages).find("上書きできませんでした"),
                  std::string::npos);
        fs::rename(root / "away", root / "share");
        a.report->CheckWorkFolder();
        EXPECT_EQ(test::WorkBlocks(a.Work()),
                  std::vector<std::string>{Line("Ito", "2011/08/25", "09:00", false)});
        EXPECT_EQ(a.Tap("Ito", 9, 12), 2);
        EXPECT_EQ(test::WorkBlocks(a.Work()),
                  std::vector<std::string>{Line("Ito", "2011/08/25", "09:12", false)});
    }
}

// The share came back but the waiting records could not be moved (here the move's journal
// cannot be written): yes to 上書きしますか？ overwrites the record where it waits, so the move
// carries the later time instead of merging it away behind a second clock-in.
TEST(CutOffClocks, AnOverwriteOfARecordThatCouldNotMoveYetIsMadeWhereItWaits) {
    test::CTempDir root;
    SharedClock a(root / "share", "a");
    fs::rename(root / "share", root / "away");
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    fs::rename(root / "away", root / "share");
    fs::create_directory(a.dataDir / "TemporaryRecord.dat.move");
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 10));
    a.report->SetStamp("Ito");
    const int found = a.report->CheckToday();
    ASSERT_GT(found, 0);
    ASSERT_TRUE(fs::exists(a.dataDir / "TemporaryRecord.dat"));
    EXPECT_TRUE(a.report->OverwriteRecord(found));
    fs::remove(a.dataDir / "TemporaryRecord.dat.move");
    a.report->CheckWorkFolder();
    EXPECT_EQ(test::WorkBlocks(a.Work()),
              std::vector<std::string>{Line("Ito", "2011/08/25", "09:10", false)});
    EXPECT_FALSE(fs::exists(a.dataDir / "TemporaryRecord.dat"));
}

TEST(CutOffClocks, ASaveRemovesTheScratchOfAKilledSaveAndWaitsForALockOnce) {
    test::CTempDir root;
    SharedClock a(root / "share");
    // The wait is the report's from its making: set before it is made again.
    a.runtime->SetLockWait(std::chrono::milliseconds(1000));
    a.Reopen();
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    const fs::path left = root / "share" / "KintaiTemp.txt.4242.0.17";
    test::WriteBytes(left, test::ReadBytes(a.Work()));
    ASSERT_EQ(a.report->SaveMonth("Ito", 2011, 8, {{25, 1, "", "18:00"}}),
              CWorkReport::ESaveOutcome::kSaved);
    EXPECT_FALSE(fs::exists(left));

    // The edit screen's save while another clock is stopped holding the work file's lock:
    // it waits once, says so once and logs it once.
    CFolderPeopleStore reg{CRegisterFile(*a.runtime)};
    reg.SetCardId("00000000000000A1");
    reg.SetName("Ito");
    ASSERT_EQ(reg.AddRecord(), 1);
    test::CFakePrompt prompt;
    CReportEditSession session(*a.store, reg, prompt, 1);
    session.SetTrail("admin", a.t.clock.get());
    ASSERT_TRUE(session.Select("Ito", 2011, 8));
    ASSERT_TRUE(session.Edit(24, 1, "18:30"));
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open((a.Work().string() + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
        ::flock(fd, LOCK_EX);
        char ready = 'x';
        if (::write(fds[1], &ready, 1) != 1) ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    test::CChildReaper reaper{holder};
    char ready = 0;
    ASSERT_EQ(::read(fds[0], &ready, 1), 1);
    ::close(fds[0]);
    ::close(fds[1]);
    fs::remove(a.dataDir / "ErrorLog.txt");
    prompt.messages.clear();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.Save("late"));
    // One wait of a second, not two (a bound loose enough for a loaded machine).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].rfind("他の端末が処理中", 0), 0u) << prompt.messages[0];
    const std::string log = test::ReadBytes(a.dataDir / "ErrorLog.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

}  // namespace stampwell
