#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace stampwell {

// Rewrites part of the work file in place so that a killed writer never leaves it half old and
// half new: the new bytes go first, whole and synced, into "<work file>.journal", then into the
// work file, and the journal goes last. Whoever takes the work file's lock next and finds a
// journal settles it: when the work file still holds the old bytes the rewrite never began and
// the journal goes (the save did not happen, as its program was told or never said); otherwise
// the journal is written again, so the file is always either the old one or the new one. A
// write that fails is taken back at once. Other clocks and older releases read the work file as
// before: nothing of its format changes.
class CWorkJournal {
public:
    explicit CWorkJournal(std::filesystem::path work);

    std::filesystem::path FilePath() const;
    // Something other than a regular file stands at the journal's name.
    bool IsForeign() const;

    // The points a crash test stops at.
    enum class EStep { kJournalWritten, kHalfWritten, kWritten };
    using StepHook = std::function<void(EStep)>;
    // bytes replace the file from offset on, where it holds old (to its end); the file then
    // ends at newSize (bytes reach at most that far; anything between is kept). The caller holds
    // the work file's lock. False when the rewrite did not happen: the file holds old.
    bool Rewrite(std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                 std::string_view old, const StepHook& step = {});

    // A journal written ahead of the lock under a name of its own, whole and synced, so that
    // the lock is held only while the work file itself is written. It becomes the journal only
    // under the lock (the Rewrite below) and is removed with this object otherwise.
    class CAhead {
    public:
        CAhead(CAhead&& other) noexcept;
        CAhead& operator=(CAhead&& other) noexcept;
        CAhead(const CAhead&) = delete;
        CAhead& operator=(const CAhead&) = delete;
        ~CAhead();

    private:
        friend class CWorkJournal;
        CAhead() = default;
        // What the journal written ahead holds: bytes from offset, after a header.
        struct Extent {
            std::uint64_t offset = 0, headerSize = 0, size = 0, newSize = 0, oldSize = 0;
        };
        std::filesystem::path m_path;
        Extent m_extent;
    };
    // Not under the lock: writes the journal of the rewrite as Rewrite takes it. Nothing when
    // it cannot be written (the save then writes its journal under the lock, as ever).
    std::optional<CAhead> WriteAhead(std::uint64_t offset, std::string_view bytes,
                                     std::uint64_t newSize, std::string_view old) const;
    // Under the lock, when only records were appended since it was written: the journal
    // written ahead takes the rewrite as it now is, whose bytes begin with the ones it holds
    // (old and the sizes as they now are). False when it cannot: it is then dropped and the
    // journal is written in full by Rewrite.
    bool Extend(CAhead& ahead, std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                std::string_view old) const;
    // Rewrite with the journal written ahead for exactly these arguments (checked; otherwise,
    // or when it went meanwhile, the journal is written now).
    bool Rewrite(CAhead& ahead, std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                 std::string_view old, const StepHook& step = {});
    // Journals written ahead by programs killed before their lock are removed after this long.
    static constexpr std::chrono::hours kAheadKept{1};
    // Finishes the rewrite a killed writer left. A journal that is not whole (the writer was
    // killed while writing it) never reached the work file and is removed. False when the work
    // file could not be written: then it must not be changed by anyone until it is settled.
    bool Settle();

private:
    enum class EFinished { kNone, kAway, kDropped, kWritten, kFailed };
    EFinished Finish();
    // The rewrite once its journal is in place.
    bool CarryOut(std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
                  std::string_view old, const StepHook& step);
    void RemoveStaleAhead() const;
    bool Apply(std::uint64_t offset, std::string_view bytes, std::uint64_t newSize,
               const StepHook& step);
    // Whether the work file is exactly old from offset to its end.
    bool HoldsOld(std::uint64_t offset, std::uint64_t oldSize, const std::string& digest) const;
    void Remove() const;

    std::filesystem::path m_work;
};

}  // namespace stampwell
