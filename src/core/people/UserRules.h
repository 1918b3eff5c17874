#pragma once

#include <optional>
#include <string>

namespace stampwell {

class CRegisterFile;
class CAdminFile;

// The checks the user and administrator screens apply before they write, shared with the CLI.
// Each returns the message to show, or nothing when the input may be stored.
class CUserRules {
public:
    static bool IsCardId(const std::string& card);
    // Card identifiers as people type them: lower-case hex digits become upper case.
    static std::string NormalizeCardId(std::string card);
    // An address with one "@" between text on both sides and no blanks.
    static bool IsMailAddress(const std::string& address);
    // A name that starts or ends with a blank (ASCII or the full-width U+3000), or is blanks
    // only, would share its padded work records with another spelling; one with a control
    // character (TAB, ESC, DEL, U+0001...) would be printed raw to a terminal: never stored.
    static bool IsStorableName(const std::string& name);
    static bool HasControlCharacter(const std::string& text);
    // A new or changed employee. `previousName` is empty for a new one; its own card is then
    // allowed to stay.
    static std::optional<std::string> CheckUser(const CRegisterFile& reg, const std::string& card,
                                                const std::string& name,
                                                const std::string& mailName,
                                                const std::string& mailAddress,
                                                const std::string& previousName);
    // A new administrator (previousId empty) or a change of previousId.
    static std::optional<std::string> CheckAdmin(CAdminFile& admins, const std::string& id,
                                                 const std::string& password,
                                                 const std::string& card,
                                                 const std::string& previousId);
};

}  // namespace stampwell
