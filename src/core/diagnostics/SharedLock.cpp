#include "diagnostics/SharedLock.h"

#include "diagnostics/ErrorLog.h"
#include "platform/Runtime.h"

namespace stampwell {

CFileLock CSharedLock::Take(const CRuntime& runtime, const std::filesystem::path& lockPath) {
    CFileLock lock(lockPath, runtime.LockWait());
    Log(runtime.DataDir(), lock.State(), lockPath);
    return lock;
}

void CSharedLock::Log(const std::filesystem::path& dataDir, CFileLock::EState state,
                      const std::filesystem::path& lockPath) {
    const char* said = nullptr;
    const char* what = nullptr;
    switch (state) {
        case CFileLock::EState::kTimedOut:
            said = "他の端末の処理が終わらず、ロックを取れませんでした: ";
            what = "lock wait timed out";
            break;
        case CFileLock::EState::kForeign:
            said = "ロックファイルの場所にStampwellのものではないファイルがあります: ";
            what = "not a lock file of ours";
            break;
        case CFileLock::EState::kFailed:
            said = "ファイルシステムがロックを拒否しました: ";
            what = "lock refused by the file system";
            break;
        default:
            return;
    }
    ErrorLog(dataDir, __LINE__,
             std::string(said) + lockPath.string() + " (CFileLock: " + what + ")", __FILE__);
}

std::string CSharedLock::Message(CFileLock::EState state, const std::filesystem::path& lockPath) {
    const std::string name = lockPath.filename().string();
    switch (state) {
        case CFileLock::EState::kTimedOut:
            return "他の端末が処理中のため、保存できませんでした。\nしばらくしてからもう一度"
                   "お試しください。";
        case CFileLock::EState::kForeign:
            return "ロックファイル（" + name +
                   "）の場所に、Stampwellのものではないファイル（フォルダやリンクなど）が置かれて"
                   "います。\n保存はされません。管理者に連絡してください。";
        case CFileLock::EState::kFailed:
            return "共有フォルダでロックファイル（" + name +
                   "）を使えませんでした。\n保存はされません。管理者に連絡してください。";
        default:
            return {};
    }
}

}  // namespace stampwell
