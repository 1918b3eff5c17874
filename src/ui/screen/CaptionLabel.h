#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QPainter;

namespace stampwell {

// A caption label of the registration screen. It paints nothing itself: the screen draws it into
// its off-screen picture, on a black bitmap of its own blended with a constant alpha.
class CCaptionLabel : public QWidget {
public:
    enum EAlignment { kLeft = 0, kCentre = 1, kRight = 2, kWrapped = 3 };

    explicit CCaptionLabel(QWidget* parent);

    void SetFont(int height, int weight);
    void SetColors(const QColor& fill, const QColor& outline, const QColor& text, int alpha);
    void SetOutline(int width, int alignment, bool frame);
    void SetText(const QString& text);
    QString GetText() const { return m_text; }
    int Alpha() const { return m_alpha; }

    void Draw(QPainter& target) const;

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    int m_fontHeight = 20;
    int m_fontWeight = 900;
    QColor m_fill = Qt::white;
    QColor m_outline = Qt::white;
    QColor m_textColor = Qt::black;
    int m_alpha = 255;
    int m_outlineWidth = 1;
    int m_alignment = kCentre;
    bool m_frame = false;
    QString m_text;
};

// The screen's fonts are given by their Windows face names and mapped to installed fonts.
QFont ScreenFont(const char* face, int pixelHeight, int weight);

}  // namespace stampwell
