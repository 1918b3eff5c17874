#pragma once

#include <string>

namespace stampwell {

class IAdminStore;
class IPrompt;

// What the administrator entry form decides: what it shows when it opens, the card it edits (the
// store's working card), and the checks of OK in their order before the administrator is added
// or changed.
class CAdminForm {
public:
    CAdminForm(IAdminStore& admins, IPrompt& prompt, bool changeMode);

    // Clears the working card; in change mode loads the administrator of the store's previous ID.
    void Open();
    const std::string& InitialId() const { return m_initialId; }
    const std::string& InitialPassword() const { return m_initialPassword; }
    // A change whose password may stay empty: the store keeps the one it has.
    bool KeepsPassword() const;
    bool HasCard() const;
    // Asks first; true when the card was cleared.
    bool ClearCard();
    // True when the administrator was written; otherwise a message has been shown.
    bool Submit(const std::string& id, const std::string& password, const std::string& confirm);

private:
    IAdminStore& m_admins;
    IPrompt& m_prompt;
    bool m_changeMode;
    std::string m_initialId;
    std::string m_initialPassword;
};

}  // namespace stampwell
