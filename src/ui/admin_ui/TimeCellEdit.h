#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>

#include "recording/TimeMask.h"

namespace stampwell {

// The in-place editor of one time over its "__:__" mask: one character always selected, digits
// overwrite, the colon is skipped. Paste, cut, drag, the context menu and middle-click paste are
// refused. It reports once when it ends: the normalised text (nothing when cancelled with Esc)
// and whether anything was typed.
class CTimeCellEdit : public QLineEdit {
public:
    using Finished = std::function<void(std::optional<std::string> text, bool modified)>;

    CTimeCellEdit(const QString& text, QWidget* parent, Finished finished);

    // Ends the edit as if the focus had left (committing the text).
    void Commit();
    const CTimeMask& Mask() const { return m_mask; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent*) override {}
    void mouseMoveEvent(QMouseEvent*) override {}
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Show();
    void End(bool cancelled);

    CTimeMask m_mask;
    Finished m_finished;
    bool m_ended = false;
};

}  // namespace stampwell
