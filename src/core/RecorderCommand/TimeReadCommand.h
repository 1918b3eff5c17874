#pragma once

#include <memory>
#include <string>

#include "RecorderCommand/RecorderCommand.h"

namespace stampwell {

class CFelicaReader;
class IRecorderContext;

// The card-reading command: poll the reader, find the card's owner, let the work record decide
// and write, show the result and send the notification mail. The file work (the register and
// the work file, which may be in a shared folder that hangs) runs as a job of the controller's
// background runner, one tap at a time; the reader, the questions and the screen stay on the
// window's thread. A card held while a tap is being recorded (the shared folder may hang for
// long) is refused at once, on screen, with a sound and a log line; never dropped silently.
class TimeReadCommand : public RecorderCommand {
public:
    explicit TimeReadCommand(IRecorderContext* controller) : m_controller(controller) {}
    void Execute() override;

    struct CTap;

private:
    void Start(const std::string& card);
    void OnDecided(const std::shared_ptr<CTap>& tap);
    void OnOverwritten(const std::shared_ptr<CTap>& tap);
    void Fail();
    // An unplugged reader is waited for: the clock reads again by itself once it is back.
    void NoteReader(bool away);
    // A poll while a tap is being recorded: a card newly held is refused.
    void PollWhileRecording(CFelicaReader& reader);
    void ReportSide(CTap& tap, int side);
    // Queues the notification mail of side 0 (start) or 1 (end); never shows anything.
    void SendMail(const CTap& tap, int side);

    IRecorderContext* m_controller;
    bool m_recording = false;
    bool m_readerAway = false;
    // The card on the reader at the last poll (empty: none): the tap's own card staying there
    // is no new tap.
    std::string m_heldCard;
};

}  // namespace stampwell
