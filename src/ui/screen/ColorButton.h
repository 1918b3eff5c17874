#pragma once

#include <QAbstractButton>
#include <QColor>

class QPainter;

namespace stampwell {

class RecorderCommand;

// A colour button of the registration screen: a selected face in its own colours, an unselected
// one in grey, blended with a constant alpha. The screen draws it; clicking runs its command.
class CColorButton : public QAbstractButton {
public:
    explicit CColorButton(QWidget* parent);

    void BindCommand(RecorderCommand* command) { m_command = command; }
    void SetColors(const QColor& face, const QColor& text, int alpha);
    void SetSelected(bool selected);
    bool IsSelected() const { return m_selected; }
    bool WasClicked() const { return m_clicked; }
    void Click();

    void Draw(QPainter& target) const;

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    RecorderCommand* m_command = nullptr;
    bool m_clicked = false;
    QColor m_face{128, 128, 255};
    QColor m_text = Qt::black;
    int m_alpha = 255;
    bool m_selected = true;
};

}  // namespace stampwell
