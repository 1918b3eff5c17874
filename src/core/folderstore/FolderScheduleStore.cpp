#include "folderstore/FolderScheduleStore.h"

#include <cerrno>

#include "folderstore/LockedTextFile.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
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
    return CLockedTextFile::Change(
        m_runtime, file, "勤務予定のファイル",
        [&](std::string& why) -> std::optional<std::string> {
            CScheduleBook book;
            if (!Load(file, book, &why)) return std::nullopt;
            if (auto refused = change(book)) {
                why = *refused;
                return std::nullopt;
            }
            return book.FileText();
        },
        messages);
}

}  // namespace stampwell
