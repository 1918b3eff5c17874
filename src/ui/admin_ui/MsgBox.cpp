#include "admin_ui/MsgBox.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/ModeFiles.h"

namespace stampwell {

CMsgBox::CMsgBox(const QString& text, const std::filesystem::path& dataDir, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("お知らせ"));
    auto* layout = new QVBoxLayout(this);  // owned by the dialog, as are the widgets below
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setPlainText(QString(text).replace("\r\n", "\n"));
    m_text->setMinimumSize(320, 90);
    layout->addWidget(m_text);
    auto* buttons = new QHBoxLayout();
    layout->addLayout(buttons);
    m_yes = new QPushButton(QString::fromUtf8("はい"), this);
    m_no = new QPushButton(QString::fromUtf8("いいえ"), this);
    m_yes->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    connect(m_yes, &QPushButton::clicked, this, [this] { Answer(kYes); });
    connect(m_no, &QPushButton::clicked, this, [this] { Answer(kNo); });

    m_waitMs = CModeFiles::ReadTimerMilliseconds(dataDir);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { Answer(kYes); });
    m_timer.start(m_waitMs);
}

void CMsgBox::Answer(int answer) {
    m_timer.stop();
    m_answer = answer;
    done(answer == kYes ? Accepted : Rejected);
}

void CMsgBox::reject() {
    Answer(kNo);
}

}  // namespace stampwell
