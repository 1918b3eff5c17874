#include "people/AdminAddDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "people/CardRegisterDialog.h"
#include "personnel/AdminForm.h"

namespace stampwell {

CAdminAddDialog::CAdminAddDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("管理者登録"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    layout->addWidget(new QLabel(
        QString::fromUtf8("管理者ＩＤとパスワード、FeliCa認証カードを登録してください。"), this));

    auto* login = new QGroupBox(QString::fromUtf8("ログインID登録"), this);
    auto* form = new QFormLayout(login);
    m_id = new QLineEdit(login);
    m_id->setMaxLength(32);
    m_password = new QLineEdit(login);
    m_password->setMaxLength(16);
    m_password->setEchoMode(QLineEdit::Password);
    m_confirm = new QLineEdit(login);
    m_confirm->setMaxLength(16);
    m_confirm->setEchoMode(QLineEdit::Password);
    form->addRow(QString::fromUtf8("管理者ＩＤ:"), m_id);
    form->addRow(QString::fromUtf8("パスワード:"), m_password);
    form->addRow(QString::fromUtf8("パスワード(確認):"), m_confirm);
    layout->addWidget(login);

    auto* card = new QGroupBox(QString::fromUtf8("FeliCa認証カード登録"), this);
    auto* cardRow = new QHBoxLayout(card);
    m_cardState = new QLabel(card);
    m_registerCard = new QPushButton(QString::fromUtf8("登録"), card);
    m_clearCard = new QPushButton(QString::fromUtf8("クリア"), card);
    for (QPushButton* button : {m_registerCard, m_clearCard}) button->setAutoDefault(false);
    cardRow->addWidget(m_cardState, 1);
    cardRow->addWidget(m_registerCard);
    cardRow->addWidget(m_clearCard);
    layout->addWidget(card);

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    connect(m_registerCard, &QPushButton::clicked, this, [this] { OnRegisterCard(); });
    connect(m_clearCard, &QPushButton::clicked, this, [this] { OnClearCard(); });
    SetDialogUnitsWidth(*this, 220);
    m_runCardDialog = [](CCardRegisterDialog& dialog) { return dialog.Run(); };
}

CAdminAddDialog::~CAdminAddDialog() = default;

int CAdminAddDialog::Run() {
    Prepare();
    return exec();
}

void CAdminAddDialog::Prepare() {
    setWindowTitle(QString::fromUtf8(m_changeMode ? "管理者変更" : "管理者登録"));
    m_form = std::make_unique<CAdminForm>(*m_controller.GetAdminStore(), m_controller.Prompt(),
                                          m_changeMode);
    m_form->Open();
    m_id->setText(QString::fromStdString(m_form->InitialId()));
    m_password->setText(QString::fromStdString(m_form->InitialPassword()));
    m_confirm->setText(QString::fromStdString(m_form->InitialPassword()));
    // The database keeps passwords only as hashes: an empty field keeps the one stored.
    const QString keep =
        m_form->KeepsPassword() ? QString::fromUtf8("変更しないときは空欄") : QString();
    m_password->setPlaceholderText(keep);
    m_confirm->setPlaceholderText(keep);
    ShowCardState();
}

void CAdminAddDialog::ShowCardState() {
    const bool hasCard = m_form && m_form->HasCard();
    m_registerCard->setEnabled(!hasCard);
    m_clearCard->setEnabled(hasCard);
    m_cardState->setText(QString::fromUtf8(hasCard ? "登録済" : "未登録"));
}

void CAdminAddDialog::OnRegisterCard() {
    CCardRegisterDialog dialog(m_controller, this);
    m_runCardDialog(dialog);
    ShowCardState();
}

void CAdminAddDialog::OnClearCard() {
    if (m_form && m_form->ClearCard()) ShowCardState();
}

void CAdminAddDialog::OnOk() {
    if (!m_form) return;
    if (m_form->Submit(m_id->text().toStdString(), m_password->text().toStdString(),
                       m_confirm->text().toStdString())) {
        accept();
    }
}

}  // namespace stampwell
