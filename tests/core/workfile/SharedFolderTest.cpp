// Several clocks and stampwell-cli on one shared folder that anyone may write: nobody's record
// is hit by another clock's tap, nothing is doubled, and nothing outside the folder is touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <optional>

#include "corrections/ReportEditSession.h"
#include "folderstore/FolderPeopleStore.h"
#include "people/AdminFile.h"
#include "people/CipherRecordFile.h"
#include "people/RegisterFile.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/SharedClock.h"
#include "support/TestSupport.h"
#include "text/TextCodec.h"
#include "trail/EditLog.h"
#include "workfile/TemporaryRecordMove.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace fs = std::filesystem;

using test::Line;
using test::SharedClock;
using test::WaitFor;

TEST(SharedFolder, AnOverwriteHitsTheRecordFoundAlsoAfterAnotherClockShiftedIt) {
    test::CTempDir root;
    SharedClock a(root / "share");
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 24, 9, 0));
    a.report->SetStamp("Sato");
    ASSERT_TRUE(a.report->RegisterStamp());  // yesterday: the record a month save will remove
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    ASSERT_EQ(a.Tap("Abe", 9, 1), 1);
    // Ito taps again: today's record is found as number 2...
    a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 15));
    a.report->SetStamp("Ito");
    const int found = a.report->CheckToday();
    ASSERT_EQ(found, 2);
    // ...and while the question is open another clock's month save removes yesterday's record.
    pid_t other = ::fork();
    if (other == 0) {
        SharedClock b(root / "share", "other");
        b.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 16));
        auto outcome = b.report->SaveMonth("Sato", 2011, 8, {{24, 0, "09:00", ""}});
        ::_exit(outcome == CWorkReport::ESaveOutcome::kSaved ? 0 : 1);
    }
    ASSERT_EQ(WaitFor(other), 0);
    ASSERT_TRUE(a.report->OverwriteRecord(found));
    EXPECT_EQ(test::WorkBlocks(a.Work()),
              (std::vector<std::string>{Line("Ito", "2011/08/25", "09:15", false),
                                        Line("Abe", "2011/08/25", "09:01", false)}));
}

TEST(SharedFolder, AMoveCutShortIsRecognisedAfterAnotherClocksSaveShiftedIt) {
    for (auto step :
         {CTemporaryRecordMove::EStep::kJournalWritten, CTemporaryRecordMove::EStep::kHalfAppended,
          CTemporaryRecordMove::EStep::kAppended}) {
        test::CTempDir root;
        SharedClock a(root / "share");
        a.t.clock->Set(CLocalTime::FromLocal(2011, 8, 24, 9, 0));
        a.report->SetStamp("Sato");
        ASSERT_TRUE(a.report->RegisterStamp());
        // Five taps wait in the temporary file while the folder is away.
        fs::rename(root / "share", root / "away");
        for (int i = 0; i < 5; ++i) ASSERT_EQ(a.Tap("T" + std::to_string(i), 10, i), 1);
        fs::rename(root / "away", root / "share");
        // The move is killed at a chosen step.
        pid_t mover = ::fork();
        if (mover == 0) {
            CTemporaryRecordMove move(a.dataDir / "TemporaryRecord.dat", a.Work());
            move.SetStepHook([step](CTemporaryRecordMove::EStep now) {
                if (now == step) ::raise(SIGKILL);
            });
            move.Append();
            ::_exit(0);
        }
        int killed = 0;
        ::waitpid(mover, &killed, 0);
        ASSERT_TRUE(WIFSIGNALED(killed)) << static_cast<int>(step);
        // Another clock, with a data folder of its own, saves a month: the batch moves up.
        pid_t other = ::fork();
        if (other == 0) {
            SharedClock b(root / "share", "other");
            auto outcome = b.report->SaveMonth("Sato", 2011, 8, {{24, 0, "09:00", ""}});
            ::_exit(outcome == CWorkReport::ESaveOutcome::kSaved ? 0 : 1);
        }
        ASSERT_EQ(WaitFor(other), 0);
        a.report->CheckWorkFolder();
        std::map<std::string, int> counts;
        for (const auto& file : {a.Work(), a.dataDir / "TemporaryRecord.dat"}) {
            for (const auto& block : test::WorkBlocks(file))
                ++counts[block.substr(0, block.find(' '))];
        }
        EXPECT_EQ(counts, (std::map<std::string, int>{
                              {"T0", 1}, {"T1", 1}, {"T2", 1}, {"T3", 1}, {"T4", 1}}))
            << static_cast<int>(step);
        EXPECT_FALSE(fs::exists(a.dataDir / "TemporaryRecord.dat"));
    }
}

