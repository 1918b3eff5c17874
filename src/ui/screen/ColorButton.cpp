#include "screen/ColorButton.h"

#include <QImage>
#include <QPainter>

#include "RecorderCommand/RecorderCommand.h"
#include "screen/CaptionLabel.h"

namespace stampwell {

CColorButton::CColorButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { Click(); });
    // The screen repaints the pressed and released looks.
    connect(this, &QAbstractButton::pressed, this, [this] {
        if (parentWidget()) parentWidget()->update(geometry());
    });
    connect(this, &QAbstractButton::released, this, [this] {
        if (parentWidget()) parentWidget()->update(geometry());
    });
}

void CColorButton::SetColors(const QColor& face, const QColor& text, int alpha) {
    m_face = face;
    m_text = text;
    m_alpha = alpha;
}

void CColorButton::SetSelected(bool selected) {
    m_selected = selected;
    if (parentWidget()) parentWidget()->update(geometry());
}

void CColorButton::Click() {
    if (m_command != nullptr) m_command->Execute();
    m_clicked = true;
}

void CColorButton::Draw(QPainter& target) const {
    if (isHidden()) return;
    const QColor face = m_selected ? m_face : QColor(64, 64, 64);
    const QColor text = m_selected ? m_text : QColor(160, 160, 160);
    QImage bitmap(size(), QImage::Format_RGB32);
    bitmap.fill(face);
    {
        QPainter painter(&bitmap);
        QRect r = rect();
        QRect caption = r;
        if (isDown()) {
            painter.setPen(Qt::black);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            painter.setPen(face);
            painter.drawRect(r.adjusted(1, 1, -2, -2));
            caption.translate(4, 4);
        } else {
            // Raised: light at top and left, dark at bottom and right, two frames deep.
            for (int i = 0; i < 2; ++i) {
                // right() and bottom() are the last pixels: the dark edge is the outermost.
                QRect frame = r.adjusted(i, i, -i, -i);
                painter.setPen(Qt::white);
                painter.drawLine(frame.topLeft(), frame.topRight());
                painter.drawLine(frame.topLeft(), frame.bottomLeft());
                painter.setPen(Qt::black);
                painter.drawLine(frame.bottomLeft(), frame.bottomRight());
                painter.drawLine(frame.topRight(), frame.bottomRight());
            }
        }
        painter.setFont(ScreenFont("ＭＳ Ｐゴシック", 20, 900));
        painter.setPen(text);
        painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, this->text());
    }
    target.save();
    target.setOpacity(m_alpha / 255.0);
    target.drawImage(geometry().topLeft(), bitmap);
    target.restore();
}

}  // namespace stampwell
