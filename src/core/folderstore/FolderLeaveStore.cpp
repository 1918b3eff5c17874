#include "folderstore/FolderLeaveStore.h"

#include "folderstore/LockedTextFile.h"

namespace stampwell {

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
    return CLockedTextFile::Change(
        m_runtime, file, "有給休暇のファイル",
        [&](std::string& why) -> std::optional<std::string> {
            CLeaveBook book;
            if (!book.Load(file, &why)) return std::nullopt;
            if (auto refused = change(book)) {
                why = *refused;
                return std::nullopt;
            }
            return book.FileText();
        },
        messages);
}

}  // namespace stampwell
