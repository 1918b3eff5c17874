// A tap reads today's records only; its answers must be those of a full scan whatever wrote the
// file: taps of several clocks, overwrites in place, month saves that append past days, moves of
// waiting records, a file replaced, truncated or copied over, the day changing.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "calendar/WorkDate.h"
#include "people/CipherRecordFile.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "text/TextCodec.h"
#include "workfile/TodayIndex.h"
#include "workfile/WorkLine.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

// A time clock with its own data folder on the shared work file.
struct Clock {
    Clock(const test::CTempDir& root, const std::string& name, const fs::path& work)
        : runtime(root / name, clock, sink) {
        fs::create_directories(root / name);
        settings = CreateConfig(runtime);
        settings->SetWorkFilePath(work.string());
        settings->SetDayChangeHour(5);
        report = std::make_unique<CWorkReport>(runtime);
        report->SetSettings(settings);
        report->SetStampSide(&side);
    }
    std::shared_ptr<CManualClock> clock = std::make_shared<CManualClock>(0);
    std::shared_ptr<test::CRecordingMessageSink> sink =
        std::make_shared<test::CRecordingMessageSink>();
    CRuntime runtime;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    test::CFixedSide side;
};

// The answers of a full scan of the work file and of the waiting records.
struct Oracle {
    static int CheckToday(const fs::path& work, const fs::path& temporary, const Clock& c) {
        const std::string padded =
            CTextCodec::PadCp932(*CTextCodec::ToCp932(c.report->GetName()), 32);
        const std::string date = c.report->StampDateText();
        const int side = c.side.end ? 1 : 0;
        for (const fs::path& file : {work, temporary}) {
            int number = 0;
            for (const auto& text : test::WorkBlocks(file)) {
                ++number;
                WorkLine line = WorkLine::Parse(text);
                if (line.name == padded && line.date == date && line.Side() == side) return number;
            }
        }
        return 0;
    }
    static std::vector<std::string> ListToday(const fs::path& work, const fs::path& temporary,
                                              const Clock& c) {
        std::vector<std::string> lines;
        const int today = CWorkDate::Number(c.report->TodayText());
        for (const fs::path& file : {work, temporary}) {
            for (const auto& text : test::WorkBlocks(file)) {
                WorkLine line = WorkLine::Parse(text);
                if (CWorkDate::Number(line.date) != today) continue;
                const std::string name = CTextCodec::FromCp932(line.name);
                if (!line.start.empty()) {
                    lines.push_back(std::string(line.date) + " " + std::string(line.start) +
                                    " 出社 " + name);
                }
                if (!line.end.empty()) {
                    lines.push_back(std::string(line.date) + " " + std::string(line.end) +
                                    " 退社 " + name);
                }
            }
        }
        return lines;
    }
};

}  // namespace