TEST(SharedFolder, WhileTheFolderIsAwayTheDecisionSeesTheDaysTaps) {
    test::CTempDir root;
    SharedClock a(root / "share");
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    fs::rename(root / "share", root / "away");
    // The clock-in made while the folder was there: asked, and not doubled in the waiting file.
    a.t.sink->messages.clear();
    EXPECT_EQ(a.Tap("Ito", 9, 30), 0);
    ASSERT_FALSE(a.t.sink->messages.empty());
    EXPECT_EQ(a.t.sink->messages.front().rfind("勤務ファイルに接続できないため", 0), 0u)
        << a.t.sink->messages.front();
    // Taps made while it is away see each other.
    EXPECT_EQ(a.Tap("Abe", 9, 31), 1);
    EXPECT_EQ(a.Tap("Abe", 9, 40), 2);
    EXPECT_EQ(test::WorkBlocks(a.dataDir / "TemporaryRecord.dat"),
              std::vector<std::string>{Line("Abe", "2011/08/25", "09:40", false)});
    fs::rename(root / "away", root / "share");
    EXPECT_EQ(a.Tap("Abe", 9, 50), 2);
    EXPECT_EQ(test::WorkBlocks(a.Work()),
              (std::vector<std::string>{Line("Ito", "2011/08/25", "09:00", false),
                                        Line("Abe", "2011/08/25", "09:50", false)}));
}

