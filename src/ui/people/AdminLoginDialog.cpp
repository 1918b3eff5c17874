#include "people/AdminLoginDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"
#include "admin_ui/ShareWait.h"
#include "controller/RecorderController.h"
#include "personnel/AdminLoginSession.h"
#include "platform/IPrompt.h"
#include "settings/ModeFiles.h"

namespace stampwell {

CAdminLoginDialog::CAdminLoginDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("管理者認証"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    layout->addWidget(new QLabel(
        QString::fromUtf8(
            "管理者ＩＤとパスワードの入力、\nまたは管理者登録カードをセンサーにあててください。"),
        this));
    layout->addWidget(Separator(this));
    auto* form = new QFormLayout();
    m_id = new QLineEdit(this);
    m_id->setMaxLength(32);
    m_password = new QLineEdit(this);
    m_password->setMaxLength(16);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(QString::fromUtf8("管理者ＩＤ:"), m_id);
    form->addRow(QString::fromUtf8("パスワード:"), m_password);
    layout->addLayout(form);
    layout->addWidget(Separator(this));
    AddOkCancel(*this, *layout, [this] { OnOk(); });
    SetDialogUnitsWidth(*this, 200);

    for (int id : {kPollTimer, kTimeoutTimer}) {
        connect(&m_timers[id], &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    m_timers[kPollTimer].setInterval(500);
    m_timers[kTimeoutTimer].setSingleShot(true);
}

CAdminLoginDialog::~CAdminLoginDialog() = default;

int CAdminLoginDialog::Run() {
    Prepare();
    return exec();
}

void CAdminLoginDialog::Prepare() {
    m_id->clear();
    m_password->clear();
    m_id->setFocus();
    m_wait = std::make_unique<CShareWait>(this);
    m_session = std::make_unique<CAdminLoginSession>(*m_controller.GetAdminStore(),
                                                     m_controller.Prompt(), m_wait.get());
    m_session->Begin();
    m_running = true;
    m_timeoutMs = CModeFiles::ReadTimerMilliseconds(m_controller.Runtime().DataDir());
    m_timers[kPollTimer].start();
    m_timers[kTimeoutTimer].start(m_timeoutMs);
}

void CAdminLoginDialog::OnTimer(int id) {
    if (!m_running || !m_session) return;
    if (id == kTimeoutTimer) {
        m_timers[kTimeoutTimer].stop();
        if (m_session->OnTimeout() == CAdminLoginSession::kCancelled) reject();
        return;
    }
    // Polling pauses while a refusal is shown, and stays off if the dialog closed meanwhile.
    m_timers[kPollTimer].stop();
    if (m_session->OnCardTick(m_controller.GetReader()) == CAdminLoginSession::kAccepted) {
        accept();
        return;
    }
    if (m_running) m_timers[kPollTimer].start();
}

void CAdminLoginDialog::OnOk() {
    if (!m_running || !m_session) return;
    m_timers[kTimeoutTimer].stop();
    auto outcome = m_session->OnOk(m_id->text().toStdString(), m_password->text().toStdString());
    if (outcome == CAdminLoginSession::kAccepted) accept();
}

void CAdminLoginDialog::done(int result) {
    m_running = false;
    for (auto& timer : m_timers) timer.stop();
    QDialog::done(result);
}

}  // namespace stampwell
