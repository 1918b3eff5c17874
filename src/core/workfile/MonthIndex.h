#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stampwell {

// Where each month's records stand in a long work file, so that the record edit screen reads
// and rewrites one month instead of ten years. Kept in a small side file "<work file>.months",
// written under the work file's lock. Like the today index, its validity is a property of the
// file's content: it holds the file's first block, the size it describes and the block before
// that size, and each month's byte ranges begin with a record of that month. Records added since
// (taps, moved waiting records) lie past the described size and are always read too. A save
// that moves records renews it; anything else that does (an older release) is caught by the
// checks, and the whole file is then read once and the index made again.
class CMonthIndex {
public:
    struct Range {
        std::uint64_t from = 0, to = 0;  // bytes, whole blocks
    };

    explicit CMonthIndex(std::filesystem::path work);

    std::filesystem::path FilePath() const;
    // Something other than a regular file stands at the name: never read nor replaced.
    bool IsForeign() const;

    // The ranges of fd (the open work file, its lock held) that hold every record of the
    // months (yyyymm), in file order, the records added since the index was made (from
    // `described` on) included. Nothing when the index does not describe the file.
    struct Found {
        std::vector<Range> ranges;
        std::uint64_t described = 0;
    };
    std::optional<Found> Find(int fd, const std::vector<int>& months) const;

    // Made anew while blocks are read in file order: Note each block, then Save.
    class CBuilder {
    public:
        void Note(std::uint64_t offset, std::string_view text);
        std::map<int, std::vector<Range>> TakeMonths() { return std::move(m_months); }

    private:
        friend class CMonthIndex;
        std::map<int, std::vector<Range>> m_months;
    };
    // The month (yyyymm) a deciphered record belongs to as the month's reader takes it, or 0.
    static int MonthOf(std::string_view text);
    // Writes the index of fd's content as the builder saw it (every block up to the size noted).
    void Save(int fd, CBuilder& builder) const;
    // A builder holding this index's ranges that lie wholly before `at` (the bytes from `at`
    // on are about to be noted again); nothing when the index does not describe fd.
    std::optional<CBuilder> KeepBefore(int fd, std::uint64_t at) const;
    // The index is no longer true (a whole-file rewrite): the next reader makes it again.
    void Forget() const;

    static constexpr std::size_t kMaxRangesPerMonth = 8;
    // An index file larger than this is not ours (never read into memory).
    static constexpr std::uint64_t kMaxFileSize = 1 << 20;

private:
    struct State {
        std::string first;  // the file's first block, enciphered
        std::uint64_t size = 0;
        std::string last;  // the block before size
        std::map<int, std::vector<Range>> months;
    };
    std::optional<State> Load() const;
    std::optional<State> LoadFor(int fd) const;

    std::filesystem::path m_work;
};

}  // namespace stampwell
