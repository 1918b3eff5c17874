#pragma once

#include "RecorderCommand/RecorderCommand.h"

namespace stampwell {

class CWorkReport;
class IRecorderContext;
class IRegisterScreen;

// The card-reading command: poll the reader, find the card's owner, let the work record decide
// and write, show the result and send the notification mail.
class TimeReadCommand : public RecorderCommand {
public:
    explicit TimeReadCommand(IRecorderContext* controller) : m_controller(controller) {}
    void Execute() override;
    // Queues the notification mail of side 0 (start) or 1 (end); never shows anything.
    virtual void SendMail(int side);

private:
    void DecideAndRecord(CWorkReport& work, IRegisterScreen& screen);
    void ReportSide(CWorkReport& work, IRegisterScreen& screen, int side);

    IRecorderContext* m_controller;
};

}  // namespace stampwell
