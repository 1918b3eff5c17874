#include "controller/RecorderController.h"

#include "RecorderCommand/RecorderCommand.h"
#include "mail/MailQueue.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "platform/InlineRunner.h"
#include "reader/FelicaReader.h"
#include "settings/ChimeSettings.h"
#include "settings/EnvironmentSettings.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"

namespace stampwell {

CRecorderController::CRecorderController(CRuntime runtime, IPrompt& prompt)
    : m_runtime(std::move(runtime)),
      m_prompt(prompt),
      m_readCommand(MakeRecorderCommand(10, this)),
      m_mail(std::make_unique<CMailQueue>(m_runtime.DataDir())),
      m_background(std::make_shared<CInlineRunner>()) {}

void CRecorderController::SetBackgroundRunner(std::shared_ptr<IBackgroundRunner> runner) {
    m_background = runner ? std::move(runner) : std::make_shared<CInlineRunner>();
}

std::shared_ptr<const ISettings> CRecorderController::SnapshotSettings() const {
    if (!m_settings) return nullptr;
    m_settings->ReloadIfChanged();
    return std::make_shared<CEnvironmentSettings>(*m_settings);
}

void CRecorderController::ListTodayInBackground(
    std::function<void(std::vector<std::string>)> shown) {
    auto work = OpenWorkStore(m_runtime);
    work->SetSettings(SnapshotSettings());
    auto lines = std::make_shared<std::vector<std::string>>();
    m_background->Post([work, lines] { work->ListToday(*lines); },
                       [lines, shown = std::move(shown)] { shown(std::move(*lines)); });
}

void CRecorderController::BackupInBackground() {
    auto work = OpenWorkStore(m_runtime);
    m_background->Post([work] { work->Backup(); }, {});
}

CRecorderController::~CRecorderController() = default;

void CRecorderController::SetScreen(IRegisterScreen* screen, IStampSide* stampSide) {
    m_screen = screen;
    m_stampSide = stampSide;
}

void CRecorderController::SetScreenActiveQuery(std::function<bool()> isScreenActive) {
    m_isScreenActive = std::move(isScreenActive);
}

bool CRecorderController::IsScreenActive() const {
    if (m_screen == nullptr) return false;
    return !m_isScreenActive || m_isScreenActive();
}

void CRecorderController::CreateSettingsObjects() {
    m_settings = CreateConfig(m_runtime);
    m_chime = CreateChimeSettings(m_runtime);
}

bool CRecorderController::OpenReader(bool on, const std::string& spec) {
    m_reader = CreateFelicaReader(spec, on, m_prompt);
    return m_reader != nullptr;
}

void CRecorderController::SetReader(std::shared_ptr<CFelicaReader> reader) {
    m_reader = std::move(reader);
}

void CRecorderController::AttachRegister(IPeopleStore* reg) {
    m_register = reg;
    if (m_register != nullptr) m_register->SetPathSource(m_settings);
}

void CRecorderController::AttachWorkReport(IWorkStore* work) {
    m_work = work;
    if (m_work == nullptr) return;
    m_work->SetSettings(m_settings);
    m_work->SetStampSide(m_stampSide);
    if (m_workReportListener) m_workReportListener();
}

void CRecorderController::AttachAdminStore(IAdminStore* admins) {
    m_admins = admins;
}

void CRecorderController::SetWorkReportListener(std::function<void()> listener) {
    m_workReportListener = std::move(listener);
}

}  // namespace stampwell
