#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace stampwell::bench {

// The work files of the benchmarks: `years` years of working days (Monday to Friday) of 100
// people, a clock-in and a clock-out each (10 years: about 520,000 records, 26.6 MB), ending with
// the clock-ins of this morning, the working day of Today(). Made once per benchmark process in
// memory-backed /dev/shm where there is one, so fsync costs nothing and the disk is out of the
// figures. A benchmark that changes a file works on a copy of its own.
class CWorkFiles {
public:
    static constexpr int kPeople = 100;
    // The folder holding KINTAI.dat (and a register of the 100 people with their cards).
    static const std::filesystem::path& Folder(int years);
    // A new folder with a copy of that folder's files (none for years 0: an empty office with
    // the register only).
    static std::filesystem::path CopyOf(int years, const std::string& name);
    // 2026/01/05 09:30 for every file: the morning after the file's last full day.
    static std::int64_t Today();
    static std::string Name(int person);
    static std::string Card(int person);
    // Bytes this process has read through read(2) and friends so far (/proc/self/io rchar).
    static std::uint64_t BytesRead();
    // Bytes this process has written through write(2) and friends so far (wchar).
    static std::uint64_t BytesWritten();
};

}  // namespace stampwell::bench
