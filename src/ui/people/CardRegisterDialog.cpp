#include "people/CardRegisterDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "personnel/AdminCardCapture.h"

namespace stampwell {

CCardRegisterDialog::CCardRegisterDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("カード登録"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* text = new QLabel(
        QString::fromUtf8("FeliCaポートに管理者認証で使用するカードをかざしてください。"), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel =
        buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    SetDialogUnitsWidth(*this, 240);
    m_poll.setInterval(500);
    connect(&m_poll, &QTimer::timeout, this, [this] { OnTimer(); });
}

CCardRegisterDialog::~CCardRegisterDialog() = default;

int CCardRegisterDialog::Run() {
    Prepare();
    return exec();
}

void CCardRegisterDialog::Prepare() {
    m_capture =
        std::make_unique<CAdminCardCapture>(*m_controller.GetAdminStore(), m_controller.Prompt());
    m_running = true;
    m_poll.start();
}

void CCardRegisterDialog::OnTimer() {
    if (!m_running || !m_capture) return;
    m_poll.stop();
    if (m_capture->OnCardTick(m_controller.GetReader())) {
        accept();
        return;
    }
    if (m_running) m_poll.start();
}

std::string CCardRegisterDialog::GetCard() const {
    return m_capture ? m_capture->Card() : std::string{};
}

void CCardRegisterDialog::done(int result) {
    m_running = false;
    m_poll.stop();
    QDialog::done(result);
}

}  // namespace stampwell
