#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace stampwell {

// How often the work file was changed in place, kept in its lock file ("<work file>.lock"), so
// that a month save may read and prepare its part of the file before it takes the lock and
// write it under the lock only when nothing but appended records came between. Every change in
// place (a journal applied, an overwritten or merged record, a replaced file) counts itself
// there under the lock: odd while it writes, even once done. A random epoch tells a lock file
// made anew from the one read before. A lock file without a count holds none (an older release
// made it; it is only ever locked, so its content is free).
class CWorkGeneration {
public:
    struct Stamp {
        std::uint64_t epoch = 0, count = 0;
        bool operator==(const Stamp&) const = default;
    };

    explicit CWorkGeneration(std::filesystem::path work);

    // The stamp now; nothing when there is none or a change is under way.
    std::optional<Stamp> Read() const;
    // Under the lock: a lock file without a count gets one, so that the first save after it
    // may be prepared ahead (the record edit screen does it as it opens a month).
    void Start() const;

    // Counts one change in place for its lifetime: odd from construction, even after. The
    // caller holds the work file's lock.
    class CChanging {
    public:
        explicit CChanging(const std::filesystem::path& work);
        ~CChanging();
        CChanging(const CChanging&) = delete;
        CChanging& operator=(const CChanging&) = delete;

    private:
        std::filesystem::path m_lock;
        std::optional<Stamp> m_written;
    };

private:
    std::filesystem::path m_lock;
};

}  // namespace stampwell
