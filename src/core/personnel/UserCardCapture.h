#pragma once

#include <string>

namespace stampwell {

class CFelicaReader;
class IPeopleStore;
class IPrompt;

// The card capture of the employee form. On each poll: a card anybody in the register holds
// (the person edited included) is refused and the captured card kept; the first free card is
// captured; a different free card is captured only when the administrator says so; the same
// card again changes nothing.
class CUserCardCapture {
public:
    enum EOutcome { kNothing, kRefused, kCaptured, kKept, kSame };

    CUserCardCapture(const IPeopleStore& reg, IPrompt& prompt, std::string captured = {});

    EOutcome OnCardTick(CFelicaReader* reader);
    // The same for a card already read (the window reads the reader, a job decides).
    EOutcome OnCard(const std::string& card);
    const std::string& Card() const { return m_card; }

private:
    const IPeopleStore& m_register;
    IPrompt& m_prompt;
    std::string m_card;
    bool m_busy = false;
};

}  // namespace stampwell
