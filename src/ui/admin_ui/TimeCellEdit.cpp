#include "admin_ui/TimeCellEdit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace stampwell {

CTimeCellEdit::CTimeCellEdit(const QString& text, QWidget* parent, Finished finished)
    : QLineEdit(parent), m_mask(text.toStdString()), m_finished(std::move(finished)) {
    setMaxLength(5);
    setDragEnabled(false);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAlignment(Qt::AlignCenter);
    Show();
}

void CTimeCellEdit::Show() {
    setText(QString::fromStdString(m_mask.Text()));
    setSelection(m_mask.Selection(), 1);
}

bool CTimeCellEdit::event(QEvent* event) {
    // Tab would move the focus (and the grid's current cell) while this editor stayed open over
    // its cell: it ends the edit here, and the grid moves on.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const bool forward =
                key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            event->accept();
            const auto tabbed = m_tabbed;
            End(false);
            if (tabbed) tabbed(forward);
            return true;
        }
    }
    // Enter, Esc and Delete belong to the editor, not to the dialog's OK and Cancel.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            key->key() == Qt::Key_Escape || key->key() == Qt::Key_Delete ||
            (key->modifiers() & Qt::ControlModifier)) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CTimeCellEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            m_mask.Left();
            break;
        case Qt::Key_Right:
            m_mask.Right();
            break;
        case Qt::Key_Backspace:
            m_mask.Backspace();
            break;
        case Qt::Key_Delete:
            m_mask.Delete();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            End(false);
            return;
        case Qt::Key_Escape:
            End(true);
            return;
        case Qt::Key_Home:
            m_mask.Click(0);  // the first hour digit
            break;
        case Qt::Key_End:
            m_mask.Click(4);  // the last minute digit
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            break;
        default:
            // Ctrl+V, Ctrl+X and the like never reach the text; a copy may.
            if (event->matches(QKeySequence::Copy)) {
                QLineEdit::keyPressEvent(event);
                return;
            }
            if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                event->text().size() == 1) {
                m_mask.Type(event->text().at(0).toLatin1());
            }
            break;
    }
    event->accept();
    Show();
}

void CTimeCellEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;  // no middle-click paste
    m_mask.Click(cursorPositionAt(event->position().toPoint()));
    Show();
}

void CTimeCellEdit::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CTimeCellEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    End(false);
}

void CTimeCellEdit::Commit() {
    End(false);
}

void CTimeCellEdit::End(bool cancelled) {
    if (m_ended) return;
    m_ended = true;
    std::optional<std::string> text;
    if (!cancelled) {
        // The typed text as it stands: the session reads it, and refuses an impossible time.
        text = m_mask.Text();
    }
    if (m_finished) m_finished(text, m_mask.IsModified());
}

}  // namespace stampwell
