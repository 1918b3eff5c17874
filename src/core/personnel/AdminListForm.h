#pragma once

#include <string>
#include <vector>

namespace stampwell {

class IAdminStore;
class IPrompt;

// What the administrator list decides: the sorted IDs, the limit of three, no deleting the
// administrator who is logged in, and what closing an empty list means.
class CAdminListForm {
public:
    enum ECloseOutcome { kClose, kStay, kQuitProgram };

    CAdminListForm(IAdminStore& admins, IPrompt& prompt);

    // The administrator IDs in Japanese order.
    std::vector<std::string> Ids() const;
    // False, after the limit message, when three administrators exist.
    bool MayAdd();
    // Asks first, naming the administrator; true when deleted. A failed write gives its message.
    bool Delete(const std::string& id);
    // Closing with no administrator left asks whether to end the program.
    ECloseOutcome Close();

private:
    IAdminStore& m_admins;
    IPrompt& m_prompt;
};

}  // namespace stampwell