TEST(SharedFolder, LinksAndSpecialFilesInTheFolderNeverReachOutsideIt) {
    test::CTempDir root;
    SharedClock a(root / "share");
    const fs::path outside = root / "outside.txt";
    test::WriteBytes(outside, "not ours\n");
    auto outsideUntouched = [&] { return test::ReadBytes(outside) == "not ours\n"; };
    auto logged = [&] { return fs::exists(a.dataDir / "ErrorLog.txt"); };

    // The work file is a link to somebody else's file.
    fs::create_symlink(outside, a.Work());
    EXPECT_EQ(a.Tap("Ito", 9, 0), 0);
    EXPECT_TRUE(outsideUntouched());
    EXPECT_NE(test::LastOf(a.t.sink->messages).find("Stampwellのものではない"), std::string::npos);
    EXPECT_TRUE(logged());
    fs::remove(a.Work());

    // A dangling link as the lock file would create a file elsewhere.
    const fs::path elsewhere = root / "created-elsewhere";
    fs::remove(a.Work().string() + ".lock");
    fs::create_symlink(elsewhere, a.Work().string() + ".lock");
    EXPECT_EQ(a.Tap("Ito", 9, 1), 0);
    EXPECT_FALSE(fs::exists(elsewhere));
    fs::remove(a.Work().string() + ".lock");
    ASSERT_EQ(a.Tap("Ito", 9, 2), 1);

    // The work file is a FIFO: the tap is refused at once instead of hanging with the lock.
    fs::remove(a.Work());
    ASSERT_EQ(::mkfifo(a.Work().c_str(), 0666), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(a.Tap("Ito", 9, 3), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    fs::remove(a.Work());

    // The trail beside the work file is a link: the save stops before the work file changes.
    ASSERT_EQ(a.Tap("Ito", 9, 4), 1);
    fs::create_symlink(outside, a.Work().parent_path() / "EditLog.txt");
    CFolderPeopleStore reg{CRegisterFile(*a.runtime)};
    reg.SetPathSource(a.settings);
    reg.SetCardId("1111111111111111");
    reg.SetName("Ito");
    ASSERT_EQ(reg.AddRecord(), 1);
    test::CFakePrompt prompt;
    CReportEditSession session(*a.store, reg, prompt, 1);
    session.SetTrail("boss", a.t.clock.get());
    ASSERT_TRUE(session.Select("Ito", 2011, 8));
    ASSERT_TRUE(session.Edit(24, 1, "08:30"));
    const std::string before = test::ReadBytes(a.Work());
    EXPECT_FALSE(session.Save());
    EXPECT_EQ(test::ReadBytes(a.Work()), before);
    EXPECT_TRUE(outsideUntouched());

    // The register is a link to a read-only file: not written, its mode unchanged.
    const fs::path readOnly = root / "readonly.txt";
    test::WriteBytes(readOnly, "keep\n");
    fs::permissions(readOnly, fs::perms::owner_read);
    fs::remove(a.settings->GetIdFilePath());
    fs::create_symlink(readOnly, a.settings->GetIdFilePath());
    reg.SetCardId("2222222222222222");
    reg.SetName("Abe");
    EXPECT_EQ(reg.AddRecord(), 0);
    EXPECT_EQ(test::ReadBytes(readOnly), "keep\n");
    EXPECT_EQ(fs::status(readOnly).permissions() & fs::perms::all, fs::perms::owner_read);
}

TEST(SharedFolder, ExportAndReportNeverReplaceTheTrailBesideASharedWorkFile) {
    test::CTempDir root;
    SharedClock a(root / "share");
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    ASSERT_TRUE(a.settings->SaveSettings());
    test::WriteBytes(root / "share" / "EditLog.txt", "trail\r\n");
    for (const char* command : {"export --year 2011 --month 8 --closing end --out ",
                                "report --year 2011 --month 8 --closing end --csv "}) {
        for (const char* target : {"EditLog.txt", "KINTAI.dat.lock", "KINTAI.dat.index"}) {
            auto result =
                test::RunCli(a.dataDir, command + ("'" + (root / "share" / target).string() + "'"));
            EXPECT_EQ(result.exitCode, 1) << command << target;
        }
    }
    EXPECT_EQ(test::ReadBytes(root / "share" / "EditLog.txt"), "trail\r\n");
}

namespace {
// Switches the backup on and takes one: the good copy a later backup must not spoil.
std::string BackedUp(SharedClock& a) {
    a.settings->SetBackupPath((a.dataDir / "KINTAI.dat.bak").string());
    a.settings->SetBackupChecked(true);
    EXPECT_TRUE(a.settings->SaveSettings());
    EXPECT_TRUE(a.report->Backup());
    return test::ReadBytes(a.dataDir / "KINTAI.dat.bak");
}
}  // namespace

TEST(SharedFolder, TheBackupIsSkippedWhileTheWorkFolderIsAway) {
    test::CTempDir root;
    SharedClock a(root / "share");
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    const std::string good = BackedUp(a);
    ASSERT_EQ(good.size(), 51u);
    fs::rename(root / "share", root / "away");
    ASSERT_EQ(a.Tap("Abe", 9, 5), 1);  // waits in the temporary file
    EXPECT_TRUE(a.report->Backup());
    EXPECT_EQ(test::ReadBytes(a.dataDir / "KINTAI.dat.bak"), good);
    EXPECT_NE(test::ReadBytes(a.dataDir / "ErrorLog.txt").find("Backup"), std::string::npos);
}

TEST(SharedFolder, AStoppedClockHoldingALockStallsOthersForAFewSecondsOnly) {
    test::CTempDir root;
    SharedClock a(root / "share");
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    // Another clock is stopped while it holds the work file's lock.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t holder = ::fork();
    if (holder == 0) {
        int fd = ::open((a.Work().string() + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
        ::flock(fd, LOCK_EX);
        char ready = 'x';
        if (::write(fds[1], &ready, 1) != 1) ::_exit(1);
        ::raise(SIGSTOP);
        ::_exit(0);
    }
    std::optional<test::CChildReaper> reaper;
    reaper.emplace(holder);
    char ready = 0;
    ASSERT_EQ(::read(fds[0], &ready, 1), 1);
    a.t.sink->messages.clear();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(a.Tap("Abe", 9, 1), 0);  // refused, not registered, not waiting for ever
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_FALSE(a.t.sink->messages.empty());
    EXPECT_EQ(test::LastOf(a.t.sink->messages).rfind("他の端末が処理中", 0), 0u);
    EXPECT_NE(test::ReadBytes(a.dataDir / "ErrorLog.txt").find("lock"), std::string::npos);
    reaper.reset();
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_EQ(a.Tap("Abe", 9, 2), 1);
    EXPECT_EQ(test::WorkBlocks(a.Work()).size(), 2u);
}

TEST(SharedFolder, AdministratorsAddedAtOnceNeverPassThreeNorShareAnId) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "admins add --id first --password pw").exitCode, 0);
    std::vector<pid_t> children;
    for (const char* id : {"b", "c", "d", "e", "c"}) {
        pid_t child = ::fork();
        if (child == 0) {
            ::_exit(test::RunCli(dir.Path(), std::string("admins add --password pw --id ") + id)
                        .exitCode);
        }
        children.push_back(child);
    }
    int added = 0;
    for (pid_t child : children) added += WaitFor(child) == 0;
    EXPECT_EQ(added, 2);
    const std::string listed = test::RunCli(dir.Path(), "admins list").out;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 3) << listed;
    EXPECT_EQ(listed.find("c (カード未登録)\nc (カード未登録)"), std::string::npos);
    // Password material: the owner's alone.
    EXPECT_EQ(fs::status(dir / "Admin.dat").permissions() & fs::perms::all, fs::perms::owner_read);
}

