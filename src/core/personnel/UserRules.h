#pragma once

#include <optional>
#include <string>

namespace stampwell {

class IPeopleStore;
class IAdminStore;

// The checks the user and administrator screens apply before they write, shared with the CLI.
// Each returns the message to show, or nothing when the input may be stored.
class CUserRules {
public:
    // A new or changed employee. `previousName` is empty for a new one; its own card is then
    // allowed to stay.
    static std::optional<std::string> CheckUser(const IPeopleStore& reg, const std::string& card,
                                                const std::string& name,
                                                const std::string& mailName,
                                                const std::string& mailAddress,
                                                const std::string& previousName);
    // A new administrator (previousId empty) or a change of previousId.
    static std::optional<std::string> CheckAdmin(IAdminStore& admins, const std::string& id,
                                                 const std::string& password,
                                                 const std::string& card,
                                                 const std::string& previousId);
};

}  // namespace stampwell
