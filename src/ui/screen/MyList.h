#pragma once

#include <QListWidget>
#include <QStringList>

class QPainter;

namespace stampwell {

// The day's history: a list box whose items the screen draws blended over the background
// (white on dark blue at opacity 160), following the list's scroll position.
class CMyList : public QListWidget {
public:
    explicit CMyList(QWidget* parent);

    void SetLines(const QStringList& lines);
    QStringList Lines() const;
    void Draw(QPainter& target) const;
    // Line i as drawn: elided at its end with "…" when it does not fit the list's width.
    QString ShownLine(int i) const;

protected:
    void paintEvent(QPaintEvent*) override {}
    void scrollContentsBy(int dx, int dy) override;
};

}  // namespace stampwell
