#include "workfile/WorkMessages.h"

#include "diagnostics/ErrorLog.h"
#include "platform/FileSystem.h"
#include "settings/ModeFiles.h"

namespace stampwell {

void CWorkMessages::ShowPathMessage() const {
    m_runtime.Messages().ShowMessage(
        m_mode == kRoomMode ? "入退室時間を保存するファイルパスが無効です。\n保存はされません。"
                            : "勤務時間を保存するファイルパスが無効です。\n保存はされません。",
        EMessageIcon::None);
}

void CWorkMessages::ShowLockRefusal(CFileLock::EState refusal) const {
    // The refusal itself was logged where the lock was taken (CWorkLocks).
    if (refusal == CFileLock::EState::kForeign) {
        m_runtime.Messages().ShowMessage(
            "勤務ファイルのロックファイルの場所に、Stampwellのものではないファイル（リンクなど）が"
            "置かれています。\n保存はされません。管理者に連絡してください。",
            EMessageIcon::None);
        return;
    }
    if (refusal == CFileLock::EState::kFailed) {
        m_runtime.Messages().ShowMessage(
            "勤務ファイルのロックを取れませんでした。\n保存はされません。管理者に連絡してください"
            "。",
            EMessageIcon::None);
        return;
    }
    m_runtime.Messages().ShowMessage(
        "他の端末が処理中のため、保存できませんでした。\nしばらくしてからもう一度お試しください。",
        EMessageIcon::None);
}

void CWorkMessages::ShowWriteFailure(const std::filesystem::path& path, int error) const {
    if (CFileSystem::IsForeign(path)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "勤務ファイルの場所にStampwellのものではないファイルがあります "
                 "(CWorkReport: foreign work file)",
                 __FILE__, &m_runtime.Clock());
        m_runtime.Messages().ShowMessage(
            "勤務ファイルの場所に、Stampwellのものではないファイル（リンクなど）が置かれています。"
            "\n保存はされません。管理者に連絡してください。",
            EMessageIcon::None);
    } else if (CFileSystem::IsNoSpace(error)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "ディスクの空き容量が足りず、勤務ファイルに保存できませんでした "
                 "(CWorkReport: disk full)",
                 __FILE__, &m_runtime.Clock());
        m_runtime.Messages().ShowMessage("ディスクの空き容量が足りないため、保存できませんでした。",
                                         EMessageIcon::None);
    } else {
        ShowPathMessage();
    }
}

}  // namespace stampwell
