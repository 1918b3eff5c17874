#include "people/UserRegisterDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogFileWork.h"
#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveChange.h"
#include "officestore/OfficeStores.h"
#include "personnel/UserCardCapture.h"
#include "personnel/UserForm.h"
#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "store/IPeopleStore.h"
#include "store/LeaveStoreChange.h"

namespace stampwell {

CUserRegisterDialog::CUserRegisterDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()),
      m_controller(controller),
      m_files(std::make_unique<CDialogFileWork>(this, controller.Prompt())),
      m_register(controller.GetRegister()->Clone()) {
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
    // Not shown when the administrator stopped waiting for the register while it opened.
    return m_abandoned ? Rejected : exec();
}

void CUserRegisterDialog::SetPerson(const std::string& name) {
    m_changeMode = true;
    m_register->SetName(name);
    m_register->SetPreviousName(name);
}

std::string CUserRegisterDialog::SavedName() const {
    return m_register->GetName();
}

void CUserRegisterDialog::Prepare() {
    const bool room = CModeFiles::ReadMode(m_controller.Runtime().DataDir()) == kRoomMode;
    m_instruction->setText(
        QString::fromUtf8(room ? "入退室登録に使用するFeliCaカードをセンサーにかざしてください。"
                               : "出退勤登録に使用するFeliCaカードをセンサーにかざしてください。"));
    setWindowTitle(QString::fromUtf8(m_changeMode ? "ユーザー情報変更" : "新規ユーザー登録"));
    auto form = std::make_shared<CUserForm>(*m_register, *m_files->Prompt(), m_changeMode);
    if (!m_files->Run([form, reg = m_register, prompt = m_files->Prompt()] { form->Open(); },
                      "登録者ファイルの場所")) {
        m_abandoned = true;
        done(Rejected);
        return;
    }
    m_form = form;
    m_capture =
        std::make_shared<CUserCardCapture>(*m_register, *m_files->Prompt(), m_form->InitialCard());
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
    if (!m_running || !m_capture || m_controller.GetReader() == nullptr) return;
    m_poll.stop();
    // The reader is read here; whether the card is free is a look into the register.
    std::string card;
    if (m_controller.GetReader()->Poll(card)) {
        auto outcome = std::make_shared<CUserCardCapture::EOutcome>(CUserCardCapture::kNothing);
        if (!m_files->Run([capture = m_capture, reg = m_register, prompt = m_files->Prompt(), card,
                           outcome] { *outcome = capture->OnCard(card); },
                          "登録者ファイルの場所")) {
            m_abandoned = true;
            done(Rejected);
            return;
        }
        if (*outcome == CUserCardCapture::kCaptured) ShowCardState();
    }
    // Not restarted when the dialog closed while a message was open.
    if (m_running) m_poll.start();
}

std::string CUserRegisterDialog::CapturedCard() const {
    return m_capture ? m_capture->Card() : std::string{};
}

void CUserRegisterDialog::OnOk() {
    if (!m_form) return;
    struct Job {
        std::string name, card, mailName, mailAddress;
        bool saved = false;
    };
    auto job = std::make_shared<Job>();
    job->name = m_name->text().toStdString();
    job->card = CapturedCard();
    job->mailName = m_mailName->text().toStdString();
    job->mailAddress = m_mailAddress->text().toStdString();
    const bool carry = m_changeMode;
    const CRuntime runtime = m_controller.Runtime();
    auto leave = OpenLeaveStore(runtime, *m_controller.GetSettings());
    const bool finished = m_files->Run(
        [job, form = m_form, reg = m_register, prompt = m_files->Prompt(), carry, leave] {
            job->saved = form->Submit(job->name, job->card, job->mailName, job->mailAddress);
            // A renamed employee keeps their paid leave (the book is kept by name).
            if (job->saved && carry) {
                CLeaveStoreChange::CarryRename(*leave, form->PreviousName(), job->name, *prompt);
            }
        },
        "登録者ファイルの場所");
    if (!finished) {
        m_abandoned = true;
        done(Rejected);
    } else if (job->saved) {
        accept();
    }
}

void CUserRegisterDialog::done(int result) {
    m_running = false;
    m_poll.stop();
    QDialog::done(result);
}

}  // namespace stampwell
