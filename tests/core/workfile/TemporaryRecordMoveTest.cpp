#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <thread>

#include "people/CipherRecordFile.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/TestSupport.h"
#include "workfile/TemporaryRecordMove.h"
#include "workfile/WorkReport.h"

namespace stampwell {
using test::CTestRuntime;

namespace fs = std::filesystem;

namespace {

std::string Block(const std::string& name, const std::string& time) {
    std::string padded = name + std::string(32 - name.size(), ' ');
    return CCipherRecordFile::Encipher(padded + ",2011/08/25," + time + ",\n", 51);
}

// How often each name occurs in the work file and the temporary file together.
std::map<std::string, int> CountNames(const std::vector<fs::path>& files) {
    std::map<std::string, int> counts;
    for (const auto& file : files) {
        for (const auto& block : test::WorkBlocks(file)) ++counts[block.substr(0, block.find(' '))];
    }
    return counts;
}

// A data folder with the work file in a folder of its own, as on a network share.
struct Shared {
    Shared() {
        fs::create_directory(share);
        settings = CreateConfig(t.runtime);
        settings->SetWorkFilePath(work.string());
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 0));
    }
    std::shared_ptr<CWorkReport> Report() const {
        auto report = CreateWorkReport(t.runtime);
        report->SetSettings(settings);
        return report;
    }
    CTestRuntime t;
    fs::path share = t.dir / "share";
    fs::path work = share / "KINTAI.dat";
    fs::path temporary = t.dir / "TemporaryRecord.dat";
    std::shared_ptr<CEnvironmentSettings> settings;
};

}  // namespace

// Each state a crash can leave behind, settled by the next move: every record once.
TEST(TemporaryRecordMove, ACrashAtAnyStepNeitherLosesNorDoublesARecord) {
    const std::string batch = Block("T1", "09:00") + Block("T2", "09:01") + Block("T3", "09:02");
    const std::string existing = Block("Old", "08:00");
    struct State {
        const char* what;
        std::string work;    // the work file after the crash
        bool temporaryKept;  // the temporary file still there
        bool journal;        // the journal still there
    };
    const std::vector<State> states = {
        {"before the journal", existing, true, false},
        {"journal written, nothing appended", existing, true, true},
        {"a block and a half appended", existing + batch.substr(0, 76), true, true},
        {"whole batch appended", existing + batch, true, true},
        {"temporary file removed", existing + batch, false, true},
    };
    for (const auto& state : states) {
        Shared s;
        test::WriteBytes(s.work, state.work);
        if (state.temporaryKept) test::WriteBytes(s.temporary, batch);
        CTemporaryRecordMove move(s.temporary, s.work);
        if (state.journal) {
            test::WriteBytes(move.JournalPath(), "51\n153\n" + s.work.string() + "\n");
        }
        auto report = s.Report();
        report->CheckWorkFolder();
        auto counts = CountNames({s.work, s.temporary});
        EXPECT_EQ(counts, (std::map<std::string, int>{{"Old", 1}, {"T1", 1}, {"T2", 1}, {"T3", 1}}))
            << state.what;
        EXPECT_FALSE(fs::exists(s.temporary)) << state.what;
        EXPECT_FALSE(fs::exists(move.JournalPath())) << state.what;
    }
}

// Records written to the temporary file after an interrupted move are moved too, once.
TEST(TemporaryRecordMove, RecordsAddedWhileTheFolderWasAwayAfterACrashAreKept) {
    Shared s;
    const std::string batch = Block("T1", "09:00") + Block("T2", "09:01");
    test::WriteBytes(s.work, batch);  // the crashed move had appended the whole batch
    test::WriteBytes(s.temporary, batch + Block("Late", "10:00"));
    CTemporaryRecordMove move(s.temporary, s.work);
    test::WriteBytes(move.JournalPath(), "0\n102\n" + s.work.string() + "\n");
    s.Report()->CheckWorkFolder();
    EXPECT_EQ(CountNames({s.work, s.temporary}),
              (std::map<std::string, int>{{"Late", 1}, {"T1", 1}, {"T2", 1}}));
}

