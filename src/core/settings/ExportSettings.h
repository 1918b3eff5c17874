#pragma once

#include <filesystem>
#include <string>

#include "platform/Runtime.h"

namespace stampwell {

// ExportSetting.txt: the export folder last used.
class CExportSettings {
public:
    explicit CExportSettings(CRuntime runtime);

    const std::string& GetExportFolder() const { return m_folder; }
    void SetExportFolder(std::string folder) { m_folder = std::move(folder); }

    void LoadSettings();
    bool SaveSettings() const;
    std::filesystem::path FilePath() const;

private:
    CRuntime m_runtime;
    std::string m_folder;
};

}  // namespace stampwell
