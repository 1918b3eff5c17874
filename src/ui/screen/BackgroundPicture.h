#pragma once

#include <QImage>
#include <QString>

class QPainter;
class QRect;

namespace stampwell {

// The screen's background picture, drawn to cover (or fit inside) the target.
class CBackgroundPicture {
public:
    enum EFit { kContain = 0, kCover = 1 };

    bool Load(const QString& path);
    bool HasPicture() const { return !m_picture.isNull(); }
    void SetFit(EFit fit) {
        m_fit = fit;
        m_scaled = QImage();
    }
    void Draw(QPainter& target, const QRect& area) const;
    // Where the picture lands in the area.
    QRect PlacedRect(const QRect& area) const;

private:
    EFit m_fit = kCover;
    QImage m_picture;
    // The picture as last drawn: the clock repaints the screen twice a second, and scaling the
    // picture each time would be wasted work.
    mutable QImage m_scaled;
};

}  // namespace stampwell
