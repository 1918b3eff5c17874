#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/FileLock.h"
#include "platform/Runtime.h"
#include "settings/ISettings.h"

namespace stampwell {

// The values of Setting.txt. The settings dialog wraps this object; everything else reads it
// through ISettings.
class CEnvironmentSettings : public ISettings {
public:
    explicit CEnvironmentSettings(CRuntime runtime);

    int GetDayChangeHour() const override { return m_dayChangeHour; }
    int GetSwitchHour() const override { return m_switchHour; }
    std::string GetIdFilePath() const override { return m_idFilePath; }
    std::string GetWorkFilePath() const override { return m_workFilePath; }
    std::string GetBackupPath() const override { return m_backupPath; }
    bool IsBackupChecked() const { return m_backupChecked; }

    void SetDayChangeHour(int hour) { m_dayChangeHour = hour; }
    void SetSwitchHour(int hour) { m_switchHour = hour; }
    void SetIdFilePath(std::string path) { m_idFilePath = std::move(path); }
    void SetWorkFilePath(std::string path) { m_workFilePath = std::move(path); }
    void SetBackupPath(std::string path) { m_backupPath = std::move(path); }
    void SetBackupChecked(bool checked) { m_backupChecked = checked; }

    void SetDefaults();
    // A missing file keeps the current values silently.
    void LoadSettings();
    // Loads Setting.txt again when it changed since it was last loaded (stampwell-cli or
    // another administrator saved it): a running clock uses the new day-change hour at once.
    void ReloadIfChanged();
    // False (and the old file untouched) when the folder is not writable or a path cannot be
    // stored (a comma, a line break, over 255 bytes, no CP932 form).
    bool SaveSettings() const;

    std::filesystem::path FilePath() const;
    const CRuntime& Runtime() const { return m_runtime; }
    // Every read-change-replace of Setting.txt holds "Setting.txt.lock", so two programs that
    // change different settings at once both keep their change.
    CFileLock Lock() const;

private:
    CRuntime m_runtime;
    int m_dayChangeHour = 0;
    int m_switchHour = 14;
    std::string m_idFilePath;
    std::string m_workFilePath;
    std::string m_backupPath;
    bool m_backupChecked = false;
    std::string m_loadedStamp;  // the file's identity, size and time when last loaded
};

// A settings object with the defaults and Setting.txt loaded.
std::shared_ptr<CEnvironmentSettings> CreateConfig(const CRuntime& runtime);

}  // namespace stampwell
