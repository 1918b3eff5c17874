#include "folderstore/LockedTextFile.h"

#include "diagnostics/SharedLock.h"
#include "platform/FileSystem.h"
#include "platform/IMessageSink.h"
#include "text/TextCodec.h"

namespace stampwell {

bool CLockedTextFile::Change(
    const CRuntime& runtime, const std::filesystem::path& file, const std::string& what,
    const std::function<std::optional<std::string>(std::string& why)>& change,
    IMessageSink& messages) {
    auto say = [&](const std::string& text) { messages.ShowMessage(text, EMessageIcon::None); };
    CFileLock lock = CSharedLock::Take(runtime, std::filesystem::path(file.string() + ".lock"));
    if (!lock.AllowsChange()) {
        const std::string said = CSharedLock::Message(lock.State(), lock.Path());
        say(said.empty() ? what + "のフォルダに接続できません: " + file.parent_path().string()
                         : said);
        return false;
    }
    std::string why;
    const auto text = change(why);
    if (!text) {
        say(why);
        return false;
    }
    const auto bytes = CTextCodec::ToCp932(*text);
    if (!bytes) {
        say("Shift-JISで表せない文字があります。");
        return false;
    }
    if (!CFileSystem::WriteWholeFile(file, file.filename().string() + ".tmp", *bytes)) {
        say(what + "を保存できませんでした: " + file.string());
        return false;
    }
    return true;
}

}  // namespace stampwell
