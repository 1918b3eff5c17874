#include "settings/NewPlaceCopy.h"

#include <system_error>

#include "diagnostics/ErrorLog.h"
#include "diagnostics/SharedLock.h"
#include "platform/FileSystem.h"
#include "platform/IMessageSink.h"
#include "platform/Runtime.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
bool HoldsData(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && fs::file_size(path, error) > 0 && !error;
}

bool IsAbsent(const fs::path& path) {
    std::error_code error;
    return !fs::exists(fs::symlink_status(path, error));
}

fs::path WithSuffix(const fs::path& path, const char* suffix) {
    return fs::path(path.string() + suffix);
}

// Copies one file whose writers hold lockOf's lock; the new place is left alone when something
// is there by now.
bool CopyOne(const CRuntime& runtime, const fs::path& from, const fs::path& to,
             const fs::path& lockOf, IMessageSink& messages) {
    CFileLock source = CSharedLock::Take(runtime, WithSuffix(lockOf, ".lock"));
    CFileLock target = CSharedLock::Take(runtime, WithSuffix(to, ".lock"));
    for (const CFileLock* lock : {&source, &target}) {
        if (lock->AllowsChange()) continue;
        const std::string said = CSharedLock::Message(lock->State(), lock->Path());
        messages.ShowMessage(said.empty() ? "コピーできませんでした: " + to.string() : said,
                             EMessageIcon::None);
        return false;
    }
    if (!IsAbsent(to)) return true;
    auto bytes = CFileSystem::ReadWholeFile(from);
    if (!bytes) {
        messages.ShowMessage("今のファイルを読めないため、コピーできませんでした: " + from.string(),
                             EMessageIcon::None);
        return false;
    }
    if (!CFileSystem::WriteWholeFile(to, "StampwellCopy.tmp", *bytes)) {
        messages.ShowMessage("新しい場所に書き込めないため、コピーできませんでした: " + to.string(),
                             EMessageIcon::None);
        return false;
    }
    ErrorLog(runtime.DataDir(), __LINE__,
             "ファイルをコピー: " + from.string() + " -> " + to.string(), __FILE__);
    return true;
}
}  // namespace

std::vector<CNewPlaceCopy::Item> CNewPlaceCopy::Find(const std::string& registerFrom,
                                                     const std::string& registerTo,
                                                     const std::string& workFrom,
                                                     const std::string& workTo) {
    std::vector<Item> items;
    auto consider = [&](const char* label, const std::string& from, const std::string& to) {
        if (from.empty() || to.empty() || from == to) return;
        if (HoldsData(from) && IsAbsent(to)) items.push_back({label, from, to});
    };
    consider("カード登録者ファイル", registerFrom, registerTo);
    consider("勤務登録ファイル", workFrom, workTo);
    return items;
}

std::string CNewPlaceCopy::Question(const std::vector<Item>& items) {
    std::string text = "新しい場所にはまだファイルがありません。\n";
    for (const auto& item : items) text += "\n" + item.label + ": " + item.to.string();
    text +=
        "\n\n今使っているファイルを新しい場所にコピーしますか？\n"
        "「いいえ」のときは、新しい場所で最初から始めます（社員の登録も勤務記録もない状態です）。";
    return text;
}

std::string CNewPlaceCopy::EmptyNotice(const std::vector<Item>& items) {
    std::string text =
        "新しい場所にはまだファイルがないため、最初から始めます（社員の登録も"
        "勤務記録もない状態です）。\n今までのファイルは元の場所に残っています。\n";
    for (const auto& item : items) {
        text += "\n" + item.label + ": " + item.from.string() +
                "（新しい場所: " + item.to.string() + "）";
    }
    return text;
}

bool CNewPlaceCopy::Copy(const CRuntime& runtime, const std::vector<Item>& items,
                         IMessageSink& messages) {
    for (const auto& item : items) {
        if (!CopyOne(runtime, item.from, item.to, item.from, messages)) return false;
        // The trail of corrections lives beside the work file.
        if (item.label != "勤務登録ファイル") continue;
        const fs::path trail = item.from.parent_path() / "EditLog.txt";
        const fs::path newTrail = item.to.parent_path() / "EditLog.txt";
        if (trail != newTrail && HoldsData(trail) && IsAbsent(newTrail) &&
            !CopyOne(runtime, trail, newTrail, item.from, messages)) {
            return false;
        }
    }
    return true;
}

}  // namespace stampwell
