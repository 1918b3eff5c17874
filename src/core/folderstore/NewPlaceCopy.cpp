#include "folderstore/NewPlaceCopy.h"

#include <system_error>

#include "diagnostics/ErrorLog.h"
#include "diagnostics/SharedLock.h"
#include "platform/FileSystem.h"
#include "platform/IMessageSink.h"
#include "platform/Runtime.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
// The files that live beside the register and the work file (their owners name them so).
constexpr const char* kLeaveBookName = "PaidLeave.txt";
constexpr const char* kTrailName = "EditLog.txt";
constexpr const char* kScheduleName = "Schedule.txt";

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
    auto consider = [&](const char* label, const fs::path& from, const fs::path& to,
                        const fs::path& lockOf) {
        if (from.empty() || to.empty() || from == to) return;
        if (HoldsData(from) && IsAbsent(to)) items.push_back({label, from, to, lockOf});
    };
    auto beside = [](const std::string& file, const char* name) {
        return file.empty() ? fs::path{} : fs::path(file).parent_path() / name;
    };
    // A file beside goes with its main file only: beside another office's register or work
    // file it would be theirs (LeftBehind says so instead).
    const std::size_t before = items.size();
    consider("カード登録者ファイル", registerFrom, registerTo, registerFrom);
    if (items.size() > before) {
        const fs::path leave = beside(registerFrom, kLeaveBookName);
        consider("有給休暇管理簿", leave, beside(registerTo, kLeaveBookName), leave);
        const fs::path schedule = beside(registerFrom, kScheduleName);
        consider("勤務予定と締め", schedule, beside(registerTo, kScheduleName), schedule);
    }
    const std::size_t beforeWork = items.size();
    consider("勤務登録ファイル", workFrom, workTo, workFrom);
    if (items.size() > beforeWork) {
        consider("修正履歴", beside(workFrom, kTrailName), beside(workTo, kTrailName), workFrom);
    }
    return items;
}

std::vector<CNewPlaceCopy::Item> CNewPlaceCopy::LeftBehind(const std::string& registerFrom,
                                                           const std::string& registerTo,
                                                           const std::string& workFrom,
                                                           const std::string& workTo) {
    std::vector<Item> items;
    auto consider = [&](const char* label, const std::string& mainFrom, const std::string& mainTo,
                        const char* name) {
        if (mainFrom.empty() || mainTo.empty() || mainFrom == mainTo) return;
        const fs::path from = fs::path(mainFrom).parent_path() / name;
        const fs::path to = fs::path(mainTo).parent_path() / name;
        // The main file is already at the new place (another PC moved first): only then is the
        // file beside it missing there while ours holds records.
        if (from != to && !IsAbsent(mainTo) && HoldsData(from) && IsAbsent(to)) {
            items.push_back({label, from, to, from});
        }
    };
    consider("有給休暇管理簿", registerFrom, registerTo, kLeaveBookName);
    consider("勤務予定と締め", registerFrom, registerTo, kScheduleName);
    consider("修正履歴", workFrom, workTo, kTrailName);
    return items;
}

std::string CNewPlaceCopy::LeftBehindNotice(const std::vector<Item>& items) {
    std::string text =
        "新しい場所には次のファイルがありません。今までの記録は元の場所に残っています。"
        "\n必要なら管理者が元の場所から新しい場所へ移してください。\n";
    for (const auto& item : items) {
        text += "\n" + item.label + ": " + item.from.string() +
                "（新しい場所: " + item.to.string() + "）";
    }
    return text;
}

std::string CNewPlaceCopy::Question(const std::vector<Item>& items) {
    std::string text = "新しい場所にはまだ次のファイルがありません。\n";
    for (const auto& item : items) text += "\n" + item.label + ": " + item.to.string();
    text +=
        "\n\n今使っているこれらのファイルを新しい場所にコピーしますか？\n"
        "「いいえ」のときは、新しい場所で最初から始めます（上のファイルの記録がない状態です）。";
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
        if (!CopyOne(runtime, item.from, item.to, item.lockOf, messages)) return false;
    }
    return true;
}

}  // namespace stampwell
