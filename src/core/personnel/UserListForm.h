#pragma once

#include <string>
#include <vector>

namespace stampwell {

class IPeopleStore;
class IPrompt;

// What the employee list decides: the names in Japanese order (read in one pass of the
// register) and the delete with its question, which names the person.
class CUserListForm {
public:
    CUserListForm(IPeopleStore& reg, IPrompt& prompt);

    std::vector<std::string> Names() const;
    // Asks first; true when the person was deleted. A failed write gives its message.
    bool Delete(const std::string& name);

private:
    IPeopleStore& m_register;
    IPrompt& m_prompt;
};

}  // namespace stampwell
