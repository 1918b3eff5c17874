#pragma once

#include <memory>

namespace stampwell {

class CFelicaReader;
class IBackgroundRunner;
class ISettings;
class CMailQueue;
class IPeopleStore;
class CRuntime;
class IWorkStore;
class IPrompt;
class IRegisterScreen;
class IStampSide;

// What the card-reading command fetches at each execution: the components and queries of the
// controller (CRecorderController implements it).
class IRecorderContext {
public:
    virtual ~IRecorderContext() = default;
    virtual CFelicaReader* GetReader() const = 0;
    virtual IPeopleStore* GetRegister() const = 0;
    virtual IWorkStore* GetWorkReport() const = 0;
    virtual IRegisterScreen* GetScreen() const = 0;
    virtual IStampSide* GetStampSide() const = 0;
    virtual bool IsScreenActive() const = 0;
    virtual bool IsBusy() const = 0;
    virtual IPrompt& Prompt() const = 0;
    virtual const CRuntime& Runtime() const = 0;
    virtual CMailQueue& MailQueue() const = 0;
    // Where the file work of a tap runs (the time clock: a worker thread).
    virtual IBackgroundRunner& Background() const = 0;
    // A copy of the settings as Setting.txt has them now, for a job of the background runner.
    virtual std::shared_ptr<const ISettings> SnapshotSettings() const = 0;
};

}  // namespace stampwell
