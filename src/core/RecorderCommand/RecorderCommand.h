#pragma once

#include <memory>

namespace stampwell {

class IRecorderContext;
class IRegisterScreen;

// A small action the registration screen executes on a click or on its poll timer.
class RecorderCommand {
public:
    virtual ~RecorderCommand() = default;
    virtual void Execute() = 0;
};

// Type 10 makes the card-reading command; any other type throws "No RecoderCommand type.".
std::shared_ptr<RecorderCommand> MakeRecorderCommand(int type, IRecorderContext* controller);

}  // namespace stampwell
