#include "screen/BackgroundPicture.h"

#include <QPainter>
#include <QRect>

namespace stampwell {

bool CBackgroundPicture::Load(const QString& path) {
    QImage picture;
    if (!picture.load(path)) {
        m_picture = QImage();
        return false;
    }
    m_picture = picture;
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
    target.fillRect(area, QColor(80, 80, 80));
    target.save();
    target.setClipRect(area);
    target.setRenderHint(QPainter::SmoothPixmapTransform);
    target.drawImage(PlacedRect(area), m_picture);
    target.restore();
}

}  // namespace stampwell
