#pragma once

#include <string>

namespace stampwell {

class IPeopleStore;
class IPrompt;

// What the employee form decides: what it shows when it opens (in change mode the person of the
// register's working name), and the checks of OK in their order before the person is added or
// changed.
class CUserForm {
public:
    CUserForm(IPeopleStore& reg, IPrompt& prompt, bool changeMode);

    void Open();
    const std::string& InitialName() const { return m_name; }
    const std::string& InitialCard() const { return m_card; }
    const std::string& InitialMailName() const { return m_mailName; }
    const std::string& InitialMailAddress() const { return m_mailAddress; }
    // In change mode, the name the person had when the form opened.
    const std::string& PreviousName() const { return m_previousName; }
    // True when the person was written; otherwise a message has been shown.
    bool Submit(const std::string& name, const std::string& card, const std::string& mailName,
                const std::string& mailAddress);

private:
    IPeopleStore& m_register;
    IPrompt& m_prompt;
    bool m_changeMode;
    std::string m_previousName;
    std::string m_name, m_card, m_mailName, m_mailAddress;
};

}  // namespace stampwell
