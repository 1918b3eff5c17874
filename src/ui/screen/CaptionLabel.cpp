#include "screen/CaptionLabel.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace stampwell {

QFont ScreenFont(const char* face, int pixelHeight, int weight) {
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(pixelHeight);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    return font;
}

CCaptionLabel::CCaptionLabel(QWidget* parent) : QWidget(parent) {
    // Clicks go through to the screen, as they do through a static control.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CCaptionLabel::SetFont(int height, int weight) {
    m_fontHeight = height;
    m_fontWeight = weight;
}

void CCaptionLabel::SetColors(const QColor& fill, const QColor& outline, const QColor& text,
                              int alpha) {
    m_fill = fill;
    m_outline = outline;
    m_textColor = text;
    m_alpha = alpha;
}

void CCaptionLabel::SetOutline(int width, int alignment, bool frame) {
    m_outlineWidth = width;
    m_alignment = alignment;
    m_frame = frame;
}

void CCaptionLabel::SetText(const QString& text) {
    m_text = text;
    if (parentWidget() != nullptr) parentWidget()->update(geometry());
}

void CCaptionLabel::Draw(QPainter& target) const {
    if (isHidden()) return;
    QImage bitmap(size(), QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    {
        QPainter painter(&bitmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        if (m_frame) {
            painter.setPen(QPen(m_outline, m_outlineWidth));
            painter.setBrush(m_fill);
            painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
        }
        QFont font = ScreenFont("ＭＳ Ｐゴシック", m_fontHeight, m_fontWeight);
        if (m_alignment == kCentre) {
            // The installed Japanese fonts run wider than the ones the panels were sized for: a
            // centred caption (the clock, the result line) shrinks to fit rather than lose both
            // ends.
            const int room = width() - 2 * m_outlineWidth - 2;
            while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(m_text) > room) {
                font.setPixelSize(font.pixelSize() - 1);
            }
        }
        painter.setFont(font);
        painter.setPen(m_textColor);
        QRect client = rect();
        switch (m_alignment) {
            case kLeft:
                painter.drawText(client, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                                 m_text);
                break;
            case kCentre:
                painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, m_text);
                break;
            case kRight:
                painter.drawText(client, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                                 m_text);
                break;
            case kWrapped: {
                QRect inset =
                    client.adjusted(width() / 10, height() / 10, -width() / 10, -height() / 10);
                painter.drawText(inset, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
                break;
            }
            default:
                break;
        }
    }
    target.save();
    target.setOpacity(m_alpha / 255.0);
    target.drawImage(geometry().topLeft(), bitmap);
    target.restore();
}

}  // namespace stampwell
