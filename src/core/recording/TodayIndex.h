#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "recording/WorkFileReader.h"

namespace stampwell {

// Where the records of today start in a long work file, so that a tap reads today's few hundred
// records instead of ten years. Kept in a small side file "<work file>.index", written under the
// work file's lock, holding the file's identity, the byte offset before which every record is of
// an earlier working day, that day, and the block at the start of the file and the one before
// the offset. A tap rewrites records of its own day only, so those blocks never change; when
// the file was replaced (other identity), shrank, or one of the two blocks differs, or the day
// went back, the whole file is read once and the index made again. The answers are always
// those of a full scan.
class CTodayIndex {
public:
    explicit CTodayIndex(std::filesystem::path work);

    std::filesystem::path FilePath() const;
    // Visits, in file order, every record from the first one of working day `today` or later to
    // the end of the file: every record of today is among them. fd is the open work file; the
    // caller holds its lock. False when a read fails.
    bool ForEachRecent(int fd, int today, const CWorkFileReader::Visit& visit);
    // How many blocks the last ForEachRecent read (for the benchmarks and the tests).
    std::uint64_t LastBlocksRead() const { return m_blocksRead; }
    // The work file was rewritten by a save: the next read scans it whole.
    static void Invalidate(const std::filesystem::path& work);

private:
    struct State {
        dev_t device = 0;
        ino_t inode = 0;
        std::uint64_t from = 0;
        int date = 0;
        std::string first, last;  // the fence blocks, enciphered
    };
    std::optional<State> Load() const;
    void Save(const State& state) const;
    static bool Fits(int fd, const State& state, dev_t device, ino_t inode,
                     std::uint64_t wholeBytes, int today);
    static bool ReadFences(int fd, State& state);

    std::filesystem::path m_work;
    std::uint64_t m_blocksRead = 0;
};

}  // namespace stampwell
