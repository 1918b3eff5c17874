#include "personnel/UserRules.h"

#include <vector>

#include "people/PersonText.h"
#include "store/IAdminStore.h"
#include "store/IPeopleStore.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
bool HasBreakOrComma(const std::string& text) {
    return text.find_first_of(",\r\n") != std::string::npos;
}
}  // namespace

std::optional<std::string> CUserRules::CheckUser(const IPeopleStore& reg, const std::string& card,
                                                 const std::string& name,
                                                 const std::string& mailName,
                                                 const std::string& mailAddress,
                                                 const std::string& previousName) {
    if (name.empty() || card.empty()) return "登録名またはカードが未登録です";
    if (mailName.empty() != mailAddress.empty()) {
        return "メールを利用する場合は受信者名と受信アドレスを記入してください。";
    }
    for (const auto* field : {&card, &name, &mailName, &mailAddress}) {
        if (HasBreakOrComma(*field)) return "カンマや改行は登録できません。";
        if (CPersonText::HasControlCharacter(*field)) return "タブなどの制御文字は登録できません。";
        if (!CTextCodec::Cp932Length(*field)) return "Shift-JISで表せない文字は登録できません。";
    }
    if (!CPersonText::IsCardId(card)) return "カードIDは16桁の16進数で指定してください。";
    if (*CTextCodec::Cp932Length(name) > IPeopleStore::kNameLimit) {
        return "登録名は32バイト以内で入力してください。";
    }
    if (!CPersonText::IsStorableName(name)) return "登録名の前後に空白は使えません。";
    if (*CTextCodec::Cp932Length(mailName) > IPeopleStore::kMailNameLimit) {
        return "受信者名は32バイト以内で入力してください。";
    }
    if (*CTextCodec::Cp932Length(mailAddress) > IPeopleStore::kMailAddressLimit) {
        return "受信アドレスは64バイト以内で入力してください。";
    }
    if (!mailAddress.empty() && !CPersonText::IsMailAddress(mailAddress)) {
        return "受信アドレスが正しくありません（「@"
               "」を含み、空白を含まないアドレスを入力してください）。";
    }
    // A name belongs to one person only: the work file keys records by name.
    if (name != previousName && reg.HasName(name)) {
        return "既に登録された登録名です。";
    }
    // A card belongs to one person only; a change may keep the person's own card.
    bool ownCard = !previousName.empty() && reg.GetCardIdByName(previousName) == card;
    if (!ownCard) {
        const auto probe = reg.Clone();
        probe->SetCardId(card);
        if (probe->FindNameByCard()) return "すでに登録されているカードです。";
    }
    return std::nullopt;
}

std::optional<std::string> CUserRules::CheckAdmin(IAdminStore& admins, const std::string& id,
                                                  const std::string& password,
                                                  const std::string& card,
                                                  const std::string& previousId) {
    // A change may leave a password the store never gives back as it is.
    const bool kept = password.empty() && !previousId.empty() && admins.KeepsPasswordHidden();
    if (kept) return CheckAdmin(admins, id, "x", card, previousId);
    if (id.empty() || password.empty()) return "登録名またはパスが未入力です";
    if (CPersonText::HasControlCharacter(id) || CPersonText::HasControlCharacter(password))
        return "タブなどの制御文字は登録できません。";
    if (previousId.empty() && admins.GetCount() >= IAdminStore::kMaxAdmins) {
        return "これ以上の管理者は作成できません。";
    }
    if (password.find_first_of(" \t") != std::string::npos) {
        return "パスワードに空白は使えません。";
    }
    if (!card.empty() && !CPersonText::IsCardId(card)) {
        return "カードIDは16桁の16進数で指定してください。";
    }
    if (!admins.Fits(id, card, password)) {
        return "管理者ＩＤは32バイト、パスワードは16バイト以内で、カンマや改行を含めずに入力して"
               "ください（ＩＤ・カード・パスワードの合計は63バイトまでです）。";
    }
    const auto probe = admins.Clone();
    if (previousId.empty() || previousId != id) {
        probe->SetId(id);
        if (probe->ExistsId()) return "既に登録された登録名です。";
    }
    if (!card.empty()) {
        probe->SetCardId(card);
        if (probe->FindIdByCard() && probe->GetId() != previousId)
            return "既に登録されたカードです。";
    }
    return std::nullopt;
}

}  // namespace stampwell
