#include "screen/MyList.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "screen/CaptionLabel.h"

namespace stampwell {

CMyList::CMyList(QWidget* parent) : QListWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    // The scroll bar wears the panel's navy instead of the desktop's light grey.
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: rgb(0, 0, 96); width: 14px; margin: 14px 0 14px 0; }"
        "QScrollBar::handle:vertical { background: rgb(96, 96, 176); min-height: 20px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical {"
        " background: rgb(0, 0, 128); height: 14px; subcontrol-origin: margin; }"
        "QScrollBar::add-line:vertical { subcontrol-position: bottom; }"
        "QScrollBar::sub-line:vertical { subcontrol-position: top; }"
        "QScrollBar::up-arrow:vertical, QScrollBar::down-arrow:vertical {"
        " width: 6px; height: 6px; background: rgb(160, 160, 224); }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

namespace {
QFont ListFont() {
    return ScreenFont("ＭＳ Ｐゴシック", 18, 900);
}
int LineWidth(const CMyList& list) {
    return list.viewport()->width() - 8;
}
}  // namespace

QString CMyList::ShownLine(int i) const {
    if (i < 0 || i >= count()) return {};
    // Names come padded with blanks to their fixed width: the blanks are not part of the line.
    QString text = item(i)->text();
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return QFontMetrics(ListFont()).elidedText(text, Qt::ElideRight, LineWidth(*this));
}

void CMyList::SetLines(const QStringList& lines) {
    clear();
    for (const auto& line : lines) {
        addItem(line);
        item(count() - 1)->setSizeHint(QSize(0, 19));
    }
    if (count() > 0) {
        setCurrentRow(count() - 1);
        scrollToItem(item(count() - 1));
    }
    if (parentWidget()) parentWidget()->update();
}

QStringList CMyList::Lines() const {
    QStringList lines;
    for (int i = 0; i < count(); ++i) lines << item(i)->text();
    return lines;
}

void CMyList::scrollContentsBy(int dx, int dy) {
    QListWidget::scrollContentsBy(dx, dy);
    // The blended list must follow the scroll position at once.
    if (parentWidget()) parentWidget()->update(geometry());
}

void CMyList::Draw(QPainter& target) const {
    if (isHidden()) return;
    const QSize client = viewport()->size();
    if (client.isEmpty()) return;
    QImage bitmap(client, QImage::Format_RGB32);
    bitmap.fill(QColor(0, 0, 128));
    {
        QPainter painter(&bitmap);
        painter.setFont(ListFont());
        painter.setPen(Qt::white);
        int first = verticalScrollBar()->value();
        for (int i = first, k = 0; i < count(); ++i, ++k) {
            QRect line(4, 4 + 18 * k, LineWidth(*this), 18);
            if (line.top() >= client.height()) break;
            painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             ShownLine(i));
        }
    }
    target.save();
    target.setOpacity(160 / 255.0);
    target.drawImage(geometry().topLeft() + viewport()->geometry().topLeft(), bitmap);
    target.restore();
}

}  // namespace stampwell
