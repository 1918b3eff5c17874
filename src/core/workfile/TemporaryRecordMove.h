#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace stampwell {

// Moves the records waiting in TemporaryRecord.dat to the end of the work file so that a crash
// at any instruction leaves every record either still waiting or in the work file, never both.
// Before the append, a journal beside the temporary file notes where the batch starts in the
// work file and how long it is; the next move settles an interrupted one by comparing bytes.
// The caller holds the data folder's lock, and the work file's lock while the work file is
// reachable.
class CTemporaryRecordMove {
public:
    CTemporaryRecordMove(std::filesystem::path temporary, std::filesystem::path work);

    // Settles a move that a crash interrupted: the blocks found at the journal's place in the
    // work file leave the temporary file. Without the work file nothing is decided yet unless
    // the temporary file is gone. False when the temporary file could not be rewritten.
    bool Recover(bool workReachable);
    // Appends every whole block of the temporary file to the work file, then removes the
    // temporary file. False when there is nothing to move or a step failed; the work file then
    // holds none of the batch (or the journal accounts for it).
    bool Append();

    std::filesystem::path JournalPath() const;

    // The points of a move where a crash is the hardest to settle; a test stops there.
    enum class EStep { kJournalWritten, kHalfAppended, kAppended };
    void SetStepHook(std::function<void(EStep)> hook) { m_stepHook = std::move(hook); }

private:
    struct Journal {
        std::uintmax_t start = 0;
        std::uintmax_t length = 0;
        std::filesystem::path work;
    };
    bool ReadJournal(Journal& journal) const;
    bool WriteJournal(const Journal& journal) const;
    void RemoveJournal() const;
    // How many whole blocks at the start of batch equal the work file's blocks from start on.
    static std::size_t CountMovedBlocks(const std::filesystem::path& work, std::uintmax_t start,
                                        const std::string& batch);

    void Step(EStep step) const {
        if (m_stepHook) m_stepHook(step);
    }

    std::filesystem::path m_temporary;
    std::filesystem::path m_work;
    std::function<void(EStep)> m_stepHook;
};

}  // namespace stampwell
