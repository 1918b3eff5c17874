#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace stampwell {

// EditLog.txt beside the work file: the trail of corrections, never rewritten, shared by every
// clock that shares the work file. CP932, CR LF: "when,administrator,employee,working
// day,side,before,after,reason". A save writes its lines as a batch: a "保存開始" line, one line
// per changed time, and after the work file was replaced "保存完了", or one "保存失敗" line per
// working day when it was not. A batch that a crash left open is settled against the work file
// before the next batch (CTrailSettlement), so every change line is known to be done or not.
class CEditLog {
public:
    enum class EState { kDone, kFailed, kPending };
    struct Entry {
        std::string when, admin, name, day, side, before, after, reason;
        EState state = EState::kDone;
    };
    static constexpr const char* kSaveStarted = "保存開始";
    static constexpr const char* kSaveDone = "保存完了";
    static constexpr const char* kSaveFailed = "保存失敗";

    CEditLog(const std::filesystem::path& workFile, std::filesystem::path dataDir);

    std::filesystem::path FilePath() const { return m_path; }
    // Whether a value can be a field: no comma or line break, and a CP932 form.
    static bool IsStorable(const std::string& text);
    // The "保存開始" line (from marker's when, admin, name and reason) and the change lines, on
    // disk (fsync) before it returns true. Refuses (nothing written) a value that is not
    // storable.
    bool BeginBatch(const Entry& marker, const std::vector<Entry>& changes) const;
    // Closes the open batch: "保存完了", or a "保存失敗" line for each of failedDays.
    bool EndBatch(const Entry& marker, bool saved,
                  const std::vector<std::string>& failedDays) const;
    // The open batch at the end of the trail: its marker and change lines; false when the last
    // batch is closed (or there is none).
    bool FindOpenBatch(Entry& marker, std::vector<Entry>& changes) const;
    // Every change and failure line, oldest first, each change with the state of its save,
    // read as a stream. False when the file exists but cannot be read.
    bool ForEach(const std::function<void(const Entry&)>& visit) const;
    bool Read(std::vector<Entry>& entries) const;

private:
    bool AppendLines(const std::vector<Entry>& entries) const;

    std::filesystem::path m_path;
    std::filesystem::path m_dataDir;
};

}  // namespace stampwell
