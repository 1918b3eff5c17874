#include "personnel/UserCardCapture.h"

#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "store/IPeopleStore.h"

namespace stampwell {

CUserCardCapture::CUserCardCapture(const IPeopleStore& reg, IPrompt& prompt, std::string captured)
    : m_register(reg), m_prompt(prompt), m_card(std::move(captured)) {}

CUserCardCapture::EOutcome CUserCardCapture::OnCardTick(CFelicaReader* reader) {
    // A tick that arrives while this step's message is open does nothing.
    if (reader == nullptr || m_busy) return kNothing;
    std::string card;
    if (!reader->Poll(card)) return kNothing;
    return OnCard(card);
}

CUserCardCapture::EOutcome CUserCardCapture::OnCard(const std::string& card) {
    if (m_busy) return kNothing;
    m_busy = true;
    EOutcome outcome = kSame;
    // A copy looks the card up, so the register's working record stays the edited person's.
    const auto probe = m_register.Clone();
    probe->SetCardId(card);
    if (probe->FindNameByCard() == 1) {
        m_prompt.ShowMessage("すでに登録されているカードです。", EMessageIcon::None);
        outcome = kRefused;
    } else if (m_card.empty()) {
        m_card = card;
        m_prompt.ShowMessage("カードが登録されました。", EMessageIcon::None);
        outcome = kCaptured;
    } else if (card != m_card) {
        if (m_prompt.AskYesNo(
                "現在登録されているカードと異なります。\n新しいカードとして登録しますか？")) {
            m_card = card;
            m_prompt.ShowMessage("カードが登録されました。", EMessageIcon::None);
            outcome = kCaptured;
        } else {
            outcome = kKept;
        }
    }
    m_busy = false;
    return outcome;
}

}  // namespace stampwell
