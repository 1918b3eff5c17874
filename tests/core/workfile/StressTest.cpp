// Three time clocks overwrite their taps while a fourth program saves months of other people and
// the shared work folder comes and goes: no record of another employee or day is ever changed,
// nothing is lost or doubled. Runs STAMPWELL_STRESS_SECONDS (60 by default).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include "people/CipherRecordFile.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

int StressSeconds() {
    const char* value = std::getenv("STAMPWELL_STRESS_SECONDS");
    int seconds = value != nullptr ? std::atoi(value) : 0;
    return seconds > 0 ? seconds : 60;
}

// A program with a data folder of its own on the shared work file.
struct Program {
    Program(const test::CTestRuntime& t, const fs::path& share, const std::string& name)
        : runtime(t.dir / name, t.clock, t.sink) {
        fs::create_directories(t.dir / name);
        settings = CreateConfig(runtime);
        settings->SetWorkFilePath((share / "KINTAI.dat").string());
        report = std::make_unique<CWorkReport>(runtime);
        report->SetSettings(settings);
        report->SetStampSide(&side);
    }
    CRuntime runtime;
    std::shared_ptr<CEnvironmentSettings> settings;
    std::unique_ptr<CWorkReport> report;
    test::CFixedSide side;
};

std::string Padded(const std::string& name) {
    return name + std::string(32 - name.size(), ' ');
}

// Writes "key value" lines.
void WriteMap(const fs::path& path, const std::map<std::string, std::string>& values) {
    std::string text;
    for (const auto& [key, value] : values)
        text += key + " " + (value.empty() ? "-" : value) + "\n";
    test::WriteBytes(path, text);
}

std::map<std::string, std::string> ReadMap(const fs::path& path) {
    std::map<std::string, std::string> values;
    std::string text = test::ReadBytes(path);
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        std::string line = text.substr(start, end - start);
        std::string value = line.substr(line.find(' ') + 1);
        values[line.substr(0, line.find(' '))] = value == "-" ? "" : value;
        start = end + 1;
    }
    return values;
}

}  // namespace

TEST(Stress, OverwritingTapsRacingMonthSavesAndAVanishingFolderHitNobodyElse) {
    test::CTestRuntime t;
    const fs::path share = t.dir / "share";
    const fs::path away = t.dir / "share.away";
    fs::create_directories(share);
    // July: five other employees with a clock-in and a clock-out on each of 28 days.
    std::string seed;
    std::map<std::string, std::string> model;  // "B<n>/<day>/<side>" -> time
    for (int b = 0; b < 5; ++b) {
        for (int day = 1; day <= 28; ++day) {
            char date[16];
            std::snprintf(date, sizeof date, "2011/07/%02d", day);
            const std::string name = "B" + std::to_string(b);
            seed += CCipherRecordFile::Encipher(Padded(name) + "," + date + ",09:00,\n", 51);
            seed += CCipherRecordFile::Encipher(Padded(name) + "," + date + ",,18:00\n", 51);
            model[name + "/" + std::to_string(day) + "/0"] = "09:00";
            model[name + "/" + std::to_string(day) + "/1"] = "18:00";
        }
    }
    test::WriteBytes(share / "KINTAI.dat", seed);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(StressSeconds());

    std::vector<pid_t> children;
    // Three clocks tap their own five people again and again: each tap after the first of the
    // day overwrites it.
    for (int p = 0; p < 3; ++p) {
        pid_t child = ::fork();
        if (child == 0) {
            Program clock(t, share, "clock" + std::to_string(p));
            std::mt19937 random(static_cast<unsigned>(p) + 1);
            std::map<std::string, std::string> last;
            for (int i = 0; std::chrono::steady_clock::now() < deadline; ++i) {
                const std::string name =
                    "P" + std::to_string(p) + "-" + std::to_string(random() % 5);
                t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 6 + i / 60 % 18, i % 60));
                clock.report->SetStamp(name);
                const int found = clock.report->CheckToday();
                const bool ok = found > 0 ? clock.report->OverwriteRecord(found)
                                          : (found == 0 && clock.report->RegisterStamp());
                if (ok) last[name] = clock.report->StampTimeText();
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
            }
            // Once the folder is back for good, what waits moves.
            while (!fs::is_directory(share))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            clock.report->CheckWorkFolder();
            WriteMap(t.dir / ("last" + std::to_string(p)), last);
            ::_exit(fs::exists(t.dir / ("clock" + std::to_string(p)) / "TemporaryRecord.dat") ? 3
                                                                                              : 0);
        }
        children.push_back(child);
    }
    // Another program corrects July: clock-outs changed, removed and added again, which moves
    // every record after them.
    pid_t saver = ::fork();
    if (saver == 0) {
        Program office(t, share, "office");
        std::mt19937 random(99);
        int conflicts = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string name = "B" + std::to_string(random() % 5);
            const int day = static_cast<int>(random() % 28) + 1;
            const std::string key = name + "/" + std::to_string(day) + "/1";
            const std::string before = model[key];
            const std::string after = before.empty() ? "18:00" : (before == "18:00" ? "19:30" : "");
            auto outcome = office.report->SaveMonth(name, 2011, 7, {{day, 1, before, after}});
            if (outcome == CWorkReport::ESaveOutcome::kSaved) model[key] = after;
            if (outcome == CWorkReport::ESaveOutcome::kConflict) ++conflicts;
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 5000));
        }
        WriteMap(t.dir / "model", model);
        ::_exit(conflicts == 0 ? 0 : 4);  // nobody else ever writes these records
    }
    children.push_back(saver);
    // The shared folder comes and goes meanwhile.
    std::mt19937 random(7);
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ignored;
        fs::rename(share, away, ignored);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 36));
        fs::rename(away, share, ignored);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 36));
    }
    std::error_code ignored;
    if (!fs::is_directory(share)) fs::rename(away, share, ignored);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    // What the file holds: exactly the office's July and each clock's last tap per person.
    std::map<std::string, std::string> expected = ReadMap(t.dir / "model");
    for (auto it = expected.begin(); it != expected.end();) {
        it = it->second.empty() ? expected.erase(it) : std::next(it);
    }
    int taps = 0;
    for (int p = 0; p < 3; ++p) {
        for (const auto& [name, time] : ReadMap(t.dir / ("last" + std::to_string(p)))) {
            expected[name + "/25/0"] = time;
            ++taps;
        }
    }
    std::map<std::string, std::string> found;
    CCipherRecordFile file;
    ASSERT_TRUE(file.OpenRead(share / "KINTAI.dat"));
    std::string text;
    int blocks = 0;
    while (file.ReadRecord(text, 51) == 1) {
        ++blocks;
        const std::string name = text.substr(0, text.find(' '));
        const int day = std::atoi(text.substr(41, 2).c_str());
        const bool end = text[44] == ',';
        const std::string key = name + "/" + std::to_string(day) + "/" + (end ? "1" : "0");
        EXPECT_EQ(found.count(key), 0u) << "doubled: " << key;
        found[key] = end ? text.substr(45, 5) : text.substr(44, 5);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(static_cast<std::size_t>(blocks), expected.size());
    EXPECT_GT(taps, 5);
}

}  // namespace stampwell