TEST(SharedFolder, AHalfWrittenLineOrBlockIsNeverGluedToTheNext) {
    test::CTempDir dir;
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card AB00000000000001 --name 山田").exitCode,
              0);
    ASSERT_EQ(test::RunCli(dir.Path(), "admins add --id first --password pw").exitCode, 0);
    // A crash left part of a line and part of a block.
    fs::permissions(dir / "Register.txt", fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(dir / "Admin.dat", fs::perms::owner_write, fs::perm_options::add);
    test::WriteBytes(dir / "Register.txt", test::ReadBytes(dir / "Register.txt") + "AB00000");
    test::WriteBytes(dir / "Admin.dat", test::ReadBytes(dir / "Admin.dat") + std::string(20, 'x'));
    ASSERT_EQ(test::RunCli(dir.Path(), "users add --card AB00000000000002 --name 鈴木").exitCode,
              0);
    ASSERT_EQ(test::RunCli(dir.Path(), "admins add --id second --password pw").exitCode, 0);
    EXPECT_EQ(test::RunCli(dir.Path(), "users list").out,
              "AB00000000000001,山田,,\nAB00000000000002,鈴木,,\n");
    // The file itself: the fragment is gone, not merely passed over by the listing.
    EXPECT_EQ(CTextCodec::FromCp932(test::ReadBytes(dir / "Register.txt")),
              "#CardAndNameRegisterFile_V1\r\n#CardID,PersonalName,ReceiveMailName,"
              "ReceiveMailAddress\r\nAB00000000000001,山田,,\r\nAB00000000000002,鈴木,,\r\n");
    EXPECT_EQ(test::RunCli(dir.Path(), "admins list").out,
              "first (カード未登録)\nsecond (カード未登録)\n");
    EXPECT_EQ(fs::file_size(dir / "Admin.dat"), 128u);
}

