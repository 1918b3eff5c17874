#include "admin_ui/QtPrompt.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>

#include "admin_ui/MsgBox.h"

namespace stampwell {

namespace {
QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

QWidget* CQtPrompt::Owner() const {
    // Above the dialog that asked (and centred on it), never behind it.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return m_parent;
}

void CQtPrompt::ShowMessage(std::string_view text, EMessageIcon icon) {
    m_last = std::string(text);
    QMessageBox box(Owner());
    box.setWindowTitle(QStringLiteral("Stampwell"));
    box.setText(FromUtf8(text));
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
        case EMessageIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case EMessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case EMessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case EMessageIcon::None:
            break;
    }
    box.exec();
}

int CQtPrompt::AskQuestion(std::string_view text, EAnswer byItself) {
    m_last = std::string(text);
    CMsgBox box(FromUtf8(text), m_dataDir, Owner(),
                byItself == kNo         ? CMsgBox::kNo
                : byItself == kNoAnswer ? CMsgBox::kNone
                                        : CMsgBox::kYes);
    box.exec();
    return box.GetAnswer();
}

bool CQtPrompt::AskYesNo(std::string_view text) {
    // Every such question's yes discards or replaces something: Enter answers no.
    m_last = std::string(text);
    QMessageBox box(Owner());
    box.setWindowTitle(QStringLiteral("Stampwell"));
    box.setText(FromUtf8(text));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void CQtPrompt::MovePointerToOrigin() {
    // Only where there is a pointer to move.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) QCursor::setPos(0, 0);
}

}  // namespace stampwell
