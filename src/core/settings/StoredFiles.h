#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace stampwell {

// Every file Stampwell keeps: those of the data folder, the work file with the files beside it
// (its lock, its index, the correction trail), the register with its lock, and the backup. An
// export or a report never writes over one, and no setting names one of them for another role.
class CStoredFiles {
public:
    CStoredFiles(std::filesystem::path dataDir, std::filesystem::path work,
                 std::filesystem::path reg, std::filesystem::path backup);

    // Whether path names one of the files (after resolving links and "..").
    bool Contains(const std::filesystem::path& path) const;
    // The settings' paths: empty when the work file, the register and the backup are three
    // different files, none a folder or another file of ours; else why not (Japanese).
    // A path that clashes with another role's file is named as the role that was changed (the
    // register set to the work file is the register's fault, not the work file's).
    enum class ERole { kWork, kRegister, kBackup };
    std::string CheckSettingsPaths(std::optional<ERole> changed = std::nullopt) const;

    static std::vector<std::filesystem::path> BesideWork(const std::filesystem::path& work);
    static std::vector<std::filesystem::path> OfDataFolder(const std::filesystem::path& dataDir);

private:
    std::filesystem::path m_dataDir;
    std::filesystem::path m_work;
    std::filesystem::path m_register;
    std::filesystem::path m_backup;
};

}  // namespace stampwell
