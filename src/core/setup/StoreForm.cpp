#include "setup/StoreForm.h"

#include "people/PersonText.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "text/TextCodec.h"

namespace stampwell {

std::optional<CStoreChoice::EKind> CStoreForm::ParseKind(const std::string& kind) {
    if (kind == "folder") return CStoreChoice::EKind::kFolder;
    if (kind == "postgresql") return CStoreChoice::EKind::kPostgreSql;
    return std::nullopt;
}

bool CStoreForm::IsSiteName(const std::string& site) {
    const auto length = CTextCodec::Cp932Length(site);
    return length && *length >= 1 && *length <= kSiteLimit &&
           !CPersonText::HasControlCharacter(site);
}

bool CStoreForm::Apply(const CRuntime& runtime, const CStoreChoice& choice,
                       IMessageSink& messages) {
    auto refuse = [&](const std::string& text) {
        messages.ShowMessage(text, EMessageIcon::None);
        return false;
    };
    CStoreChoice stored = choice;
    if (choice.kind == CStoreChoice::EKind::kPostgreSql) {
        std::string why;
        if (!CPgConnection::IsStorable(choice.database, why)) return refuse(why);
        if (!choice.site.empty() && !IsSiteName(choice.site)) {
            return refuse(
                "拠点名は64バイト（全角32文字）以内で、Shift-JISで書ける文字で指定して"
                "ください。");
        }
        // A clock is never sent to a database it cannot use.
        auto connection = CPgConnection::Open(choice.database, why);
        if (!connection) return refuse(why);
        if (CPgSchema::Check(*connection, why) != CPgSchema::EState::kReady) return refuse(why);
    } else {
        stored.database.clear();
        stored.site.clear();
    }
    if (!stored.Save(runtime)) {
        return refuse(
            "保存先の設定（Store.txt）を書き込めませんでした。データフォルダを確認して"
            "ください。");
    }
    return true;
}

}  // namespace stampwell
