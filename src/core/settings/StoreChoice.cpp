#include "settings/StoreChoice.h"

#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {

constexpr const char* kFileName = "Store.txt";
constexpr const char* kKind = "保存先";
constexpr const char* kDatabase = "データベース";
constexpr const char* kSite = "拠点";

}  // namespace

std::optional<CStoreChoice> CStoreChoice::Read(const CRuntime& runtime) {
    CStoreChoice choice;
    bool absent = false;
    const auto bytes = CFileSystem::ReadWholeFileInFolder(runtime.DataFile(kFileName), absent);
    if (absent) return choice;
    if (!bytes) return std::nullopt;
    bool kindRead = false;
    for (std::string line : CTextCodec::NonEmptyLines(CTextCodec::FromCp932(*bytes))) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos) return std::nullopt;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == kKind) {
            if (value == KindName(EKind::kFolder)) {
                choice.kind = EKind::kFolder;
            } else if (value == KindName(EKind::kPostgreSql)) {
                choice.kind = EKind::kPostgreSql;
            } else {
                return std::nullopt;
            }
            kindRead = true;
        } else if (key == kDatabase) {
            choice.database = value;
        } else if (key == kSite) {
            choice.site = value;
        }
    }
    if (!kindRead) return std::nullopt;
    return choice;
}

bool CStoreChoice::Save(const CRuntime& runtime) const {
    for (const std::string* value : {&database, &site}) {
        if (value->find_first_of("\r\n") != std::string::npos) return false;
    }
    const auto text =
        CTextCodec::ToCp932(std::string(kKind) + "=" + KindName(kind) + "\r\n" + kDatabase + "=" +
                            database + "\r\n" + kSite + "=" + site + "\r\n");
    if (!text) return false;
    return CFileSystem::WriteWholeFile(runtime.DataFile(kFileName), "Store.txt.tmp", *text);
}

}  // namespace stampwell
