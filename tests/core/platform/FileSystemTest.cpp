#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/Runtime.h"
#include "support/FailingWrites.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CTempDir;

TEST(FileSystem, WholeFileReplaceLeavesNoScratchAndKeepsOldOnFailure) {
    CTempDir dir;
    auto target = dir / "a.txt";
    ASSERT_TRUE(CFileSystem::WriteWholeFile(target, "a.tmp", "one"));
    ASSERT_TRUE(CFileSystem::WriteWholeFile(target, "a.tmp", "two"));
    EXPECT_EQ(test::ReadBytes(target), "two");
    EXPECT_EQ(test::FilesIn(dir.Path()), std::vector<std::string>{"a.txt"});
    // A scratch name that cannot be created (missing folder) leaves the target alone.
    EXPECT_FALSE(CFileSystem::WriteWholeFile(target, "missing/a.tmp", "three"));
    EXPECT_EQ(test::ReadBytes(target), "two");
    // A write cut short (a full disk) leaves the old file and no scratch file.
    EXPECT_EQ(
        test::RunWithFileSizeLimit(
            4, [&] { return CFileSystem::WriteWholeFile(target, "a.tmp", "longer") ? 1 : 0; }),
        0);
    EXPECT_EQ(test::ReadBytes(target), "two");
    EXPECT_EQ(test::FilesIn(dir.Path()), std::vector<std::string>{"a.txt"});
}

TEST(FileSystem, ReadOnlyFlagCanBeSetAndCleared) {
    CTempDir dir;
    auto file = dir / "r.txt";
    test::WriteBytes(file, "x");
    ASSERT_TRUE(CFileSystem::SetReadOnly(file, true));
    EXPECT_TRUE(CFileSystem::IsReadOnly(file));
    ASSERT_TRUE(CFileSystem::SetReadOnly(file, false));
    EXPECT_FALSE(CFileSystem::IsReadOnly(file));
}

TEST(LocalTime, ConvertsBothWaysInTheTestTimeZone) {
    std::int64_t t = CLocalTime::FromLocal(2011, 8, 26, 1, 10);
    auto tm = CLocalTime::ToLocal(t);
    ASSERT_TRUE(tm);
    EXPECT_EQ(tm->tm_year + 1900, 2011);
    EXPECT_EQ(tm->tm_mday, 26);
    EXPECT_EQ(tm->tm_hour, 1);
    EXPECT_EQ(tm->tm_min, 10);
}

TEST(Runtime, AnOfficesOwnPictureWinsOverOursBesideTheExecutable) {
    CTempDir data, exe;
    // Neither has it: the data folder's name (where an office would put one).
    EXPECT_EQ(CRuntime::FindAsset(data.Path(), exe.Path(), "ImageTime.bmp"),
              data / "ImageTime.bmp");
    test::WriteBytes(exe / "ImageTime.bmp", "ours");
    EXPECT_EQ(CRuntime::FindAsset(data.Path(), exe.Path(), "ImageTime.bmp"), exe / "ImageTime.bmp");
    test::WriteBytes(data / "ImageTime.bmp", "the office's");
    EXPECT_EQ(CRuntime::FindAsset(data.Path(), exe.Path(), "ImageTime.bmp"),
              data / "ImageTime.bmp");
    std::filesystem::create_directory(data / "Chime.wav");  // not a file
    test::WriteBytes(exe / "Chime.wav", "ours");
    EXPECT_EQ(CRuntime::FindAsset(data.Path(), exe.Path(), "Chime.wav"), exe / "Chime.wav");
}

TEST(Runtime, DataDirIsMadeAbsoluteAndCreated) {
    CTempDir dir;
    auto resolved = CRuntime::ResolveDataDir(dir / "sub/../data");
    EXPECT_TRUE(resolved.is_absolute());
    EXPECT_TRUE(std::filesystem::is_directory(resolved));
    EXPECT_EQ(resolved.filename(), "data");
    EXPECT_FALSE(CRuntime::ResolveDataDir(std::nullopt).empty());
}

TEST(Runtime, AnInstalledProgramKeepsItsDataInTheUsersDataFolderAndFindsItsAssets) {
    CTempDir prefix, home;
    std::filesystem::create_directories(prefix / "bin");
    // Run from a build folder: the data stays beside the executable.
    EXPECT_EQ(CRuntime::DefaultDataDir(prefix / "bin"), prefix / "bin");
    std::filesystem::create_directories(prefix / "share" / "stampwell");
    test::WriteBytes(prefix / "share" / "stampwell" / "Chime.wav", "installed");
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string before = saved != nullptr ? saved : "";
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    EXPECT_EQ(CRuntime::DefaultDataDir(prefix / "bin"), home / "data" / "stampwell");
    ::unsetenv("XDG_DATA_HOME");
    const char* userHome = std::getenv("HOME");
    ASSERT_NE(userHome, nullptr);
    EXPECT_EQ(CRuntime::DefaultDataDir(prefix / "bin"),
              std::filesystem::path(userHome) / ".local" / "share" / "stampwell");
    if (saved != nullptr) ::setenv("XDG_DATA_HOME", before.c_str(), 1);
    // Assets: the office's own, then beside the executable, then the installed share folder.
    CTempDir data;
    EXPECT_EQ(CRuntime::FindAsset(data.Path(), prefix / "bin", "Chime.wav"),
              prefix / "share" / "stampwell" / "Chime.wav");
}

}  // namespace stampwell
