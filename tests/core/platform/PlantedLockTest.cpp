// Something that is not a lock file of ours at a lock's name (a folder, a FIFO, a link) must
// never switch locking off: the change is refused, said, and logged, and nothing is written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/FileLock.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {

enum class EPlant { kFolder, kFifo, kLink };

void Plant(const fs::path& at, EPlant kind) {
    switch (kind) {
        case EPlant::kFolder:
            fs::create_directory(at);
            break;
        case EPlant::kFifo:
            ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0);
            break;
        case EPlant::kLink:
            fs::create_symlink("/tmp", at);
            break;
    }
}

std::string AllFiles(const fs::path& dir) {
    std::string listing;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto name = entry.path().filename().string();
        if (name == "ErrorLog.txt") continue;
        listing +=
            name + "=" + (entry.is_regular_file() ? test::ReadBytes(entry.path()) : "?") + ";";
    }
    return listing;
}

}  // namespace

TEST(PlantedLock, NothingButARegularFileAtALockNameIsEverTakenAsALock) {
    test::CTempDir dir;
    struct Case {
        const char* lockName;
        const char* command;
    };
    const Case cases[] = {
        {"KINTAI.dat.lock", "tap --start 00000000000000A1"},
        {"TemporaryRecord.dat.lock", "tap --start 00000000000000A1"},
        {"Register.txt.lock", "users add --card 00000000000000B2 --name 鈴木"},
        {"Admin.dat.lock", "admins add --id clerk --password pw"},
        {"Setting.txt.lock", "settings set --switch 12"},
        {"WorkRules.txt.lock", "rules set --rest-day 土"},
        {"Schedule.txt.lock", "holidays add 2026-12-29 年末年始"},
    };
    for (EPlant kind : {EPlant::kFolder, EPlant::kFifo, EPlant::kLink}) {
        for (const auto& c : cases) {
            test::CTempDir data;
            ASSERT_EQ(
                test::RunCli(data.Path(), "users add --card 00000000000000A1 --name 山田").exitCode,
                0);
            ASSERT_EQ(test::RunCli(data.Path(), "admins add --id first --password pw").exitCode, 0);
            ASSERT_EQ(test::RunCli(data.Path(), "tap --start 00000000000000A1").exitCode, 0);
            const std::string before = AllFiles(data.Path());
            const bool existed = fs::remove(data / c.lockName);
            Plant(data / c.lockName, kind);
            const auto result = test::RunCli(data.Path(), c.command);
            EXPECT_EQ(result.exitCode, 1) << c.lockName << " " << static_cast<int>(kind);
            EXPECT_NE(result.err.find("ロック"), std::string::npos) << c.lockName << result.err;
            EXPECT_NE(test::ReadBytes(data / "ErrorLog.txt").find(c.lockName), std::string::npos)
                << c.lockName;
            fs::remove(data / c.lockName);
            if (existed) test::WriteBytes(data / c.lockName, "");
            EXPECT_EQ(AllFiles(data.Path()), before) << c.lockName << " " << static_cast<int>(kind);
        }
    }
}

TEST(PlantedLock, OnlyAFolderNobodyCanWriteGoesOnWithoutALock) {
    test::CTempDir dir;
    fs::create_directory(dir / "ro");
    test::WriteBytes(dir / "ro" / "y.lock", "");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir / "ro" / "y.lock", fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(dir.Path(), fs::perms::all);
    // Root writes every folder: the checks run as an ordinary user.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        if (CFileLock(dir / "ro" / "x.lock").State() != CFileLock::EState::kUnavailable) {
            ::_exit(1);
        }
        // A lock file this user may only read still locks.
        CFileLock first(dir / "ro" / "y.lock");
        if (first.State() != CFileLock::EState::kHeld) ::_exit(2);
        if (CFileLock(dir / "ro" / "y.lock", std::chrono::milliseconds(50)).State() !=
            CFileLock::EState::kTimedOut) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace stampwell