// Real kills at the hardest points of a long move: after the journal, after half of the
// append, after the whole append. Every record ends in the work file or the temporary file
// exactly once, and the next move finishes the job.
TEST(TemporaryRecordMove, KilledMovesNeverDoubleRecords) {
    for (auto step :
         {CTemporaryRecordMove::EStep::kJournalWritten, CTemporaryRecordMove::EStep::kHalfAppended,
          CTemporaryRecordMove::EStep::kAppended}) {
        Shared s;
        test::WriteBytes(s.work, Block("Old", "08:00"));
        std::string batch;
        for (int i = 0; i < 3000; ++i) batch += Block("R" + std::to_string(i), "09:00");
        test::WriteBytes(s.temporary, batch);
        pid_t child = ::fork();
        if (child == 0) {
            CTemporaryRecordMove move(s.temporary, s.work);
            move.SetStepHook([step](CTemporaryRecordMove::EStep now) {
                if (now == step) ::raise(SIGKILL);
            });
            move.Append();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << static_cast<int>(step);
        // The state the kill left: the journal is there, and part of the batch may be too.
        EXPECT_TRUE(fs::exists(CTemporaryRecordMove(s.temporary, s.work).JournalPath()));
        EXPECT_TRUE(fs::exists(s.temporary));
        const auto atKill = CountNames({s.work, s.temporary});
        if (step == CTemporaryRecordMove::EStep::kHalfAppended) {
            EXPECT_EQ(test::WorkBlocks(s.work).size(), 1u + 1500u);
        }
        for (const auto& [name, count] : atKill) ASSERT_LE(count, 2) << name;
        s.Report()->CheckWorkFolder();
        auto counts = CountNames({s.work, s.temporary});
        ASSERT_EQ(counts.size(), 3001u) << static_cast<int>(step);
        for (const auto& [name, count] : counts) ASSERT_EQ(count, 1) << name;
        EXPECT_FALSE(fs::exists(s.temporary));
        // Nothing but the files of a tap is left in the folders: no scratch, no journal.
        std::vector<std::string> left;
        for (const auto& folder : {s.t.dir.Path(), s.share}) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                // The day's cache of moved taps and today's index may be there: no scratch.
                if (entry.path().filename() == "TemporaryRecord.dat.today" ||
                    entry.path().filename() == "KINTAI.dat.index") {
                    continue;
                }
                left.push_back(entry.path().filename().string());
            }
        }
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"KINTAI.dat", "KINTAI.dat.lock",
                                                  "TemporaryRecord.dat.lock", "share"}));
    }
}

// Four time clocks tap while the work folder comes and goes, some of them tapping again to
// overwrite: every tap that reported success is in the work file exactly once, with the time
// of the last successful tap of that name.
TEST(TemporaryRecordMove, FourTappingProcessesWithAVanishingWorkFolderLoseAndDoubleNothing) {
    Shared s;
    constexpr int kProcesses = 4;
    constexpr int kTaps = 150;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t child = ::fork();
        if (child == 0) {
            auto report = s.Report();
            std::mt19937 pause(static_cast<unsigned>(p));
            std::map<std::string, std::string> last;  // name -> time of the last success
            for (int i = 0; i < kTaps; ++i) {
                // Every third tap is a second tap of an earlier name: an overwrite.
                const int k = i % 3 == 2 ? i - 1 : i;
                std::string name = "P" + std::to_string(p) + "-" + std::to_string(k);
                s.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9 + i / 60, i % 60));
                report->SetStamp(name);
                // A tap as the clock makes it: today's check, then the record; yes to the
                // overwrite question.
                const int found = report->CheckToday();
                bool ok = found > 0 ? report->OverwriteRecord(found)
                                    : (found == 0 && report->RegisterStamp());
                if (ok) last[name] = report->StampTimeText();
                std::this_thread::sleep_for(std::chrono::microseconds(pause() % 8000));
            }
            std::string done;
            for (const auto& [name, time] : last) done += name + " " + time + "\n";
            test::WriteBytes(s.t.dir / ("done" + std::to_string(p)), done);
            ::_exit(0);
        }
        children.push_back(child);
    }
    std::mt19937 random(7);
    fs::path away = s.t.dir / "share.away";
    std::vector<int> statuses;
    while (statuses.size() < children.size()) {
        std::error_code ignored;
        fs::rename(s.share, away, ignored);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 36));
        fs::rename(away, s.share, ignored);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 36));
        int status = 0;
        while (statuses.size() < children.size() && ::waitpid(-1, &status, WNOHANG) > 0) {
            statuses.push_back(status);
        }
    }
    for (int status : statuses) EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    s.Report()->CheckWorkFolder();
    EXPECT_FALSE(fs::exists(s.temporary));
    std::map<std::string, std::vector<std::string>> times;
    for (const auto& block : test::WorkBlocks(s.work)) {
        times[block.substr(0, block.find(' '))].push_back(block.substr(44, 5));
    }
    int reported = 0;
    for (int p = 0; p < kProcesses; ++p) {
        std::string done = test::ReadBytes(s.t.dir / ("done" + std::to_string(p)));
        std::size_t start = 0, end;
        while ((end = done.find('\n', start)) != std::string::npos) {
            std::string line = done.substr(start, end - start);
            const std::string name = line.substr(0, line.find(' '));
            EXPECT_EQ(times[name], std::vector<std::string>{line.substr(line.find(' ') + 1)})
                << name;
            ++reported;
            start = end + 1;
        }
    }
    for (const auto& [name, list] : times) EXPECT_EQ(list.size(), 1u) << name;
    EXPECT_GT(reported, kProcesses * kTaps / 3);
}

}  // namespace stampwell
