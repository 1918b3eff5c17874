#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RecorderCommand/IRecorderContext.h"
#include "platform/Runtime.h"

namespace stampwell {

class IAdminStore;
class CChimeSettings;
class CEnvironmentSettings;
class CFelicaReader;
class CMailQueue;
class IPeopleStore;
class IWorkStore;
class IPrompt;
class IRegisterScreen;
class IStampSide;
class RecorderCommand;

// The one object through which card events and the administrative screens reach the
// components. Holds the settings, the chime settings, the reader, the card-reading command and
// the mail queue; the register, the work record and the administrator store are owned by the
// application and attached here.
class CRecorderController : public IRecorderContext {
public:
    CRecorderController(CRuntime runtime, IPrompt& prompt);
    ~CRecorderController() override;
    CRecorderController(const CRecorderController&) = delete;
    CRecorderController& operator=(const CRecorderController&) = delete;

    // Start-up, in this order: the screen, the settings objects, the reader, the attaches.
    void SetScreen(IRegisterScreen* screen, IStampSide* stampSide);
    void SetScreenActiveQuery(std::function<bool()> isScreenActive);
    void CreateSettingsObjects();
    // False (and no reader) when spec names no known reader.
    bool OpenReader(bool on, const std::string& spec);
    void SetReader(std::shared_ptr<CFelicaReader> reader);
    void AttachRegister(IPeopleStore* reg);
    void AttachWorkReport(IWorkStore* work);
    void AttachAdminStore(IAdminStore* admins);
    // Called when the work record is attached, so the screen can refresh its history.
    void SetWorkReportListener(std::function<void()> listener);

    IRegisterScreen* GetScreen() const override { return m_screen; }
    IStampSide* GetStampSide() const override { return m_stampSide; }
    bool IsScreenActive() const override;
    bool IsBusy() const override { return m_busy; }
    void SetBusy(bool busy) { m_busy = busy; }
    IWorkStore* GetWorkReport() const override { return m_work; }
    CFelicaReader* GetReader() const override { return m_reader.get(); }
    IPeopleStore* GetRegister() const override { return m_register; }
    IAdminStore* GetAdminStore() const { return m_admins; }
    std::shared_ptr<CEnvironmentSettings> GetSettings() const { return m_settings; }
    std::shared_ptr<CChimeSettings> GetChime() const { return m_chime; }
    std::shared_ptr<RecorderCommand> GetReadCommand() const { return m_readCommand; }
    IPrompt& Prompt() const override { return m_prompt; }
    const CRuntime& Runtime() const override { return m_runtime; }
    CMailQueue& MailQueue() const override { return *m_mail; }
    IBackgroundRunner& Background() const override { return *m_background; }
    void SetBackgroundRunner(std::shared_ptr<IBackgroundRunner> runner);
    std::shared_ptr<const ISettings> SnapshotSettings() const override;
    // Today's history read by a job of the background runner; shown gets it on the window's
    // thread.
    void ListTodayInBackground(std::function<void(std::vector<std::string>)> shown);
    // The backup of the work file, as a job of the background runner.
    void BackupInBackground();

private:
    CRuntime m_runtime;
    IPrompt& m_prompt;
    IRegisterScreen* m_screen = nullptr;
    IStampSide* m_stampSide = nullptr;
    std::function<bool()> m_isScreenActive;
    std::function<void()> m_workReportListener;
    bool m_busy = false;
    std::shared_ptr<CEnvironmentSettings> m_settings;
    std::shared_ptr<CChimeSettings> m_chime;
    std::shared_ptr<CFelicaReader> m_reader;
    IPeopleStore* m_register = nullptr;
    IWorkStore* m_work = nullptr;
    IAdminStore* m_admins = nullptr;
    std::shared_ptr<RecorderCommand> m_readCommand;
    std::unique_ptr<CMailQueue> m_mail;
    std::shared_ptr<IBackgroundRunner> m_background;
};

}  // namespace stampwell
