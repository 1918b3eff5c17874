#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workfile/WorkFileReader.h"

namespace stampwell {

// Where the records of today start in a long work file, so that a tap reads today's few hundred
// records instead of ten years. Kept in a small side file "<work file>.index", written under the
// work file's lock. Its validity is a property of the file's content, never of the mount (two
// PCs see one shared file under different device and inode numbers): the index holds the
// file's first block and, for each of the last few working days, the offset before which every
// record is of an earlier day together with the block just before that offset. Taps rewrite
// records of their own day only, so those blocks never change; a save that moves records
// writes the index of the file it leaves (Renew). When a block differs or the file is shorter,
// the whole file is read once and the index made again: the answers are always those of a full
// scan. Clocks whose day changes at different hours each find the entry of their own day.
class CTodayIndex {
public:
    explicit CTodayIndex(std::filesystem::path work);

    std::filesystem::path FilePath() const;
    // Something other than a regular file (a folder, a link, a FIFO) stands at the index's
    // name: it is neither read nor replaced, and every read scans the work file.
    bool IsForeign() const;
    // Visits, in file order, every record from the first one of working day `today` or later to
    // the end of the file: every record of today is among them. fd is the open work file; the
    // caller holds its lock. False when a read fails.
    bool ForEachRecent(int fd, int today, const CWorkFileReader::Visit& visit);
    // How many blocks the last ForEachRecent read (for the benchmarks and the tests).
    std::uint64_t LastBlocksRead() const { return m_blocksRead; }
    // The work file was replaced by `blocks` from byte `at` on (a month save, the record
    // table): the index is made anew for it, for the days it knew, so no clock scans the whole
    // file after a save. Entries that begin before `at` describe bytes that did not change.
    void Renew(std::string_view blocks, std::uint64_t at = 0) const;

    static constexpr std::size_t kMaxDays = 4;
    // An index file larger than this is not ours (never read into memory).
    static constexpr std::uint64_t kMaxFileSize = 4096;

private:
    struct Entry {
        int date = 0;
        std::uint64_t from = 0;
        std::string fence;  // the enciphered block before `from` (empty when from is 0)
    };
    struct State {
        std::string first;           // the file's first block, enciphered (empty for an empty file)
        std::vector<Entry> entries;  // in date order
    };
    std::optional<State> Load() const;
    // The newest days are kept, a day's new entry replacing its old one.
    static void Keep(std::vector<Entry>& entries, Entry entry);
    void Save(const State& state) const;

    std::filesystem::path m_work;
    std::uint64_t m_blocksRead = 0;
};

}  // namespace stampwell
