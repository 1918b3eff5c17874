#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/InstanceLock.h"
#include "platform/Runtime.h"

namespace stampwell {

class CDeferredMessages;
class CSerialWorker;

class IAdminStore;
class CAdminLoginDialog;
class CAdminModifyDialog;
class CUserInfoDialog;
class CConfigDialog;
class CExportDialog;
class CReportEditDialog;
class CLimitsDialog;
class CLeaveDialog;
class CScheduleDialog;
class CSendMailDialog;
class CWorkRulesDialog;
class CChimeDialog;
class CInstanceChannel;
class CMainFrame;
class CRecorderController;
class IPeopleStore;
class CTimeRegisterView;
class IWorkStore;
class IPrompt;
class ISoundPlayer;

// The time clock: takes the single-instance lock, creates the long-lived components in their
// order and wires them to the screen. Members are released in reverse order of declaration: the
// lock first, then the windows, then the stores and the controller.
class CStampwellApp {
public:
    CStampwellApp(CRuntime runtime, std::shared_ptr<IPrompt> prompt,
                  std::shared_ptr<ISoundPlayer> sounds, std::string readerSpec);
    ~CStampwellApp();
    CStampwellApp(const CStampwellApp&) = delete;
    CStampwellApp& operator=(const CStampwellApp&) = delete;

    // False when another copy runs on the same data folder: this one asks it to show its
    // window and come to the front, then ends.
    // False for a second copy: it asks the running one to come to the front (whether that one
    // answered: SecondCopyAnswered) and ends.
    bool InitInstance();
    bool SecondCopyAnswered() const { return m_secondCopyAnswered; }

    void OnChime();
    void OnVersion();
    // ヘルプ > 使い方: the installed guide in the desktop's browser.
    void OnGuide();
    // How the guide is opened (tests note the file instead); false when it could not be.
    void SetGuideOpener(std::function<bool(const std::filesystem::path&)> opener) {
        m_guideOpener = std::move(opener);
    }
    void OnAdmins();
    void OnUsers();
    void OnMail();
    void SetMailDialogRunner(std::function<void(CSendMailDialog&)> runner) {
        m_mailDialogRunner = std::move(runner);
    }
    // How the employee list is run (tests drive it without a modal loop).
    void SetUserDialogRunner(std::function<void(CUserInfoDialog&)> runner) {
        m_userDialogRunner = std::move(runner);
    }
    // With no administrator: the message, then the administrator list without a login.
    // waited: milliseconds already spent waiting for the clock's window to be shown.
    void CheckFirstRun(int waited);
    // The administrative road: busy, the login, and the target only after a login.
    void RunWithLogin(const std::function<void()>& target);
    // Routes a menu command through the login and enables it.
    void RouteWithLogin(int command, std::function<void()> target);

    CMainFrame* Frame() const { return m_frame.get(); }
    CTimeRegisterView* Screen() const { return m_screen.get(); }
    CRecorderController* Controller() const { return m_controller.get(); }
    CChimeDialog* Chime() const { return m_chime.get(); }
    IWorkStore* WorkReport() const { return m_work.get(); }
    CAdminLoginDialog* Login() const { return m_login.get(); }
    CAdminModifyDialog* Admins() const { return m_adminModify.get(); }
    CConfigDialog* Config() const { return m_config.get(); }
    CExportDialog* Export() const { return m_export.get(); }
    CReportEditDialog* ReportEdit() const { return m_reportEdit.get(); }
    CLimitsDialog* Limits() const { return m_limits.get(); }
    CLeaveDialog* Leave() const { return m_leave.get(); }
    CScheduleDialog* Schedule() const { return m_schedule.get(); }
    CWorkRulesDialog* WorkRules() const { return m_workRules.get(); }

private:
    // The components' messages: at once from the window's thread, after the job from the worker.
    std::shared_ptr<CDeferredMessages> m_messages;
    CRuntime m_runtime;
    std::shared_ptr<IPrompt> m_prompt;
    std::shared_ptr<ISoundPlayer> m_sounds;
    std::string m_readerSpec;
    std::unique_ptr<CRecorderController> m_controller;
    std::shared_ptr<IPeopleStore> m_register;
    std::shared_ptr<IWorkStore> m_work;
    std::shared_ptr<IAdminStore> m_admins;
    std::shared_ptr<CChimeDialog> m_chime;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CTimeRegisterView> m_screen;
    // The file work of taps, the history and the backup; gone before the frame it delivers to.
    std::shared_ptr<CSerialWorker> m_worker;
    // Dialogs kept for the whole run: children of the frame, released here before it.
    std::unique_ptr<CAdminLoginDialog> m_login;
    std::unique_ptr<CAdminModifyDialog> m_adminModify;
    std::unique_ptr<CConfigDialog> m_config;
    std::unique_ptr<CExportDialog> m_export;
    std::unique_ptr<CReportEditDialog> m_reportEdit;
    std::unique_ptr<CLimitsDialog> m_limits;
    std::unique_ptr<CLeaveDialog> m_leave;
    std::unique_ptr<CScheduleDialog> m_schedule;
    std::unique_ptr<CWorkRulesDialog> m_workRules;
    std::function<void(CUserInfoDialog&)> m_userDialogRunner;
    std::function<void(CSendMailDialog&)> m_mailDialogRunner;
    std::function<bool(const std::filesystem::path&)> m_guideOpener;
    CInstanceLock m_lock;
    std::unique_ptr<CInstanceChannel> m_channel;
    bool m_secondCopyAnswered = false;
};

}  // namespace stampwell