TEST(TodayIndex, EveryAnswerEqualsAFullScanWhateverWroteTheFile) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        test::CTempDir root;
        const fs::path share = root / "share";
        const fs::path work = share / "KINTAI.dat";
        fs::create_directories(share);
        std::vector<std::unique_ptr<Clock>> clocks;
        for (int k = 0; k < 3; ++k) {
            clocks.push_back(std::make_unique<Clock>(root, "clock" + std::to_string(k), work));
        }
        // Another office PC whose day changes at another hour shares the index.
        clocks[2]->settings->SetDayChangeHour(3);
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        // Three days around the day-change hour (5): 04:50 still belongs to the day before.
        std::int64_t now = CLocalTime::FromLocal(2011, 8, 24, 8, 0);
        int checks = 0;
        for (int step = 0; step < 1500; ++step) {
            Clock& c = *clocks[static_cast<std::size_t>(pick(3))];
            const fs::path temporary = c.runtime.DataFile("TemporaryRecord.dat");
            now += 60 * (1 + pick(40));
            for (auto& each : clocks) each->clock->Set(now);
            const std::string name = "P" + std::to_string(pick(6));
            switch (pick(10)) {
                case 0:
                case 1:
                case 2:
                case 3: {  // a tap, checked against the oracle before it writes
                    c.side.end = pick(2) == 1;
                    c.report->SetStamp(name);
                    fs::path waiting = fs::exists(temporary) ? temporary : fs::path{};
                    const int expected = Oracle::CheckToday(work, waiting, c);
                    const int found = c.report->CheckToday();
                    // A move of waiting records may have run first: compare with the file as the
                    // decision saw it when there was nothing waiting.
                    if (waiting.empty()) {
                        ASSERT_EQ(found, expected) << "seed " << seed << " step " << step;
                        ++checks;
                    }
                    found > 0 ? c.report->OverwriteRecord(found) : c.report->RegisterStamp();
                    break;
                }
                case 4: {  // the history
                    std::vector<std::string> lines;
                    c.report->ListToday(lines);
                    ASSERT_EQ(lines, Oracle::ListToday(work, temporary, c))
                        << "seed " << seed << " step " << step;
                    ++checks;
                    break;
                }
                case 5: {  // a month save of a past day: appended after today's taps
                    auto tm = CLocalTime::ToLocal(now - 86400 * (1 + pick(40)));
                    c.report->SaveMonth(name, tm->tm_year + 1900, tm->tm_mon + 1,
                                        {{tm->tm_mday, pick(2), "",
                                          pick(2) ? "09:0" + std::to_string(pick(10)) : ""}});
                    break;
                }
                case 6: {  // the folder away for a tap or two: the taps wait, then move
                    fs::rename(share, root / "away");
                    c.side.end = pick(2) == 1;
                    c.report->SetStamp(name);
                    if (c.report->CheckToday() == 0) c.report->RegisterStamp();
                    fs::rename(root / "away", share);
                    break;
                }
                case 7: {  // the file replaced by a copy of itself (another inode)
                    const auto bytes = test::ReadBytes(work);
                    test::WriteBytes(share / "copy", bytes);
                    fs::rename(share / "copy", work);
                    break;
                }
                case 8: {  // a backup copied over it in place: the same inode, older content
                    const auto bytes = test::ReadBytes(work);
                    const std::size_t keep = bytes.size() / 51 * pick(100) / 100 * 51;
                    std::ofstream(work, std::ios::binary | std::ios::trunc)
                        << bytes.substr(0, keep);
                    break;
                }
                default: {  // the next days, across the day-change hour
                    auto tm = CLocalTime::ToLocal(now);
                    if (pick(3) == 0) {
                        now = CLocalTime::FromLocal(tm->tm_year + 1900, tm->tm_mon + 1,
                                                    tm->tm_mday + 1, 4, 40 + pick(20));
                    }
                    break;
                }
            }
        }
        EXPECT_GT(checks, 500);
    }
}

namespace {

// A year of old records (20 people a day), then `todays` records of 2011/08/25.
std::string YearThenToday(int todays) {
    std::string bytes;
    for (int day = 1; day <= 28; ++day) {
        for (int month = 1; month <= 12; ++month) {
            char date[16];
            std::snprintf(date, sizeof date, "2010/%02d/%02d", month, day);
            for (int p = 0; p < 20; ++p) {
                bytes += CCipherRecordFile::Encipher(
                    WorkLine::Format("P" + std::to_string(p), date, "09:00", 0), 51);
            }
        }
    }
    for (int p = 0; p < todays; ++p) {
        bytes += CCipherRecordFile::Encipher(
            WorkLine::Format("T" + std::to_string(p), "2011/08/25", "08:30", 0), 51);
    }
    return bytes;
}

// How many blocks one read of the recent records takes, and how many of today's it saw.
std::pair<std::uint64_t, int> ReadRecent(const fs::path& work, int today) {
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    CTodayIndex index(work);
    int seen = 0;
    EXPECT_TRUE(index.ForEachRecent(fd.Get(), today, [&](std::size_t, std::string_view text) {
        seen += CWorkDate::Number(WorkLine::Parse(text).date) == today;
        return true;
    }));
    return {index.LastBlocksRead(), seen};
}

}  // namespace

