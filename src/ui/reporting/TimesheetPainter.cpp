#include "reporting/TimesheetPainter.h"

#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <filesystem>

#include "platform/FileSystem.h"

namespace stampwell {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// IPA Gothic: the package depends on it, and a PDF embeds it.
QFont Font(double points, bool bold = false) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Column widths in parts of the table's width.
constexpr double kWidths[] = {0.11, 0.07, 0.07, 0.07, 0.07, 0.07, 0.07, 0.07, 0.40};
}  // namespace

void CTimesheetPainter::PaintPage(QPainter& painter, const CTimesheet::Page& page,
                                  const std::string& made) {
    const QRect area = painter.viewport();
    const double w = area.width();
    const double h = area.height();
    // Layout in parts of the page, so any resolution draws the same page.
    const double left = w * 0.02, right = w * 0.98, width = right - left;
    double y = 0;

    painter.setPen(Qt::black);
    painter.setFont(Font(16, true));
    const double titleHeight = h * 0.04;
    painter.drawText(QRectF(left, y, width, titleHeight), Qt::AlignCenter, Q(page.title));
    y += titleHeight;
    painter.setFont(Font(10.5));
    const double infoHeight = h * 0.028;
    painter.drawText(QRectF(left, y, width / 2, infoHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8("氏名: ") + Q(page.name));
    painter.drawText(QRectF(left + width / 2, y, width / 2, infoHeight),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromUtf8("期間: ") + Q(page.period));
    y += infoHeight * 1.2;

    // The table: a header row and up to 31 days.
    const auto header = CTimesheet::Header(page.room);
    const double rowHeight = h * 0.0215;
    std::vector<double> xs{left};
    for (double part : kWidths) xs.push_back(xs.back() + part * width);
    auto drawRow = [&](const std::vector<std::string>& cells, bool shade, bool bold) {
        painter.setFont(Font(bold ? 9 : 8.5, bold));
        // The remarks wrap within their cell (a correction's reason is never cut): the row is
        // as tall as they need.
        const std::size_t last = cells.size() - 1;
        const double noteLeft = xs[last] + w * 0.004;
        const double noteWidth = xs[last + 1] - xs[last] - w * 0.008;
        const int noteFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere;
        const double noteHeight =
            painter.boundingRect(QRectF(noteLeft, y, noteWidth, h), noteFlags, Q(cells[last]))
                .height();
        const double height = std::max(rowHeight, noteHeight + rowHeight * 0.2);
        if (shade) painter.fillRect(QRectF(left, y, width, height), QColor(225, 225, 225));
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const QRectF cell(xs[c] + w * 0.004, y, xs[c + 1] - xs[c] - w * 0.008, height);
            const int align = c == last ? noteFlags : Qt::AlignHCenter | Qt::AlignVCenter;
            painter.drawText(cell, align, Q(cells[c]));
        }
        painter.drawLine(QPointF(left, y + height), QPointF(right, y + height));
        y += height;
    };
    const double tableTop = y;
    painter.drawLine(QPointF(left, y), QPointF(right, y));
    drawRow(header, true, true);
    for (const auto& line : page.lines) drawRow(CTimesheet::Cells(line), line.restDay_, false);
    for (double x : xs) painter.drawLine(QPointF(x, tableTop), QPointF(x, y));

    // The month's totals, left of the signature boxes and wrapped there, so that no line runs
    // into them.
    const double boxWidth = w * 0.16, boxHeight = h * 0.07;
    const double totalsWidth = width - 2 * boxWidth - w * 0.02;
    y += rowHeight * 0.6;
    painter.setFont(Font(9.5));
    for (const auto& total : page.totals) {
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere;
        const double height = std::max(
            rowHeight,
            painter.boundingRect(QRectF(left, y, totalsWidth, h), flags, Q(total)).height());
        painter.drawText(QRectF(left, y, totalsWidth, height), flags, Q(total));
        y += height;
    }

    // Boxes for the signatures.
    const double boxTop = h * 0.90 - boxHeight;
    painter.setFont(Font(9));
    for (int k = 0; k < 2; ++k) {
        const double x = right - boxWidth * (2 - k);
        const QRectF box(x, boxTop, boxWidth, boxHeight);
        painter.drawRect(box);
        const double labelHeight = boxHeight * 0.28;
        painter.drawLine(QPointF(x, boxTop + labelHeight),
                         QPointF(x + boxWidth, boxTop + labelHeight));
        painter.drawText(QRectF(x, boxTop, boxWidth, labelHeight), Qt::AlignCenter,
                         QString::fromUtf8(k == 0 ? "本人確認" : "管理者確認"));
    }

    painter.setFont(Font(8));
    painter.drawText(QRectF(left, h * 0.96, width, h * 0.03), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromUtf8("作成 ") + Q(made) + QString::fromUtf8("　Stampwell ") +
                         QStringLiteral(STAMPWELL_VERSION));
}

bool CTimesheetPainter::Paint(const std::vector<CTimesheet::Page>& pages, QPagedPaintDevice& device,
                              const std::string& made) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        PaintPage(painter, pages[i], made);
    }
    return painter.end();
}

bool CTimesheetPainter::WritePdf(const std::vector<CTimesheet::Page>& pages,
                                 const std::string& path, const std::string& made) {
    // Written beside the target and put in its place whole: a failed write keeps the old file.
    const std::filesystem::path target(path);
    const auto scratch = CFileSystem::ScratchPath(target, "timesheet.pdf.tmp");
    const QString file = Q(scratch.string());
    bool painted = false;
    {
        QPdfWriter writer(file);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Stampwell " STAMPWELL_VERSION));
        writer.setTitle(QString::fromUtf8("出勤簿"));
        painted = Paint(pages, writer, made);
    }
    if (!painted || QFile(file).size() == 0 || !CFileSystem::ReplaceFile(scratch, target)) {
        QFile::remove(file);
        return false;
    }
    return true;
}

}  // namespace stampwell
