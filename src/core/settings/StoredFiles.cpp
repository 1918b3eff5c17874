#include "settings/StoredFiles.h"

#include <system_error>

#include "platform/FileSystem.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
fs::path WithSuffix(fs::path path, const char* suffix) {
    path += suffix;
    return path;
}

bool IsAmong(const fs::path& path, const std::vector<fs::path>& files) {
    const fs::path target = CFileSystem::Resolve(path);
    for (const auto& file : files) {
        if (!file.empty() && CFileSystem::Resolve(file) == target) return true;
    }
    return false;
}

void Append(std::vector<fs::path>& to, const std::vector<fs::path>& more) {
    to.insert(to.end(), more.begin(), more.end());
}
}  // namespace

CStoredFiles::CStoredFiles(fs::path dataDir, fs::path work, fs::path reg, fs::path backup)
    : m_dataDir(std::move(dataDir)),
      m_work(std::move(work)),
      m_register(std::move(reg)),
      m_backup(std::move(backup)) {}

std::vector<fs::path> CStoredFiles::BesideWork(const fs::path& work) {
    return {work,
            WithSuffix(work, ".lock"),
            WithSuffix(work, ".index"),
            WithSuffix(work, ".months"),
            WithSuffix(work, ".journal"),
            work.parent_path() / "EditLog.txt"};
}

std::vector<fs::path> CStoredFiles::OfDataFolder(const fs::path& dataDir) {
    static constexpr const char* kNames[] = {"Register.txt",
                                             "Admin.dat",
                                             "Setting.txt",
                                             "Setting2.txt",
                                             "ExportSetting.txt",
                                             "Style.txt",
                                             "Timer.txt",
                                             "SendMail.txt",
                                             "SendMailDetail.txt",
                                             "ErrorLog.txt",
                                             "EditLog.txt",
                                             "KINTAI.dat",
                                             "KINTAI.dat.index",
                                             "TemporaryRecord.dat",
                                             "TemporaryRecord.dat.move",
                                             "TemporaryRecord.dat.today",
                                             "Register.txt.last",
                                             "WorkRules.txt",
                                             "Store.txt",
                                             "DatabaseWaiting.dat",
                                             "DatabaseWaiting.dat.today",
                                             "DatabaseWaiting.dat.away",
                                             "DatabaseRegister.txt"};
    std::vector<fs::path> files;
    for (const char* name : kNames) {
        files.push_back(dataDir / name);
        files.push_back(WithSuffix(dataDir / name, ".lock"));
    }
    return files;
}

bool CStoredFiles::Contains(const fs::path& path) const {
    std::vector<fs::path> files = OfDataFolder(m_dataDir);
    Append(files, BesideWork(m_work));
    files.push_back(m_register);
    files.push_back(WithSuffix(m_register, ".lock"));
    files.push_back(m_backup);
    return IsAmong(path, files);
}

std::string CStoredFiles::CheckSettingsPaths(std::optional<ERole> changed) const {
    struct Role {
        const char* label;
        fs::path path;
    };
    const Role roles[] = {{"カード登録者ファイル", m_register},
                          {"勤務登録ファイル", m_work},
                          {"バックアップ", m_backup}};
    for (const auto& role : roles) {
        if (role.path.empty()) return std::string(role.label) + "のパスが指定されていません。";
        std::error_code error;
        if (fs::is_directory(role.path, error) || role.path.filename().empty()) {
            return std::string(role.label) + "のパスにフォルダは指定できません。";
        }
    }
    // What each role must not name: every fixed file of ours and the files of the other roles.
    const std::vector<fs::path> fixed = [&] {
        std::vector<fs::path> files;
        for (const auto& file : OfDataFolder(m_dataDir)) {
            const auto name = file.filename().string();
            // The data folder's own register and work file are only defaults for those roles.
            if (name != "Register.txt" && name != "KINTAI.dat" && name != "EditLog.txt" &&
                name != "KINTAI.dat.index" && name != "Register.txt.lock" &&
                name != "KINTAI.dat.lock" && name != "EditLog.txt.lock") {
                files.push_back(file);
            }
        }
        return files;
    }();
    const std::vector<fs::path> registerFiles = {m_register, WithSuffix(m_register, ".lock")};
    std::vector<fs::path> notForWork = fixed;
    Append(notForWork, registerFiles);
    notForWork.push_back(m_backup);
    std::vector<fs::path> notForRegister = fixed;
    Append(notForRegister, BesideWork(m_work));
    notForRegister.push_back(m_backup);
    std::vector<fs::path> notForBackup = fixed;
    Append(notForBackup, BesideWork(m_work));
    Append(notForBackup, registerFiles);
    const auto workName = m_work.filename().string();
    const bool workNameTaken = workName == "EditLog.txt" || workName.ends_with(".lock") ||
                               workName.ends_with(".index") || workName.ends_with(".months") ||
                               workName.ends_with(".journal");
    auto check = [&](ERole role) -> std::string {
        switch (role) {
            case ERole::kWork:
                if (workNameTaken || IsAmong(m_work, notForWork)) {
                    return "勤務登録ファイルに、Stampwellの他のファイル（登録者、バックアップ、設定"
                           "など）は指定できません。";
                }
                return {};
            case ERole::kRegister:
                if (IsAmong(m_register, notForRegister)) {
                    return "カード登録者ファイルに、Stampwellの他のファイル（勤務、バックアップ、"
                           "設定など）は指定できません。";
                }
                return {};
            case ERole::kBackup:
                if (IsAmong(m_backup, notForBackup)) {
                    return "バックアップに、Stampwellの他のファイル（勤務、登録者、設定など）は指定"
                           "できません。";
                }
                return {};
        }
        return {};
    };
    if (changed) {
        if (std::string refused = check(*changed); !refused.empty()) return refused;
    }
    for (ERole role : {ERole::kWork, ERole::kRegister, ERole::kBackup}) {
        if (std::string refused = check(role); !refused.empty()) return refused;
    }
    return {};
}

}  // namespace stampwell
