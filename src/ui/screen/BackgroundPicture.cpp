#include "screen/BackgroundPicture.h"

#include <QPainter>
#include <QRect>

namespace stampwell {

bool CBackgroundPicture::Load(const QString& path) {
    QImage picture;
    if (!picture.load(path)) {
        m_picture = QImage();
        m_scaled = QImage();
        return false;
    }
    m_picture = picture;
    m_scaled = QImage();
    return true;
}

QRect CBackgroundPicture::PlacedRect(const QRect& area) const {
    const double pw = m_picture.width(), ph = m_picture.height();
    const double byWidth = area.width() / pw;
    const bool tooShort = area.height() < ph * byWidth;
    // Contain fits the limiting side; cover takes the other one so the picture fills the area.
    const bool scaleByHeight = m_fit == kContain ? tooShort : !tooShort;
    const double scale = scaleByHeight ? area.height() / ph : byWidth;
    const int w = static_cast<int>(pw * scale + 0.5), h = static_cast<int>(ph * scale + 0.5);
    return QRect(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
}

void CBackgroundPicture::Draw(QPainter& target, const QRect& area) const {
    if (!HasPicture()) return;
    if (m_scaled.size() != area.size()) {
        m_scaled = QImage(area.size(), QImage::Format_RGB32);
        m_scaled.fill(QColor(80, 80, 80));
        QPainter painter(&m_scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(PlacedRect(QRect(QPoint(0, 0), area.size())), m_picture);
    }
    target.drawImage(area.topLeft(), m_scaled);
}

}  // namespace stampwell
