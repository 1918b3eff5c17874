#pragma once

#include <string>

namespace stampwell {

class IAdminStore;
class CFelicaReader;
class IPrompt;

// What the administrator login decides: a registered administrator card on the reader, or the
// ID and password typed with OK, logs in; an unregistered card or wrong input gives a message and
// the login goes on; the waiting time cancels it until OK has been pressed once. The window only
// runs the two timers and shows the fields.
class CAdminLoginSession {
public:
    enum EOutcome { kContinue, kAccepted, kCancelled };

    CAdminLoginSession(IAdminStore& admins, IPrompt& prompt);

    // A new run: the waiting time applies again.
    void Begin();
    // One poll of the reader (nullptr: no reader). While the refusal message of an unregistered
    // card is open, a further tick does nothing.
    EOutcome OnCardTick(CFelicaReader* reader);
    // OK with the typed fields. Stops the waiting time for the rest of the run.
    EOutcome OnOk(const std::string& id, const std::string& password);
    EOutcome OnTimeout();
    bool IsTimeoutStopped() const { return m_timeoutStopped; }

private:
    IAdminStore& m_admins;
    IPrompt& m_prompt;
    bool m_timeoutStopped = false;
    bool m_messageOpen = false;
};

}  // namespace stampwell
