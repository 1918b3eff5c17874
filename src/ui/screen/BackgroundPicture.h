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
    void SetFit(EFit fit) { m_fit = fit; }
    void Draw(QPainter& target, const QRect& area) const;
    // Where the picture lands in the area.
    QRect PlacedRect(const QRect& area) const;

private:
    EFit m_fit = kCover;
    QImage m_picture;
};

}  // namespace stampwell
