#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stampwell {

// EditLog.txt beside the work file: the trail of corrections, one line per changed time, never
// rewritten. Every time clock that shares the work file shares the trail. CP932, CR LF:
// "when,administrator,employee,working day,side,before,after,reason"; a save whose replace
// failed adds a line with the side "保存失敗".
class CEditLog {
public:
    struct Entry {
        std::string when, admin, name, day, side, before, after, reason;
    };
    static constexpr const char* kSaveFailed = "保存失敗";

    explicit CEditLog(const std::filesystem::path& workFile);

    std::filesystem::path FilePath() const { return m_path; }
    // Whether a value can be a field: no comma or line break, and a CP932 form.
    static bool IsStorable(const std::string& text);
    // Appends the lines and puts them on disk (fsync) before it returns true. Refuses (nothing
    // written) a value that is not storable.
    bool Append(const std::vector<Entry>& entries) const;
    // Every line, oldest first. False when the file exists but cannot be read.
    bool Read(std::vector<Entry>& entries) const;

private:
    std::filesystem::path m_path;
};

}  // namespace stampwell
