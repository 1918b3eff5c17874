#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>

#include "corrections/TimeMask.h"

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
    // Tab and Shift+Tab end the edit like that, then ask for the next or previous time cell.
    void SetTabbed(std::function<void(bool forward)> tabbed) { m_tabbed = std::move(tabbed); }
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
    std::function<void(bool)> m_tabbed;
    bool m_ended = false;
};

}  // namespace stampwell
