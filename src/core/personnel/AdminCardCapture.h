#pragma once

#include <string>

namespace stampwell {

class IAdminStore;
class CFelicaReader;
class IPrompt;

// The card dialog's decision: a card that no administrator holds becomes the store's working
// card; one that an administrator holds is refused and the working card cleared.
class CAdminCardCapture {
public:
    CAdminCardCapture(IAdminStore& admins, IPrompt& prompt);

    // One poll; true when a free card was captured. While the refusal is open, ticks do nothing.
    bool OnCardTick(CFelicaReader* reader);
    const std::string& Card() const { return m_card; }

private:
    IAdminStore& m_admins;
    IPrompt& m_prompt;
    std::string m_card;
    bool m_messageOpen = false;
};

}  // namespace stampwell
