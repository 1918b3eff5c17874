#include "settings/EnvironmentSettings.h"

#include <sys/stat.h>

#include <array>

#include "diagnostics/SharedLock.h"
#include "platform/Runtime.h"
#include "settings/SettingFile.h"

namespace stampwell {

namespace {
constexpr const char* kFileName = "Setting.txt";
constexpr const char* kTitle = "Stampwell設定";
constexpr const char* kDayChange = "日付更新時刻";
constexpr const char* kSwitch = "出退社切換え時刻";
constexpr const char* kIdPath = "ＩＤファイルパス";
constexpr const char* kWorkPath = "勤務ファイルパス";
constexpr const char* kBackupPath = "バックアップパス";
// Added after the six original lines; readers that stop after six never see it.
constexpr const char* kBackupSwitch = "バックアップ";
}  // namespace

CEnvironmentSettings::CEnvironmentSettings(CRuntime runtime) : m_runtime(std::move(runtime)) {
    SetDefaults();
}

std::filesystem::path CEnvironmentSettings::FilePath() const {
    return m_runtime.DataFile(kFileName);
}

CFileLock CEnvironmentSettings::Lock() const {
    std::filesystem::path lock = FilePath();
    lock += ".lock";
    return CSharedLock::Take(m_runtime, lock);
}

void CEnvironmentSettings::SetDefaults() {
    m_dayChangeHour = 0;
    m_switchHour = 14;
    m_idFilePath = m_runtime.DataFile("Register.txt").string();
    m_workFilePath = m_runtime.DataFile("KINTAI.dat").string();
    m_backupPath = m_runtime.DataFile("KINTAI.dat.bak").string();
    m_backupChecked = false;
}

namespace {
std::string StampOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    return std::to_string(status.st_ino) + ":" + std::to_string(status.st_size) + ":" +
           std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec);
}
}  // namespace

void CEnvironmentSettings::ReloadIfChanged() {
    const std::string stamp = StampOf(FilePath());
    if (!stamp.empty() && stamp != m_loadedStamp) LoadSettings();
}

void CEnvironmentSettings::LoadSettings() {
    m_loadedStamp = StampOf(FilePath());
    auto file = CreateSettingFile(&m_runtime.Messages());
    if (!file->OpenRead(FilePath())) return;
    std::array<std::int32_t, 1> title{0};
    std::array<std::int32_t, 1> dayChange{m_dayChangeHour};
    std::array<std::int32_t, 1> switchHour{m_switchHour};
    std::array<std::string, 1> idPath{m_idFilePath};
    std::array<std::string, 1> workPath{m_workFilePath};
    std::array<std::string, 1> backupPath{m_backupPath};
    file->ReadInts(kTitle, title);
    if (file->ReadInts(kDayChange, dayChange)) m_dayChangeHour = dayChange[0];
    if (file->ReadInts(kSwitch, switchHour)) m_switchHour = switchHour[0];
    if (file->ReadStrings(kIdPath, idPath)) m_idFilePath = idPath[0];
    if (file->ReadStrings(kWorkPath, workPath)) m_workFilePath = workPath[0];
    if (file->ReadStrings(kBackupPath, backupPath)) m_backupPath = backupPath[0];
    if (!file->AtEnd()) {
        std::array<std::int32_t, 1> backup{m_backupChecked ? 1 : 0};
        if (file->ReadInts(kBackupSwitch, backup)) m_backupChecked = backup[0] != 0;
    }
    file->Close();
}

bool CEnvironmentSettings::SaveSettings() const {
    auto file = CreateSettingFile(&m_runtime.Messages());
    if (!file->OpenWrite(FilePath())) return false;
    file->WriteInts(kTitle, std::array<std::int32_t, 1>{2});
    file->WriteInts(kDayChange, std::array<std::int32_t, 1>{m_dayChangeHour});
    file->WriteInts(kSwitch, std::array<std::int32_t, 1>{m_switchHour});
    file->WriteStrings(kIdPath, std::array<std::string, 1>{m_idFilePath});
    file->WriteStrings(kWorkPath, std::array<std::string, 1>{m_workFilePath});
    file->WriteStrings(kBackupPath, std::array<std::string, 1>{m_backupPath});
    file->WriteInts(kBackupSwitch, std::array<std::int32_t, 1>{m_backupChecked ? 1 : 0});
    return file->Close() == 1;
}

std::shared_ptr<CEnvironmentSettings> CreateConfig(const CRuntime& runtime) {
    auto settings = std::make_shared<CEnvironmentSettings>(runtime);
    settings->LoadSettings();
    return settings;
}

}  // namespace stampwell