TEST(TodayIndex, ATapReadsTodaysRecordsNotTheWholeFile) {
    test::CTempDir root;
    const fs::path work = root / "KINTAI.dat";
    const std::string bytes = YearThenToday(3);
    test::WriteBytes(work, bytes);
    const int today = CWorkDate::Number("2011/08/25");
    // The first time: the whole file; then only today's.
    EXPECT_EQ(ReadRecent(work, today), std::make_pair<std::uint64_t>(bytes.size() / 51, 3));
    EXPECT_EQ(ReadRecent(work, today), std::make_pair<std::uint64_t>(3, 3));
    EXPECT_TRUE(fs::exists(CTodayIndex(work).FilePath()));
}

TEST(TodayIndex, TheIndexHoldsForTheSameContentOnAnyMountAndAfterSaves) {
    test::CTempDir root;
    const fs::path work = root / "KINTAI.dat";
    test::WriteBytes(work, YearThenToday(3));
    const int today = CWorkDate::Number("2011/08/25");
    ReadRecent(work, today);
    // Another PC's mount shows the same file under another device and inode: a copy here.
    test::WriteBytes(root / "copy", test::ReadBytes(work));
    fs::rename(root / "copy", work);
    EXPECT_EQ(ReadRecent(work, today), std::make_pair<std::uint64_t>(3, 3));

    // A clock whose day has not changed yet (day-change hour 5 at 04:30) and one whose day has,
    // taking turns: each finds its own day's entry after one read.
    ReadRecent(work, today - 1);
    for (int turn = 0; turn < 3; ++turn) {
        EXPECT_EQ(ReadRecent(work, today).first, 3u);
        EXPECT_EQ(ReadRecent(work, today - 1).first, 3u);
    }

    // A month save that removes an old record (every later record moves) and adds one to a
    // past day (at the end: that day had no record) leaves an index of the file it wrote: no
    // clock reads the whole file after it.
    Clock clock(root, "clock", work);
    clock.settings->SetDayChangeHour(0);
    clock.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 10, 0));
    ASSERT_EQ(clock.report->SaveMonth("P3", 2010, 5, {{7, 0, "09:00", ""}, {29, 0, "", "09:10"}}),
              CWorkReport::ESaveOutcome::kSaved);
    EXPECT_EQ(ReadRecent(work, today), std::make_pair<std::uint64_t>(4, 3));
    EXPECT_EQ(ReadRecent(work, today - 1), std::make_pair<std::uint64_t>(4, 0));

    // Whatever stands at the index's name, the answers stay those of a full scan: a huge
    // file is never read into memory, damaged text is ignored.
    for (std::uint64_t size : {std::uint64_t{8} << 30, std::uint64_t{100}}) {
        fs::remove(CTodayIndex(work).FilePath());
        test::WriteBytes(CTodayIndex(work).FilePath(), "stampwell-index 2\nzz\n");
        fs::resize_file(CTodayIndex(work).FilePath(), size);
        EXPECT_EQ(ReadRecent(work, today).second, 3);
        EXPECT_EQ(ReadRecent(work, today), std::make_pair<std::uint64_t>(4, 3));
    }
}

// A writer that removes an old record behind the index (an older release's save, a hand edit)
// moves today's records one block earlier: the block before the index's offset no longer
// matches, so today's first record is still found.
TEST(TodayIndex, ARecordRemovedBehindTheIndexNeverHidesTodaysFirstRecord) {
    test::CTempDir root;
    const fs::path work = root / "KINTAI.dat";
    const int today = CWorkDate::Number("2011/08/25");
    test::WriteBytes(work, YearThenToday(3));
    ASSERT_EQ(ReadRecent(work, today).second, 3);
    std::string shorter = test::ReadBytes(work);
    shorter.erase(51, 51);  // the second record: the first block stays as it was
    test::WriteBytes(work, shorter);
    EXPECT_EQ(ReadRecent(work, today).second, 3);
}

}  // namespace stampwell
