#include "admin_ui/MsgBox.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "admin_ui/DialogParts.h"
#include "settings/ModeFiles.h"

namespace stampwell {

CMsgBox::CMsgBox(const QString& text, const std::filesystem::path& dataDir, QWidget* parent,
                 int byItself)
    : QDialog(parent, DialogFlags()),
      m_byItself(byItself == kNo     ? kNo
                 : byItself == kNone ? kNone
                                     : kYes) {
    setWindowTitle(QString::fromUtf8("お知らせ"));
    auto* layout = new QVBoxLayout(this);  // owned by the dialog, as are the widgets below
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    const QString shown = QString(text).replace("\r\n", "\n");
    m_text->setPlainText(shown);
    // As large as the message needs, within reason: no empty box, no clipped line.
    const QFontMetrics metrics(m_text->font());
    int width = 0;
    const QStringList lines = shown.split(QLatin1Char('\n'));
    for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
    const int margins =
        2 * (m_text->frameWidth() + 8) + static_cast<int>(2 * m_text->document()->documentMargin());
    m_text->setFixedSize(
        std::clamp(width + margins, 240, 640),
        std::clamp(static_cast<int>(lines.size()) * metrics.lineSpacing() + margins,
                   metrics.lineSpacing() + margins, 360));
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->viewport()->setAutoFillBackground(false);
    layout->addWidget(m_text);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* buttons = new QHBoxLayout();
    layout->addLayout(buttons);
    m_yes = new QPushButton(QString::fromUtf8("はい"), this);
    m_no = new QPushButton(QString::fromUtf8("いいえ"), this);
    // The default button is the answer that destroys nothing (a question that waits asks
    // whether to keep something: its yes keeps it).
    (m_byItself == kNo ? m_no : m_yes)->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    connect(m_yes, &QPushButton::clicked, this, [this] { Answer(kYes); });
    connect(m_no, &QPushButton::clicked, this, [this] { Answer(kNo); });

    m_waitMs = CModeFiles::ReadTimerMilliseconds(dataDir);
    if (m_byItself == kNone) return;
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { Answer(m_byItself); });
    m_timer.start(m_waitMs);
    m_countdown.setInterval(250);
    connect(&m_countdown, &QTimer::timeout, this, [this] { ShowSecondsLeft(); });
    m_countdown.start();
    ShowSecondsLeft();
}

void CMsgBox::ShowSecondsLeft() {
    // Whole seconds, never more than the wait itself (a coarse timer may report a little more).
    const int left =
        std::min((std::max(m_timer.remainingTime(), 0) + 999) / 1000, (m_waitMs + 999) / 1000);
    m_yes->setText(QString::fromUtf8("はい"));
    m_no->setText(QString::fromUtf8("いいえ"));
    QPushButton* answering = m_byItself == kNo ? m_no : m_yes;
    answering->setText(answering->text() + QString::fromUtf8("（%1秒）").arg(left));
}

void CMsgBox::Answer(int answer) {
    m_timer.stop();
    m_countdown.stop();
    m_answer = answer;
    done(answer == kYes ? Accepted : Rejected);
}

void CMsgBox::reject() {
    Answer(kNo);
}

}  // namespace stampwell
