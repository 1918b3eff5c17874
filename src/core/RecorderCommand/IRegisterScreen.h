#pragma once

#include <string>

namespace stampwell {

// What the recorder commands may do to the registration screen.
class IRegisterScreen {
public:
    virtual ~IRegisterScreen() = default;
    // Back to waiting and card polling; skipRefresh 1 keeps the history as it is.
    virtual void ResetScreen(int skipRefresh) = 0;
    virtual void SelectStart() = 0;
    virtual void SelectEnd() = 0;
    // A card was read: stop polling, show that it is being processed.
    virtual void BeginStamp() = 0;
    // Show the result line, play the side's sound, return to waiting after a while.
    virtual void ShowResult() = 0;
    // After ShowResult: the tap was kept beside the clock because the records cannot be reached
    // now (it is sent when they can).
    virtual void ShowKeptHere() = 0;
    // Stop card polling for the rest of the run.
    virtual void StopReading() = 0;
    // The reader was unplugged (true) or is back (false): the screen says so while it is away.
    virtual void ShowReaderAway(bool away) = 0;
    // A card was held while the tap before it is still being recorded: it is not taken, and
    // the screen says so with the refusal sound, so nobody walks away believing it was.
    virtual void ShowBusyRefusal() = 0;
    virtual std::string GetShownName() const = 0;
    virtual void SetShownName(const std::string& name) = 0;
    virtual void SetResultText(const std::string& text) = 0;
};

}  // namespace stampwell
