#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QPainter;

namespace stampwell {

// The name of the card's owner: a translucent fill with yellow text. Read-only and disabled, as
// the employee only looks at it.
class CNameField : public QWidget {
public:
    explicit CNameField(QWidget* parent);

    void SetColors(const QColor& fill, const QColor& second, int alpha);
    void SetFont(int height, int weight);
    void SetText(const QString& text);
    QString Text() const { return m_text; }

    void Draw(QPainter& target) const;
    // The font the name is drawn in: the set size, smaller until the whole name fits.
    QFont FittedFont() const;
    QRect TextArea() const { return geometry().adjusted(2, 2, -2, -2); }

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    QColor m_fill{255, 0, 0};
    QColor m_second = Qt::white;
    int m_alpha = 192;
    int m_fontHeight = 20;
    int m_fontWeight = 900;
    QString m_text;
};

}  // namespace stampwell
