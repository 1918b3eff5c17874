#include "folderstore/FolderLeaveStore.h"

#include "diagnostics/SharedLock.h"
#include "platform/FileSystem.h"
#include "platform/IMessageSink.h"
#include "settings/ISettings.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
void Say(IMessageSink& messages, const std::string& text) {
    messages.ShowMessage(text, EMessageIcon::None);
}
}  // namespace

CFolderLeaveStore::CFolderLeaveStore(CRuntime runtime, std::filesystem::path registerPath)
    : m_runtime(std::move(runtime)), m_registerPath(std::move(registerPath)) {}

std::filesystem::path CFolderLeaveStore::FilePath() const {
    return CLeaveBook::PathBeside(m_registerPath);
}

bool CFolderLeaveStore::Read(CLeaveBook& book, std::string* refusal) const {
    return book.Load(FilePath(), refusal);
}

bool CFolderLeaveStore::Apply(const Change& change, IMessageSink& messages) {
    const std::filesystem::path file = FilePath();
    CFileLock lock = CSharedLock::Take(m_runtime, std::filesystem::path(file.string() + ".lock"));
    if (!lock.AllowsChange()) {
        const std::string said = CSharedLock::Message(lock.State(), lock.Path());
        Say(messages, said.empty() ? "有給休暇のファイルのフォルダに接続できません: " +
                                         file.parent_path().string()
                                   : said);
        return false;
    }
    CLeaveBook book;
    std::string refusal;
    if (!book.Load(file, &refusal)) {
        Say(messages, refusal);
        return false;
    }
    if (auto refused = change(book)) {
        Say(messages, *refused);
        return false;
    }
    auto bytes = CTextCodec::ToCp932(book.FileText());
    if (!bytes) {
        Say(messages, "Shift-JISで表せない文字があります。");
        return false;
    }
    if (!CFileSystem::WriteWholeFile(file, "PaidLeave.txt.tmp", *bytes)) {
        Say(messages, "有給休暇のファイルを保存できませんでした: " + file.string());
        return false;
    }
    return true;
}

}  // namespace stampwell
