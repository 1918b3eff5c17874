#include "personnel/AdminCardCapture.h"

#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "store/IAdminStore.h"

namespace stampwell {

CAdminCardCapture::CAdminCardCapture(IAdminStore& admins, IPrompt& prompt)
    : m_admins(admins), m_prompt(prompt) {}

bool CAdminCardCapture::OnCardTick(CFelicaReader* reader) {
    if (reader == nullptr || m_messageOpen) return false;
    std::string card;
    if (!reader->Poll(card)) return false;
    m_admins.SetCardId(card);
    std::string editedId = m_admins.GetId();
    bool taken = m_admins.FindIdByCard() == 1;
    m_admins.SetId(editedId);  // the lookup must not change the ID being edited
    if (taken) {
        m_messageOpen = true;
        m_prompt.ShowMessage("既に登録されたカードです。", EMessageIcon::None);
        m_messageOpen = false;
        m_admins.ClearCardId();
        return false;
    }
    m_card = card;
    return true;
}

}  // namespace stampwell
