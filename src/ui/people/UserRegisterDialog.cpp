#include "people/UserRegisterDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveChange.h"
#include "people/RegisterFile.h"
#include "people/UserCardCapture.h"
#include "people/UserForm.h"
#include "platform/IPrompt.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"

namespace stampwell {

CUserRegisterDialog::CUserRegisterDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("ユーザー新規登録"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* person = new QFormLayout();
    m_name = new QLineEdit(this);
    m_name->setMaxLength(32);
    m_cardState = new QLineEdit(this);
    LookReadOnly(*m_cardState);
    m_cardState->setMaxLength(16);
    m_cardState->setFocusPolicy(Qt::NoFocus);
    person->addRow(QString::fromUtf8("登録名:"), m_name);
    person->addRow(QString(), m_cardState);
    layout->addLayout(person);
    m_instruction = new QLabel(this);
    m_instruction->setWordWrap(true);
    layout->addWidget(m_instruction);

    auto* mail = new QGroupBox(this);
    auto* mailLayout = new QVBoxLayout(mail);
    mailLayout->addWidget(
        new QLabel(QString::fromUtf8("メール機能を使用しない場合以下の項目は省略可能です。\n\n"
                                     "メール機能を使用する場合以下の項目は全て必須となります。"),
                   mail));
    auto* mailForm = new QFormLayout();
    m_mailName = new QLineEdit(mail);
    m_mailName->setMaxLength(32);
    m_mailAddress = new QLineEdit(mail);
    m_mailAddress->setMaxLength(64);
    mailForm->addRow(QString::fromUtf8("受信者名："), m_mailName);
    mailForm->addRow(QString::fromUtf8("受信者のメールアドレス："), m_mailAddress);
    mailLayout->addLayout(mailForm);
    layout->addWidget(mail);

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    SetDialogUnitsWidth(*this, 260);
    m_poll.setInterval(500);
    connect(&m_poll, &QTimer::timeout, this, [this] { OnTimer(); });
}

CUserRegisterDialog::~CUserRegisterDialog() = default;

int CUserRegisterDialog::Run() {
    Prepare();
    return exec();
}

void CUserRegisterDialog::Prepare() {
    const bool room = CModeFiles::ReadMode(m_controller.Runtime().DataDir()) == kRoomMode;
    m_instruction->setText(
        QString::fromUtf8(room ? "入退室登録に使用するFeliCaカードをセンサーにかざしてください。"
                               : "出退勤登録に使用するFeliCaカードをセンサーにかざしてください。"));
    setWindowTitle(QString::fromUtf8(m_changeMode ? "ユーザー情報変更" : "新規ユーザー登録"));
    CRegisterFile& reg = *m_controller.GetRegister();
    m_form = std::make_unique<CUserForm>(reg, m_controller.Prompt(), m_changeMode);
    m_form->Open();
    m_capture =
        std::make_unique<CUserCardCapture>(reg, m_controller.Prompt(), m_form->InitialCard());
    m_name->setText(QString::fromStdString(m_form->InitialName()));
    m_mailName->setText(QString::fromStdString(m_form->InitialMailName()));
    m_mailAddress->setText(QString::fromStdString(m_form->InitialMailAddress()));
    ShowCardState();
    m_running = true;
    m_poll.start();
}

void CUserRegisterDialog::ShowCardState() {
    const bool hasCard = m_capture && !m_capture->Card().empty();
    m_cardState->setText(QString::fromUtf8(hasCard ? "カード登録済" : "カード未登録"));
}

void CUserRegisterDialog::OnTimer() {
    if (!m_running || !m_capture) return;
    m_poll.stop();
    if (m_capture->OnCardTick(m_controller.GetReader()) == CUserCardCapture::kCaptured) {
        ShowCardState();
    }
    // Not restarted when the dialog closed while a message was open.
    if (m_running) m_poll.start();
}

std::string CUserRegisterDialog::CapturedCard() const {
    return m_capture ? m_capture->Card() : std::string{};
}

void CUserRegisterDialog::OnOk() {
    if (!m_form) return;
    const std::string name = m_name->text().toStdString();
    if (m_form->Submit(name, CapturedCard(), m_mailName->text().toStdString(),
                       m_mailAddress->text().toStdString())) {
        // A renamed employee keeps their paid leave (the book is kept by name).
        if (m_changeMode) {
            CLeaveChange::CarryRename(
                m_controller.Runtime(),
                CLeaveBook::PathBeside(m_controller.GetSettings()->GetIdFilePath()),
                m_form->PreviousName(), name, m_controller.Prompt());
        }
        accept();
    }
}

void CUserRegisterDialog::done(int result) {
    m_running = false;
    m_poll.stop();
    QDialog::done(result);
}

}  // namespace stampwell
