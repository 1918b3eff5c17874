#pragma once

#include <string>

namespace stampwell {

class IAdminStore;
class CFelicaReader;
class IFileWork;
class IPrompt;

// What the administrator login decides: a registered administrator card on the reader, or the
// ID and password typed with OK, logs in; an unregistered card or wrong input gives a message and
// the login goes on; the waiting time cancels it until OK has been pressed once. The window only
// runs the two timers and shows the fields. The administrators may be kept on a server that stops
// answering: each check runs through `work` (off the window's thread) on a copy of the store, and
// a server that does not answer is said as such, never as a wrong password.
class CAdminLoginSession {
public:
    enum EOutcome { kContinue, kAccepted, kCancelled };

    // work: where each check runs; nullptr runs it at once.
    CAdminLoginSession(IAdminStore& admins, IPrompt& prompt, IFileWork* work = nullptr);

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
    enum class ECheck { kAccepted, kRefused, kUnreachable, kStopped };
    // One login check (a card, or an ID and password) on a copy of the store; the login ID is
    // taken over when it is accepted.
    ECheck Check(bool byCard, const std::string& first, const std::string& password);
    // The message of a check that did not log in; refused is said for a wrong card or password.
    void Say(ECheck checked, const char* refused);

    IAdminStore& m_admins;
    IPrompt& m_prompt;
    IFileWork* m_work;
    bool m_timeoutStopped = false;
    bool m_messageOpen = false;
    bool m_checking = false;  // a check is under way: OK and the card wait for it
};

}  // namespace stampwell
