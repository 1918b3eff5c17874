#include "settings/SendMailDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "mail/MailSettings.h"
#include "platform/IPrompt.h"
#include "settings/ModeFiles.h"
#include "settings/SendMailDetailDialog.h"

namespace stampwell {

namespace {
// The file keeps a text's line breaks as CR LF; the edit shows them as line feeds.
QString FromFileText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
std::string ToFileText(const QString& text) {
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return crlf.toStdString();
}
}  // namespace

CSendMailDialog::CSendMailDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("メール送信設定"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    m_switch = new QCheckBox(QString::fromUtf8("メール機能を使用する。"), this);
    layout->addWidget(m_switch);
    auto* grid = new QGridLayout();
    int row = 0;
    auto line = [&](const char* label, QLineEdit*& field, QLabel** labelOut) {
        auto* text = new QLabel(QString::fromUtf8(label), this);
        if (labelOut != nullptr) *labelOut = text;
        field = new QLineEdit(this);
        grid->addWidget(text, row, 0);
        grid->addWidget(field, row++, 1);
    };
    auto block = [&](QPlainTextEdit*& field, QLabel** labelOut) {
        *labelOut = new QLabel(this);
        field = new QPlainTextEdit(this);
        field->setTabChangesFocus(true);
        field->setFixedHeight(72);
        grid->addWidget(*labelOut, row, 0, Qt::AlignTop);
        grid->addWidget(field, row++, 1);
    };
    line("送信者名：", m_sendName, nullptr);
    line("送信者のメールアドレス：", m_sendAddress, nullptr);
    line("", m_title, &m_labels[kTitleLabel]);
    block(m_in, &m_labels[kInLabel]);
    line("", m_title2, &m_labels[kTitle2Label]);
    block(m_out, &m_labels[kOutLabel]);
    layout->addLayout(grid);
    m_help = new QPushButton(QString::fromUtf8("メッセージの書き方"), this);
    m_help->setAutoDefault(false);
    auto* helpRow = new QHBoxLayout();
    helpRow->addStretch();
    helpRow->addWidget(m_help);
    layout->addLayout(helpRow);
    layout->addWidget(Separator(this));
    auto* detailRow = new QHBoxLayout();
    detailRow->addWidget(new QLabel(
        QString::fromUtf8("こちらは上級者向けです。\n通常は変更しないようお願いします。"), this));
    m_detail = new QPushButton(QString::fromUtf8("詳細"), this);
    m_detail->setAutoDefault(false);
    detailRow->addWidget(m_detail);
    layout->addLayout(detailRow);

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    connect(m_help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(m_detail, &QPushButton::clicked, this, [this] { OnDetail(); });
    connect(m_switch, &QCheckBox::toggled, this, [this](bool on) { EnableTexts(on); });
    SetDialogUnitsWidth(*this, 300);
    m_runDetail = [](CSendMailDetailDialog& dialog) { return dialog.Run(); };
}

int CSendMailDialog::Run() {
    Prepare();
    return exec();
}

void CSendMailDialog::Prepare() {
    CMailSettings mail;
    mail.LoadTexts(m_controller.Runtime().DataDir());  // a missing file leaves all empty
    m_switch->setChecked(CMailSettings::IsSwitchOn(mail.mailCheck));
    EnableTexts(m_switch->isChecked());
    m_sendName->setText(QString::fromStdString(mail.sendName));
    m_sendAddress->setText(QString::fromStdString(mail.sendAddress));
    m_title->setText(QString::fromStdString(mail.title));
    m_in->setPlainText(FromFileText(mail.inText));
    m_title2->setText(QString::fromStdString(mail.title2));
    m_out->setPlainText(FromFileText(mail.outText));
    const bool room = CModeFiles::ReadMode(m_controller.Runtime().DataDir()) == kRoomMode;
    const char* texts[2][4] = {
        {"出勤時の件名", "出勤時のメッセージ", "退勤時の件名", "退勤時のメッセージ"},
        {"入室時の件名", "入室時のメッセージ", "退室時の件名", "退室時のメッセージ"}};
    for (int i = 0; i < 4; ++i) m_labels[i]->setText(QString::fromUtf8(texts[room ? 1 : 0][i]));
    m_shown = Collect();
}

void CSendMailDialog::EnableTexts(bool on) {
    for (QWidget* widget : std::initializer_list<QWidget*>{m_sendName, m_sendAddress, m_title, m_in,
                                                           m_title2, m_out, m_help, m_detail}) {
        widget->setEnabled(on);
    }
}

void CSendMailDialog::OnHelp() {
    m_controller.Prompt().ShowMessage(
        "メッセージの書き方\n"
        "\n"
        "\"#name\"をつけるとその部分に該当するユーザー名が入ります。\n"
        "\"#time\"をつけるとその部分にそのときの時間が入ります。\n"
        "\n"
        "書き方の例\n"
        "ようこそ#nameさん　#timeです。\n"
        "\n"
        "メッセージ例\n"
        "ようこそ○○さん　YY/MM/DD hh:mmです。",
        EMessageIcon::None);
}

void CSendMailDialog::OnDetail() {
    CSendMailDetailDialog detail(m_controller, this);
    m_runDetail(detail);
}

CMailSettings CSendMailDialog::Collect() const {
    CMailSettings mail;
    mail.mailCheck.assign(1, m_switch->isChecked() ? '1' : '0');
    mail.sendName = m_sendName->text().toStdString();
    mail.sendAddress = m_sendAddress->text().toStdString();
    mail.title = m_title->text().toStdString();
    mail.inText = ToFileText(m_in->toPlainText());
    mail.title2 = m_title2->text().toStdString();
    mail.outText = ToFileText(m_out->toPlainText());
    return mail;
}

void CSendMailDialog::OnOk() {
    // Only what was changed here goes over the file as it is now.
    const CMailSettings mail = Collect();
    if (!mail.SaveTexts(m_controller.Runtime().DataDir(), &m_shown)) {
        m_controller.Prompt().ShowMessage(
            "設定を保存できませんでした。\n保存先を確認してください。", EMessageIcon::None);
        return;
    }
    accept();
}

}  // namespace stampwell
