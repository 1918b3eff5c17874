#pragma once

#include <string>

namespace stampwell {

// What an employee's or administrator's text fields may hold, whatever keeps them: card
// identifiers, mail addresses and names that can be stored and shown safely.
class CPersonText {
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
};

}  // namespace stampwell
