#include "people/UserRules.h"

#include <vector>

#include "people/AdminFile.h"
#include "people/RegisterFile.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
bool HasBreakOrComma(const std::string& text) {
    return text.find_first_of(",\r\n") != std::string::npos;
}

// C0 controls, DEL and the C1 controls (U+0080..U+009F): never shown raw on a terminal later.
bool HasControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

constexpr std::string_view kWideBlank = "\xE3\x80\x80";

bool StartsWithBlank(std::string_view text) {
    return !text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                             text.substr(0, kWideBlank.size()) == kWideBlank);
}

bool EndsWithBlank(std::string_view text) {
    return !text.empty() && (text.back() == ' ' || text.back() == '\t' ||
                             (text.size() >= kWideBlank.size() &&
                              text.substr(text.size() - kWideBlank.size()) == kWideBlank));
}
}  // namespace

bool CUserRules::IsCardId(const std::string& card) {
    if (card.size() != 16) return false;
    for (char c : card) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

std::string CUserRules::NormalizeCardId(std::string card) {
    for (char& c : card) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return card;
}

bool CUserRules::IsMailAddress(const std::string& address) {
    std::size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= address.size()) return false;
    if (address.find('@', at + 1) != std::string::npos) return false;
    if (address.find_first_of(" \t") != std::string::npos) return false;
    return address.find(kWideBlank) == std::string::npos;
}

bool CUserRules::IsStorableName(const std::string& name) {
    return !StartsWithBlank(name) && !EndsWithBlank(name) && !HasControl(name);
}

bool CUserRules::HasControlCharacter(const std::string& text) {
    return HasControl(text);
}

std::optional<std::string> CUserRules::CheckUser(const CRegisterFile& reg, const std::string& card,
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
        if (HasControl(*field)) return "タブなどの制御文字は登録できません。";
        if (!CTextCodec::Cp932Length(*field)) return "Shift-JISで表せない文字は登録できません。";
    }
    if (!IsCardId(card)) return "カードIDは16桁の16進数で指定してください。";
    if (*CTextCodec::Cp932Length(name) > CRegisterFile::kNameLimit) {
        return "登録名は32バイト以内で入力してください。";
    }
    if (!IsStorableName(name)) return "登録名の前後に空白は使えません。";
    if (*CTextCodec::Cp932Length(mailName) > CRegisterFile::kMailNameLimit) {
        return "受信者名は32バイト以内で入力してください。";
    }
    if (*CTextCodec::Cp932Length(mailAddress) > CRegisterFile::kMailAddressLimit) {
        return "受信アドレスは64バイト以内で入力してください。";
    }
    if (!mailAddress.empty() && !IsMailAddress(mailAddress)) {
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
        CRegisterFile probe = reg;
        probe.SetCardId(card);
        if (probe.FindNameByCard()) return "すでに登録されているカードです。";
    }
    return std::nullopt;
}

std::optional<std::string> CUserRules::CheckAdmin(CAdminFile& admins, const std::string& id,
                                                  const std::string& password,
                                                  const std::string& card,
                                                  const std::string& previousId) {
    if (id.empty() || password.empty()) return "登録名またはパスが未入力です";
    if (HasControl(id) || HasControl(password)) return "タブなどの制御文字は登録できません。";
    if (previousId.empty() && admins.GetCount() >= CAdminFile::kMaxAdmins) {
        return "これ以上の管理者は作成できません。";
    }
    if (password.find_first_of(" \t") != std::string::npos) {
        return "パスワードに空白は使えません。";
    }
    if (!card.empty() && !IsCardId(card)) {
        return "カードIDは16桁の16進数で指定してください。";
    }
    if (!CAdminFile::FitsBlock(id, card, password)) {
        return "管理者ＩＤは32バイト、パスワードは16バイト以内で、カンマや改行を含めずに入力して"
               "ください（ＩＤ・カード・パスワードの合計は63バイトまでです）。";
    }
    CAdminFile probe = admins;
    if (previousId.empty() || previousId != id) {
        probe.SetId(id);
        if (probe.ExistsId()) return "既に登録された登録名です。";
    }
    if (!card.empty()) {
        probe.SetCardId(card);
        if (probe.FindIdByCard() && probe.GetId() != previousId)
            return "既に登録されたカードです。";
    }
    return std::nullopt;
}

}  // namespace stampwell
