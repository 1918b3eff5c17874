#include "settings/ExportSettings.h"

#include <array>

#include "settings/SettingFile.h"

namespace stampwell {

namespace {
constexpr const char* kFileName = "ExportSetting.txt";
constexpr const char* kFolder = "エクスポートファイルパス";
}  // namespace

CExportSettings::CExportSettings(CRuntime runtime) : m_runtime(std::move(runtime)) {
    m_folder = (m_runtime.DataDir() / "").string();
}

std::filesystem::path CExportSettings::FilePath() const {
    return m_runtime.DataFile(kFileName);
}

void CExportSettings::LoadSettings() {
    auto file = CreateSettingFile(&m_runtime.Messages());
    if (!file->OpenRead(FilePath())) return;
    std::array<std::string, 1> folder{m_folder};
    if (file->ReadStrings(kFolder, folder)) m_folder = folder[0];
    file->Close();
}

bool CExportSettings::SaveSettings() const {
    auto file = CreateSettingFile(&m_runtime.Messages());
    if (!file->OpenWrite(FilePath())) return false;
    file->WriteStrings(kFolder, std::array<std::string, 1>{m_folder});
    return file->Close() == 1;
}

}  // namespace stampwell
