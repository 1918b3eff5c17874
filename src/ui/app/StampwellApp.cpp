#include "app/StampwellApp.h"

#include <QAction>
#include <QDesktopServices>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "admin_ui/ExportDialog.h"
#include "admin_ui/LimitsDialog.h"
#include "admin_ui/ScheduleDialog.h"
#include "admin_ui/ReportEditDialog.h"
#include "admin_ui/VersionDlg.h"
#include "app/InstanceChannel.h"
#include "app/MainFrame.h"
#include "controller/BusyScope.h"
#include "controller/RecorderController.h"
#include "officestore/OfficeStores.h"
#include "people/AdminLoginDialog.h"
#include "people/AdminModifyDialog.h"
#include "people/LeaveDialog.h"
#include "people/UserInfoDialog.h"
#include "platform/DeferredMessages.h"
#include "platform/IBackgroundRunner.h"
#include "platform/IPrompt.h"
#include "platform/SerialWorker.h"
#include "screen/ISoundPlayer.h"
#include "screen/TimeRegisterView.h"
#include "settings/ChimeDialog.h"
#include "settings/ConfigDialog.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "settings/SendMailDialog.h"
#include "settings/WorkRulesDialog.h"
#include "store/IAdminStore.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"

namespace stampwell {

namespace {
CRuntime WithMessages(const CRuntime& runtime, std::shared_ptr<IMessageSink> messages) {
    CRuntime with(runtime.DataDir(), runtime.ClockPtr(), std::move(messages));
    with.SetLockWait(runtime.LockWait());
    return with;
}
}  // namespace

CStampwellApp::CStampwellApp(CRuntime runtime, std::shared_ptr<IPrompt> prompt,
                             std::shared_ptr<ISoundPlayer> sounds, std::string readerSpec)
    : m_messages(std::make_shared<CDeferredMessages>(runtime.MessagesPtr())),
      m_runtime(WithMessages(runtime, m_messages)),
      m_prompt(std::move(prompt)),
      m_sounds(std::move(sounds)),
      m_readerSpec(std::move(readerSpec)),
      m_lock("StampwellMutex", m_runtime.DataDir()) {}

CStampwellApp::~CStampwellApp() = default;

bool CStampwellApp::InitInstance() {
    m_channel = std::make_unique<CInstanceChannel>(
        QString::fromStdString(m_lock.LockPath().stem().string()));
    if (!m_lock.TryAcquire()) {
        m_secondCopyAnswered = m_channel->RequestShow();
        return false;
    }
    m_frame = std::make_unique<CMainFrame>(CModeFiles::ReadMode(m_runtime.DataDir()));

    m_register = OpenPeopleStore(m_runtime);
    m_work = OpenWorkStore(m_runtime);
    m_admins = OpenAdminStore(m_runtime);

    // The controller: the screen with its card-reading command, the settings, the chime.
    m_controller = std::make_unique<CRecorderController>(m_runtime, *m_prompt);
    m_screen = std::make_unique<CTimeRegisterView>(m_runtime, *m_sounds);
    m_controller->SetScreen(m_screen.get(), m_screen.get());
    m_controller->SetScreenActiveQuery(
        [this] { return m_frame->centralWidget() == m_screen.get(); });
    m_screen->SetReadCommand(m_controller->GetReadCommand());
    m_controller->CreateSettingsObjects();
    m_screen->SetSettings(m_controller->GetSettings());
    m_chime = std::make_shared<CChimeDialog>(m_controller->GetChime(), *m_prompt);
    m_screen->SetChimeSettings(m_chime);

    m_frame->ShowScreen(m_screen.get());
    // The file work runs on a worker; its results come back through the frame's event queue.
    m_worker = std::make_shared<CSerialWorker>([frame = QPointer<QObject>(m_frame.get()),
                                                messages = m_messages](std::function<void()> done) {
        if (frame.isNull()) return;
        QMetaObject::invokeMethod(
            frame.data(),
            [messages, done = std::move(done)] {
                messages->Flush();
                if (done) done();
            },
            Qt::QueuedConnection);
    });
    m_controller->SetBackgroundRunner(m_worker);
    m_screen->SetHistorySource([this](CTimeRegisterView::HistoryShown shown) {
        m_controller->ListTodayInBackground(std::move(shown));
    });
    m_screen->SetBackupAction([this] { m_controller->BackupInBackground(); });
    m_controller->OpenReader(true, m_readerSpec);
    m_controller->SetWorkReportListener([this] { m_screen->SetWorkReport(m_work.get()); });
    m_controller->AttachRegister(m_register.get());
    m_controller->AttachWorkReport(m_work.get());
    m_controller->AttachAdminStore(m_admins.get());

    m_login = std::make_unique<CAdminLoginDialog>(*m_controller, m_frame.get());
    m_adminModify = std::make_unique<CAdminModifyDialog>(*m_controller, m_frame.get());
    RouteWithLogin(CMainFrame::kAdmins, [this] { OnAdmins(); });
    RouteWithLogin(CMainFrame::kUsers, [this] { OnUsers(); });
    m_config = std::make_unique<CConfigDialog>(*m_controller, m_frame.get());
    // Modeless: the busy flag ends as soon as the window is shown.
    RouteWithLogin(CMainFrame::kEnvironment, [this] { m_config->Open(); });
    RouteWithLogin(CMainFrame::kMail, [this] { OnMail(); });
    m_workRules = std::make_unique<CWorkRulesDialog>(*m_controller, m_frame.get());
    RouteWithLogin(CMainFrame::kWorkRules, [this] {
        CBusyScope busy(*m_controller);
        m_workRules->Run();
    });
    m_export = std::make_unique<CExportDialog>(*m_controller, m_frame.get());
    m_reportEdit = std::make_unique<CReportEditDialog>(*m_controller, m_frame.get());
    RouteWithLogin(CMainFrame::kEditRecords, [this] {
        CBusyScope busy(*m_controller);
        m_reportEdit->Run();
        // The history shows the corrected records.
        m_screen->ResetScreen(0);
    });
    m_limits = std::make_unique<CLimitsDialog>(*m_controller, m_frame.get());
    RouteWithLogin(CMainFrame::kLimits, [this] {
        CBusyScope busy(*m_controller);
        m_limits->Run();
    });
    m_leave = std::make_unique<CLeaveDialog>(*m_controller, m_frame.get());
    RouteWithLogin(CMainFrame::kLeave, [this] {
        CBusyScope busy(*m_controller);
        m_leave->Run();
    });
    m_schedule = std::make_unique<CScheduleDialog>(*m_controller, m_frame.get());
    RouteWithLogin(CMainFrame::kSchedule, [this] {
        CBusyScope busy(*m_controller);
        m_schedule->Run();
    });
    RouteWithLogin(CMainFrame::kExport, [this] {
        CBusyScope busy(*m_controller);
        m_export->Run();
    });

    m_frame->SetCommandHandler(CMainFrame::kChime, [this] { OnChime(); });
    m_frame->SetCommandHandler(CMainFrame::kVersion, [this] { OnVersion(); });
    m_frame->SetCommandHandler(CMainFrame::kGuide, [this] { OnGuide(); });
    m_frame->setWindowTitle(QStringLiteral("Stampwell"));
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
    m_channel->Listen([this] {
        // Out of the tray or from behind other windows.
        m_frame->showNormal();
        m_frame->raise();
        m_frame->activateWindow();
    });
    QTimer::singleShot(0, m_frame.get(), [this] { CheckFirstRun(0); });
    return true;
}

void CStampwellApp::CheckFirstRun(int waited) {
    if (m_admins->GetCount() != 0) return;
    // The box opens over the clock, once the window manager has put the clock on the screen.
    QWindow* window = m_frame->windowHandle();
    if (window != nullptr && !window->isExposed() && waited < 3000) {
        QTimer::singleShot(50, m_frame.get(), [this, waited] { CheckFirstRun(waited + 50); });
        return;
    }
    m_prompt->ShowMessage("管理者が登録されていません。\n新規に管理者を登録してください。",
                          EMessageIcon::None);
    OnAdmins();
}

void CStampwellApp::RunWithLogin(const std::function<void()>& target) {
    CBusyScope busy(*m_controller);
    if (m_login->Run() != QDialog::Accepted) return;
    target();
}

void CStampwellApp::RouteWithLogin(int command, std::function<void()> target) {
    m_frame->SetCommandHandler(command,
                               [this, target = std::move(target)] { RunWithLogin(target); });
    if (QAction* action = m_frame->Command(command)) action->setEnabled(true);
}

void CStampwellApp::OnUsers() {
    CBusyScope busy(*m_controller);
    CUserInfoDialog users(*m_controller, m_frame.get());  // a new list for each command
    if (m_userDialogRunner) {
        m_userDialogRunner(users);
    } else {
        users.Run();
    }
}

void CStampwellApp::OnMail() {
    CBusyScope busy(*m_controller);
    CSendMailDialog mail(*m_controller, m_frame.get());  // a new dialog for each command
    if (m_mailDialogRunner) {
        m_mailDialogRunner(mail);
    } else {
        mail.Run();
    }
}

void CStampwellApp::OnAdmins() {
    CBusyScope busy(*m_controller);
    m_adminModify->Run();
    // "はい" to ending the program with no administrator: the modal run is over, the frame
    // closes, and nothing else runs.
    if (m_adminModify->IsQuitRequested()) m_frame->close();
}

void CStampwellApp::OnChime() {
    m_chime->show();
    m_chime->raise();
    m_chime->activateWindow();
}

void CStampwellApp::OnGuide() {
    auto guide = CRuntime::FindGuide(CRuntime::ExecutableDir());
    if (!guide) {
        m_prompt->ShowMessage(
            "説明書（manual-ja.html）が見つかりません。\nインストールし直してください。",
            EMessageIcon::None);
        return;
    }
    auto open = m_guideOpener ? m_guideOpener : [](const std::filesystem::path& page) {
        return QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(page.string())));
    };
    if (!open(*guide)) {
        m_prompt->ShowMessage(
            "説明書を開けませんでした。\nブラウザーで次のファイルを開いてください:\n" +
                guide->string(),
            EMessageIcon::None);
    }
}

void CStampwellApp::OnVersion() {
    // Owned by this call alone: destroyed on return, it leaves its parent's children, so the
    // frame never deletes it a second time at shutdown.
    CVersionDlg version(m_frame.get());
    version.exec();
}

}  // namespace stampwell
