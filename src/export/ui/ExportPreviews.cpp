#include "export/ui/ExportPreviews.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace mendor {

namespace {

struct Sample {
    QStringList lines;
    bool columns = false;
};

// A few lines of a listing of the same small volume in each format.
Sample sampleOf(ExportFormat format) {
    switch (format) {
    case ExportFormat::Tree:
        return {{QStringLiteral("E:\\"), QStringLiteral("   readme.txt"), QString(),
                 QStringLiteral("   Docs\\"), QStringLiteral("      letter.doc"),
                 QStringLiteral("      report.doc"), QString(), QStringLiteral("      Old\\"),
                 QStringLiteral("         notes.txt")}};
    case ExportFormat::List:
        return {{QStringLiteral("E:\\"), QStringLiteral("readme.txt"), QStringLiteral("Docs\\"),
                 QStringLiteral("letter.doc"), QStringLiteral("report.doc"), QStringLiteral("Old\\"),
                 QStringLiteral("notes.txt")}};
    case ExportFormat::FullPaths:
        return {{QStringLiteral("E:\\readme.txt"), QStringLiteral("E:\\Docs\\"),
                 QStringLiteral("E:\\Docs\\letter.doc"), QStringLiteral("E:\\Docs\\report.doc"),
                 QStringLiteral("E:\\Docs\\Old\\"), QStringLiteral("E:\\Docs\\Old\\notes.txt")}};
    case ExportFormat::Itemized:
        return {{QStringLiteral("NAME\tSIZE\tTYPE\tMODIFIED"),
                 QStringLiteral("readme.txt\t1204\ttext\t3/4/2001"),
                 QStringLiteral("Docs\t51200\t(folder)\t3/4/2001"),
                 QStringLiteral("letter.doc\t24576\tWord\t2/9/2001"),
                 QStringLiteral("report.doc\t26624\tWord\t3/1/2001"),
                 QStringLiteral("Old\t1431\t(folder)\t1/7/1999"),
                 QStringLiteral("notes.txt\t1431\ttext\t1/7/1999")},
                true};
    }
    return {};
}

} // namespace

QPixmap ExportPreview(ExportFormat format, QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // A sheet of paper with its top right corner folded.
    const QRectF page(1.5, 1.5, size.width() - 3.0, size.height() - 3.0);
    const qreal fold = page.width() / 8;
    QPainterPath sheet;
    sheet.moveTo(page.topLeft());
    sheet.lineTo(page.right() - fold, page.top());
    sheet.lineTo(page.right(), page.top() + fold);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(90, 90, 90), 1.0));
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(page.right() - fold, page.top());
    corner.lineTo(page.right() - fold, page.top() + fold);
    corner.lineTo(page.right(), page.top() + fold);
    painter.setBrush(QColor(225, 225, 225));
    painter.drawPath(corner);

    const Sample sample = sampleOf(format);
    QFont font(QStringLiteral("monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(qMax(6, size.height() / 14));
    painter.setFont(font);
    painter.setPen(QColor(30, 30, 30));
    const qreal lineHeight = font.pixelSize() * 1.3;
    const qreal left = page.left() + 5;
    const qreal columnWidth = (page.width() - 10) / 4;
    qreal baseline = page.top() + fold + lineHeight;
    for (int line = 0; line < sample.lines.size() && baseline < page.bottom() - 3; ++line) {
        if (sample.columns) {
            const QStringList cells = sample.lines[line].split(QLatin1Char('\t'));
            font.setBold(line == 0);
            painter.setFont(font);
            for (int cell = 0; cell < cells.size(); ++cell) {
                const QRectF box(left + cell * columnWidth, baseline - lineHeight, columnWidth - 2,
                                 lineHeight);
                painter.drawText(box, Qt::AlignLeft | Qt::AlignBottom, cells[cell]);
            }
        } else {
            painter.drawText(QPointF(left, baseline), sample.lines[line]);
        }
        baseline += lineHeight;
    }
    return pixmap;
}

} // namespace mendor
