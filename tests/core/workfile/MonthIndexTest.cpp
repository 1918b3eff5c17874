// The record edit screen reads and rewrites one month through the month index and the journal:
// what it reads must equal a full read of the file whatever wrote it, and a save killed at any
// point leaves the old month or the new one, never a mixture.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include "people/CipherRecordFile.h"
#include "platform/LocalTime.h"
#include "support/SharedClock.h"
#include "workfile/MonthEdit.h"
#include "workfile/MonthIndex.h"
#include "workfile/WorkJournal.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

std::string Block(const std::string& name, int year, int month, int day, const std::string& time,
                  bool end) {
    char date[40];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", year, month, day);
    return CCipherRecordFile::Encipher(test::Line(name, date, time, end), 51);
}

// The month as a full read of the file has it.
std::vector<WorkDayRecord> FullRead(const fs::path& work, const std::string& name, int year,
                                    int month) {
    return CMonthEdit(name, year, month).Read(test::ReadBytes(work), name);
}

}  // namespace

TEST(MonthIndex, EveryMonthReadEqualsAFullReadWhateverWroteTheFile) {
    for (unsigned seed : {1u, 2u, 3u}) {
        test::CTempDir root;
        test::SharedClock c(root / "share");
        const fs::path work = c.Work();
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        // Three years of two people's days, so that months stand in ranges of their own.
        std::string bytes;
        for (int year = 2009; year <= 2011; ++year) {
            for (int month = 1; month <= 12 && (year < 2011 || month <= 8); ++month) {
                for (int day = 1; day <= 28; day += 1 + pick(3)) {
                    for (const char* name : {"A", "B"}) {
                        bytes += Block(name, year, month, day, "09:00", false);
                        if (pick(4) > 0) bytes += Block(name, year, month, day, "18:00", true);
                    }
                }
            }
        }
        test::WriteBytes(work, bytes);
        int checks = 0;
        for (int step = 0; step < 300; ++step) {
            const std::string name = pick(2) ? "A" : "B";
            const int year = 2009 + pick(3);
            const int month = 1 + pick(year == 2011 ? 8 : 12);
            const int day = 1 + pick(28);
            switch (pick(8)) {
                case 0:
                case 1: {  // a save, made over what a full read says
                    const auto disk = FullRead(work, name, year, month);
                    const int side = pick(2);
                    const auto& cell = disk[static_cast<std::size_t>(day - 1)];
                    const std::string before = side == 0 ? cell.start : cell.end;
                    const std::string after =
                        pick(3) == 0 ? ""
                                     : (side == 0 ? "08:" : "19:") + std::to_string(10 + pick(50));
                    ASSERT_EQ(c.report->SaveMonth(name, year, month, {{day, side, before, after}}),
                              CWorkReport::ESaveOutcome::kSaved)
                        << "seed " << seed << " step " << step;
                    auto now = FullRead(work, name, year, month);
                    ASSERT_EQ(side == 0 ? now[day - 1].start : now[day - 1].end, after);
                    break;
                }
                case 2:  // a waiting record of a past day moved in: appended at the end
                    test::WriteBytes(work, test::ReadBytes(work) +
                                               Block(name, year, month, day, "07:07", pick(2)));
                    break;
                case 3: {  // an older program's save: a block put into the middle
                    std::string all = test::ReadBytes(work);
                    const std::size_t at =
                        static_cast<std::size_t>(pick(static_cast<int>(all.size() / 51))) * 51;
                    all.insert(at, Block(name, year, month, day, "06:06", pick(2)));
                    test::WriteBytes(work, all);
                    break;
                }
                case 4: {  // or one removed
                    std::string all = test::ReadBytes(work);
                    all.erase(
                        static_cast<std::size_t>(pick(static_cast<int>(all.size() / 51))) * 51, 51);
                    test::WriteBytes(work, all);
                    break;
                }
                case 5:  // the index damaged
                    test::WriteBytes(CMonthIndex(work).FilePath(),
                                     pick(2) ? "stampwell-months 1\nzz\n" : "");
                    break;
                default: {  // the screen opens a month
                    std::vector<WorkDayRecord> days, leadIn;
                    ASSERT_TRUE(c.report->LoadMonth(name, year, month, days, &leadIn));
                    ASSERT_EQ(days, FullRead(work, name, year, month))
                        << "seed " << seed << " step " << step;
                    const auto before = FullRead(work, name, month == 1 ? year - 1 : year,
                                                 month == 1 ? 12 : month - 1);
                    ASSERT_EQ(leadIn, std::vector<WorkDayRecord>(before.end() - 6, before.end()));
                    ++checks;
                }
            }
        }
        EXPECT_GT(checks, 50);
        EXPECT_TRUE(fs::exists(CMonthIndex(work).FilePath()));
    }
}

