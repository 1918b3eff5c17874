#include "folderstore/FolderScheduleStore.h"

#include <cerrno>

#include "diagnostics/SharedLock.h"
#include "platform/FileSystem.h"
#include "platform/IMessageSink.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
void Say(IMessageSink& messages, const std::string& text) {
    messages.ShowMessage(text, EMessageIcon::None);
}

// An absent file is an empty book; anything else that does not read refuses, so that a change
// never writes over a book it could not see.
bool Load(const fs::path& file, CScheduleBook& book, std::string* refusal) {
    book = CScheduleBook{};
    std::error_code error;
    const auto status = fs::symlink_status(file, error);
    if (!error && status.type() == fs::file_type::not_found) return true;
    if (CFileSystem::IsForeign(file)) {
        if (refusal) *refusal = "勤務予定のファイルの場所に別のものがあります: " + file.string();
        return false;
    }
    const auto bytes = CFileSystem::ReadWholeFile(file);
    if (!bytes) {
        if (errno == ENOENT) return true;
        if (refusal) *refusal = "勤務予定のファイルを読めませんでした: " + file.string();
        return false;
    }
    book.ReadText(CTextCodec::FromCp932(*bytes));
    return true;
}
}  // namespace

fs::path CFolderScheduleStore::FilePath() const {
    return m_registerPath.parent_path() / CScheduleBook::kFileName;
}

bool CFolderScheduleStore::Read(CScheduleBook& book, std::string* refusal) const {
    return Load(FilePath(), book, refusal);
}

bool CFolderScheduleStore::Apply(const Change& change, IMessageSink& messages) {
    const fs::path file = FilePath();
    CFileLock lock = CSharedLock::Take(m_runtime, fs::path(file.string() + ".lock"));
    if (!lock.AllowsChange()) {
        const std::string said = CSharedLock::Message(lock.State(), lock.Path());
        Say(messages, said.empty() ? "勤務予定のファイルのフォルダに接続できません: " +
                                         file.parent_path().string()
                                   : said);
        return false;
    }
    CScheduleBook book;
    std::string refusal;
    if (!Load(file, book, &refusal)) {
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
    if (!CFileSystem::WriteWholeFile(file, "Schedule.txt.tmp", *bytes)) {
        Say(messages, "勤務予定のファイルを保存できませんでした: " + file.string());
        return false;
    }
    return true;
}

}  // namespace stampwell