TEST(SharedFolder, NamesWithControlCharactersAndNumbersThatAreNotDecimalAreRefused) {
    test::CTempDir dir;
    for (const char* name : {"\"$(printf 'a\\tb')\"", "\"$(printf '\\033[31mred')\"",
                             "\"$(printf 'x\\177')\"", "\"$(printf '\\302\\205x')\""}) {
        auto result = test::RunCli(dir.Path(),
                                   std::string("users add --card AB00000000000001 --name ") + name);
        EXPECT_EQ(result.exitCode, 1) << name;
    }
    EXPECT_EQ(
        test::RunCli(dir.Path(), "admins add --id \"$(printf 'a\\tb')\" --password pw").exitCode,
        1);
    auto hex = test::RunCli(dir.Path(), "report --year 0x7e8 --month 1 --closing end");
    EXPECT_EQ(hex.exitCode, 2) << hex.out;
}

}  // namespace stampwell

namespace stampwell {

// A folder or a link planted at the index's name would make every tap of every PC read the
// whole file, silently: it is never used nor touched, the taps stay right, and the log names
// it once a run.
TEST(SharedFolder, AnythingButAFileAtTheIndexNameIsRefusedAndLoggedOncePerRun) {
    for (const bool link : {false, true})
        for (const char* name : {"KINTAI.dat.index", "KINTAI.dat.months"}) {
            test::CTempDir root;
            SharedClock a(root / "share");
            const fs::path index = root / "share" / name;
            if (link) {
                test::WriteBytes(root / "elsewhere", "not ours\n");
                fs::create_symlink(root / "elsewhere", index);
            } else {
                fs::create_directory(index);
            }
            EXPECT_EQ(a.Tap("Ito", 9, 0), 1);
            EXPECT_EQ(a.Tap("Abe", 9, 1), 1);
            EXPECT_EQ(a.Tap("Ito", 18, 0, true), 1);
            EXPECT_EQ(a.report->SaveMonth("Abe", 2011, 8, {{25, 1, "", "18:30"}}),
                      CWorkReport::ESaveOutcome::kSaved);
            EXPECT_EQ(a.Tap("Ito", 9, 2), 2);  // today's clock-in found without the index
            std::vector<WorkDayRecord> days;
            ASSERT_TRUE(a.report->LoadMonth("Abe", 2011, 8, days));  // the month read without it
            EXPECT_EQ(days[24].end, "18:30");
            ASSERT_TRUE(a.report->LoadMonth("Abe", 2011, 8, days));
            EXPECT_EQ(fs::is_symlink(index), link);
            EXPECT_EQ(fs::is_directory(fs::symlink_status(index)), !link);
            if (link) {
                EXPECT_EQ(test::ReadBytes(root / "elsewhere"), "not ours\n");
            }
            const std::string log =
                CTextCodec::FromCp932(test::ReadBytes(a.dataDir / "ErrorLog.txt"));
            const auto first = log.find(index.string());
            ASSERT_NE(first, std::string::npos) << log;
            EXPECT_EQ(log.find(index.string(), first + 1), std::string::npos) << log;
        }
}

}  // namespace stampwell

namespace stampwell {

// The backup reads the work file under its lock: while another program holds it, no copy is
// taken (it could be half of an old and half of a new file) and the good backup stays.
TEST(SharedFolder, TheBackupWaitsForTheWorkFilesLockAndKeepsTheOldCopyWhenRefused) {
    test::CTempDir root;
    SharedClock a(root / "share");
    ASSERT_EQ(a.Tap("Ito", 9, 0), 1);
    const std::string good = BackedUp(a);
    ASSERT_EQ(a.Tap("Abe", 9, 5), 1);
    const int held = ::open((a.Work().string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    fs::remove(a.dataDir / "ErrorLog.txt");
    EXPECT_FALSE(a.report->Backup());
    EXPECT_EQ(test::ReadBytes(a.dataDir / "KINTAI.dat.bak"), good);
    const std::string log = test::ReadBytes(a.dataDir / "ErrorLog.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    ::close(held);
    EXPECT_TRUE(a.report->Backup());
    EXPECT_EQ(test::ReadBytes(a.dataDir / "KINTAI.dat.bak").size(), 2u * 51);
}

}  // namespace stampwell
