#include "screen/NameField.h"

#include <QFontMetrics>
#include <QPainter>

#include "screen/CaptionLabel.h"

namespace stampwell {

CNameField::CNameField(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setEnabled(false);
}

void CNameField::SetColors(const QColor& fill, const QColor& second, int alpha) {
    m_fill = fill;
    m_second = second;
    m_alpha = alpha;
}

void CNameField::SetFont(int height, int weight) {
    m_fontHeight = height;
    m_fontWeight = weight;
}

void CNameField::SetText(const QString& text) {
    m_text = text;
    if (parentWidget()) parentWidget()->update(geometry());
}

QFont CNameField::FittedFont() const {
    QFont font = ScreenFont("ＭＳ Ｐゴシック", m_fontHeight, m_fontWeight);
    const int room = TextArea().width() - 4;
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(m_text) > room) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

void CNameField::Draw(QPainter& target) const {
    if (isHidden()) return;
    QRect area = TextArea();
    target.save();
    target.setOpacity(m_alpha / 255.0);
    target.fillRect(area, m_fill);
    target.setOpacity(1.0);
    target.setFont(FittedFont());
    target.setPen(QColor(255, 255, 0));
    target.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, m_text);
    target.restore();
}

}  // namespace stampwell