TEST(MonthIndex, ASaveKilledAtAnyPointLeavesTheOldMonthOrTheNewOne) {
    using EStep = CWorkJournal::EStep;
    for (EStep stop : {EStep::kJournalWritten, EStep::kHalfWritten, EStep::kWritten}) {
        test::CTempDir root;
        test::SharedClock c(root / "share");
        const fs::path work = c.Work();
        std::string bytes;
        for (int month = 1; month <= 8; ++month) {
            for (int day = 1; day <= 28; ++day) {
                bytes += Block("A", 2011, month, day, "09:00", false);
                bytes += Block("B", 2011, month, day, "09:30", false);
            }
        }
        test::WriteBytes(work, bytes);
        std::vector<WorkDayRecord> days;
        ASSERT_TRUE(c.report->LoadMonth("A", 2011, 3, days));  // the index is made
        // Clock-outs added to March (every later block moves) and a clock-in changed.
        const std::vector<CWorkReport::CellChange> changes{
            {2, 1, "", "18:00"}, {20, 1, "", "18:30"}, {5, 0, "09:00", "08:45"}};
        const pid_t child = ::fork();
        if (child == 0) {
            CWorkReport::SaveHooks hooks;
            hooks.step = [&](EStep step) {
                if (step == stop) ::raise(SIGKILL);
            };
            c.report->SaveMonth("A", 2011, 3, changes, nullptr, hooks);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_TRUE(fs::exists(CWorkJournal(work).FilePath()));
        // The next program to take the lock settles the journal before it reads.
        test::SharedClock next(root / "share", "next");
        std::vector<WorkDayRecord> after;
        ASSERT_TRUE(next.report->LoadMonth("A", 2011, 3, after));
        EXPECT_FALSE(fs::exists(CWorkJournal(work).FilePath()));
        const std::vector<std::string> blocks = test::WorkBlocks(work);
        if (stop == EStep::kJournalWritten) {
            // The work file was never touched: the save did not happen.
            EXPECT_EQ(test::ReadBytes(work), bytes);
            EXPECT_EQ(after, days);
        } else {
            EXPECT_EQ(after[1].end, "18:00");
            EXPECT_EQ(after[19].end, "18:30");
            EXPECT_EQ(after[4].start, "08:45");
            EXPECT_EQ(blocks.size(), bytes.size() / 51 + 2);
        }
        // Nothing else of the file moved out of its place or changed.
        for (int month : {1, 2, 4, 8}) {
            EXPECT_EQ(FullRead(work, "A", 2011, month)[27].start, "09:00");
            std::vector<WorkDayRecord> other;
            ASSERT_TRUE(next.report->LoadMonth("B", 2011, month, other));
            EXPECT_EQ(other, FullRead(work, "B", 2011, month));
        }
    }
}

TEST(MonthIndex, AJournalCutShortOrForeignIsNeverWrittenIntoTheWorkFile) {
    test::CTempDir root;
    test::SharedClock c(root / "share");
    const fs::path work = c.Work();
    ASSERT_EQ(c.Tap("A", 9, 0), 1);
    const std::string before = test::ReadBytes(work);
    CWorkJournal journal(work);
    // A journal whose bytes did not all reach the disk: never applied, and gone.
    std::string torn = "stampwell-journal 1\n0 51 51 ";
    torn += std::string(64, '0') + " 51 " + std::string(64, '0') + "\n" + std::string(20, 'x');
    test::WriteBytes(journal.FilePath(), torn);
    ASSERT_EQ(c.Tap("A", 18, 0, true), 1);
    EXPECT_FALSE(fs::exists(journal.FilePath()));
    // A folder that is away holds nothing to finish: never a refusal of the tap that found it so.
    EXPECT_TRUE(CWorkJournal(root / "away" / "KINTAI.dat").Settle());
    EXPECT_EQ(test::ReadBytes(work).substr(0, 51), before);

    // A folder planted at the journal's name: a month save is refused and logged once, taps go on.
    fs::create_directory(journal.FilePath());
    EXPECT_EQ(c.report->SaveMonth("A", 2011, 8, {{25, 1, "18:00", "19:00"}}),
              CWorkReport::ESaveOutcome::kFailed);
    EXPECT_EQ(c.report->SaveMonth("A", 2011, 8, {{25, 1, "18:00", "19:00"}}),
              CWorkReport::ESaveOutcome::kFailed);
    const std::string log = test::ReadBytes(c.dataDir / "ErrorLog.txt");
    const std::string said = test::Sjis("保存用ファイルの場所に");
    ASSERT_NE(log.find(said), std::string::npos);
    EXPECT_EQ(log.find(said, log.find(said) + 1), std::string::npos);
    EXPECT_EQ(c.Tap("B", 9, 5), 1);
    std::vector<WorkDayRecord> days;
    ASSERT_TRUE(c.report->LoadMonth("A", 2011, 8, days));
    EXPECT_EQ(days[24].end, "18:00");
}

}  // namespace stampwell
