#include "settings/SendMailDetailDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "mail/MailSettings.h"
#include "mail/TestMail.h"
#include "platform/IPrompt.h"

namespace stampwell {

CSendMailDetailDialog::CSendMailDetailDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("メール送信詳細設定"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* form = new QFormLayout();
    m_server = new QLineEdit(this);
    m_port = new QLineEdit(this);
    m_port->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_port));
    m_auth = new QCheckBox(QString::fromUtf8("認証システムを利用する。"), this);
    m_id = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(QString::fromUtf8("サーバー名：\n(SMTP)"), m_server);
    form->addRow(QString::fromUtf8("送信ポート番号："), m_port);
    form->addRow(m_auth);
    form->addRow(QString::fromUtf8("ユーザー名："), m_id);
    form->addRow(QString::fromUtf8("パスワード："), m_password);
    layout->addLayout(form);

    auto* test = new QGroupBox(QString::fromUtf8("テスト送信"), this);
    auto* testRow = new QHBoxLayout(test);
    m_testAddress = new QLineEdit(test);
    m_testAddress->setPlaceholderText(QString::fromUtf8("送信先のメールアドレス"));
    m_test = new QPushButton(QString::fromUtf8("テスト送信"), test);
    m_test->setAutoDefault(false);
    testRow->addWidget(m_testAddress, 1);
    testRow->addWidget(m_test);
    layout->addWidget(test);

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    connect(m_test, &QPushButton::clicked, this, [this] { OnTestSend(); });
    connect(m_auth, &QCheckBox::toggled, this, [this](bool on) {
        m_id->setEnabled(on);
        m_password->setEnabled(on);
    });
    SetDialogUnitsWidth(*this, 240);
}

CSendMailDetailDialog::~CSendMailDetailDialog() = default;

int CSendMailDetailDialog::Run() {
    Prepare();
    return exec();
}

void CSendMailDetailDialog::Prepare() {
    CMailSettings mail;
    mail.LoadServer(m_controller.Runtime().DataDir());
    m_server->setText(QString::fromStdString(mail.serverName));
    m_port->setText(QString::fromStdString(mail.portNumber));
    m_id->setText(QString::fromStdString(mail.id));
    m_password->setText(QString::fromStdString(mail.password));
    const bool on = CMailSettings::IsSwitchOn(mail.attestation);
    m_auth->setChecked(on);
    m_id->setEnabled(on);
    m_password->setEnabled(on);
    m_shown = Collect();
}

CMailSettings CSendMailDetailDialog::Collect() const {
    CMailSettings mail;
    mail.serverName = m_server->text().toStdString();
    mail.portNumber = m_port->text().toStdString();
    mail.attestation.assign(1, m_auth->isChecked() ? '1' : '0');
    mail.id = m_id->text().toStdString();
    mail.password = m_password->text().toStdString();
    return mail;
}

void CSendMailDetailDialog::OnOk() {
    const CMailSettings mail = Collect();
    if (!mail.SaveServer(m_controller.Runtime().DataDir(), &m_shown)) {
        m_controller.Prompt().ShowMessage(
            "設定を保存できませんでした。\n保存先を確認してください。", EMessageIcon::None);
        return;
    }
    accept();
}

bool CSendMailDetailDialog::OnTestSend() {
    const std::string to = m_testAddress->text().trimmed().toStdString();
    if (m_testRunning) return false;
    if (to.empty()) {
        m_controller.Prompt().ShowMessage("テストメールの送信先を入力してください。",
                                          EMessageIcon::None);
        return false;
    }
    CMailSettings server;
    server.serverName = m_server->text().toStdString();
    server.portNumber = m_port->text().toStdString();
    server.attestation.assign(1, m_auth->isChecked() ? '1' : '0');
    server.id = m_id->text().toStdString();
    server.password = m_password->text().toStdString();
    CMailSettings texts;
    texts.LoadTexts(m_controller.Runtime().DataDir());
    const std::int64_t now = m_controller.Runtime().Clock().Now();
    auto result = std::make_shared<MailResult>();
    // Off the screen's thread: a server that does not answer must not freeze the window.
    QThread* worker = QThread::create(
        [server, texts, to, now, result] { *result = CTestMail::Send(server, texts, to, now); });
    m_testRunning = true;
    m_test->setEnabled(false);
    connect(worker, &QThread::finished, this, [this, result] {
        m_testRunning = false;
        m_test->setEnabled(true);
        m_controller.Prompt().ShowMessage(result->Describe(), EMessageIcon::None);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    return true;
}

}  // namespace stampwell
