#include "shell/ui/ImageLibrary.h"

#include <functional>
#include <map>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace mendor {

namespace {

// Every picture is drawn on a 32 x 32 grid; the engine scales the grid to the requested size.
using Painter = std::function<void(QPainter&)>;

const QColor kOutline(60, 60, 60);
const QColor kFolderBack(214, 164, 44);
const QColor kFolderFront(246, 204, 86);
const QColor kDriveBody(190, 196, 204);
const QColor kDriveFace(150, 158, 168);
const QColor kBlue(42, 104, 196);
const QColor kGreen(46, 160, 67);

QPen outlinePen(qreal width = 1.2) {
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawFolderClosed(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(kFolderBack);
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(15, 11);
    back.lineTo(29, 11);
    back.lineTo(29, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(kFolderFront);
    p.drawRoundedRect(QRectF(3, 13, 26, 14), 1.5, 1.5);
}

void drawFolderOpen(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(kFolderBack);
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(15, 11);
    back.lineTo(26, 11);
    back.lineTo(26, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 9, 17, 12));
    p.setBrush(kFolderFront);
    QPainterPath front;
    front.moveTo(3, 27);
    front.lineTo(8, 15);
    front.lineTo(31, 15);
    front.lineTo(26, 27);
    front.closeSubpath();
    p.drawPath(front);
}

// The zipper band that tells an archive catalogued as a folder from a plain folder.
void drawZipper(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(QRectF(14, 13, 4, 14));
    p.setBrush(QColor(230, 230, 230));
    for (int y = 14; y < 26; y += 3)
        p.drawRect(QRectF(y % 2 ? 14.5 : 16, y, 1.5, 1.5));
}

void drawPage(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.drawPath(page);
    p.setBrush(QColor(220, 220, 220));
    QPainterPath corner;
    corner.moveTo(20, 3);
    corner.lineTo(20, 9);
    corner.lineTo(26, 9);
    corner.closeSubpath();
    p.drawPath(corner);
    p.setPen(QPen(QColor(150, 170, 200), 1.2));
    for (int y = 13; y <= 25; y += 4)
        p.drawLine(QPointF(10, y), QPointF(23, y));
}

void drawCylinder(QPainter& p, const QColor& body) {
    p.setPen(outlinePen());
    QLinearGradient shade(5, 0, 27, 0);
    shade.setColorAt(0, body.lighter(130));
    shade.setColorAt(1, body.darker(120));
    p.setBrush(shade);
    QPainterPath side;
    side.moveTo(5, 8);
    side.lineTo(5, 25);
    side.arcTo(QRectF(5, 21, 22, 8), 180, 180);
    side.lineTo(27, 8);
    side.closeSubpath();
    p.drawPath(side);
    p.setBrush(body.lighter(150));
    p.drawEllipse(QRectF(5, 4, 22, 8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 11, 22, 8), 180 * 16, 180 * 16);
    p.drawArc(QRectF(5, 16, 22, 8), 180 * 16, 180 * 16);
}

void drawDatabase(QPainter& p) {
    drawCylinder(p, QColor(70, 130, 200));
}

void drawDriveBox(QPainter& p, const QColor& body) {
    p.setPen(outlinePen());
    QLinearGradient shade(0, 10, 0, 24);
    shade.setColorAt(0, body.lighter(115));
    shade.setColorAt(1, body.darker(110));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(2, 10, 28, 13), 2, 2);
}

void drawLed(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(24, 17.5, 3, 3));
}

void drawFixed(QPainter& p) {
    drawDriveBox(p, kDriveBody);
    p.setPen(QPen(kDriveFace, 1.2));
    p.drawLine(QPointF(5, 19), QPointF(20, 19));
    drawLed(p, kGreen);
}

void drawRemovable(QPainter& p) {
    drawDriveBox(p, kDriveBody);
    p.setPen(outlinePen(1.0));
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(5, 14, 16, 2.5));
    drawLed(p, QColor(230, 150, 40));
}

void drawNetwork(QPainter& p) {
    p.save();
    p.translate(0, -5);
    drawFixed(p);
    p.restore();
    p.setPen(QPen(kOutline, 1.6));
    p.drawLine(QPointF(16, 18), QPointF(16, 25));
    p.drawLine(QPointF(5, 25), QPointF(27, 25));
    p.setPen(outlinePen());
    p.setBrush(kBlue);
    p.drawRect(QRectF(3, 24, 4, 4));
    p.drawRect(QRectF(14, 24, 4, 4));
    p.drawRect(QRectF(25, 24, 4, 4));
}

void drawRamDisk(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(40, 120, 70));
    p.drawRect(QRectF(3, 9, 26, 12));
    p.setBrush(QColor(30, 30, 30));
    for (int x = 5; x < 27; x += 7)
        p.drawRect(QRectF(x, 11, 5, 6));
    p.setPen(QPen(QColor(210, 170, 60), 1.4));
    for (int x = 5; x <= 27; x += 2)
        p.drawLine(QPointF(x, 21), QPointF(x, 24));
}

void drawFloppy(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(50, 70, 120));
    QPainterPath body;
    body.moveTo(4, 4);
    body.lineTo(25, 4);
    body.lineTo(28, 7);
    body.lineTo(28, 28);
    body.lineTo(4, 28);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(200, 204, 210));
    p.drawRect(QRectF(9, 4, 13, 8));
    p.setBrush(QColor(50, 70, 120));
    p.drawRect(QRectF(17, 5.5, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 16, 18, 12));
}

void drawCd(QPainter& p) {
    QRadialGradient shine(QPointF(16, 16), 14);
    shine.setColorAt(0.0, QColor(240, 240, 250));
    shine.setColorAt(0.55, QColor(180, 210, 240));
    shine.setColorAt(0.75, QColor(230, 200, 240));
    shine.setColorAt(1.0, QColor(200, 230, 210));
    p.setPen(outlinePen());
    p.setBrush(shine);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setBrush(QColor(220, 220, 220));
    p.drawEllipse(QRectF(11, 11, 10, 10));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 14, 4, 4));
}

void drawZipDisk(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(30, 60, 140));
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 4, 4);
    p.setBrush(QColor(200, 204, 210));
    p.drawRect(QRectF(8, 3, 16, 7));
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath z;
    z.moveTo(11, 15);
    z.lineTo(21, 15);
    z.lineTo(11, 25);
    z.lineTo(21, 25);
    p.drawPath(z);
}

void drawMendor(QPainter& p) {
    p.setPen(outlinePen());
    QLinearGradient shade(0, 2, 0, 30);
    shade.setColorAt(0, kBlue.lighter(130));
    shade.setColorAt(1, kBlue.darker(120));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath m;
    m.moveTo(8, 23);
    m.lineTo(8, 9);
    m.lineTo(16, 18);
    m.lineTo(24, 9);
    m.lineTo(24, 23);
    p.drawPath(m);
}

// A small badge in the lower right corner of a toolbar picture.
void drawPlusBadge(QPainter& p) {
    p.setPen(outlinePen(1.0));
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(18, 18, 13, 13));
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24.5, 21), QPointF(24.5, 28));
    p.drawLine(QPointF(21, 24.5), QPointF(28, 24.5));
}

void drawCatalog(QPainter& p) {
    p.save();
    p.scale(0.85, 0.85);
    drawCd(p);
    p.restore();
    drawPlusBadge(p);
}

void drawNewDatabase(QPainter& p) {
    p.save();
    p.scale(0.85, 0.85);
    drawDatabase(p);
    p.restore();
    drawPlusBadge(p);
}

void drawCompact(QPainter& p) {
    p.save();
    p.translate(4, 4);
    p.scale(0.75, 0.75);
    drawDatabase(p);
    p.restore();
    p.setPen(QPen(QColor(200, 60, 40), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(16, 1), QPointF(16, 6));
    p.drawPolyline(QPolygonF({QPointF(13, 3.5), QPointF(16, 6.5), QPointF(19, 3.5)}));
    p.drawLine(QPointF(16, 31), QPointF(16, 26));
    p.drawPolyline(QPolygonF({QPointF(13, 28.5), QPointF(16, 25.5), QPointF(19, 28.5)}));
}

void drawOptions(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 2, 2);
    for (int row = 0; row < 3; ++row) {
        const qreal y = 7 + row * 7.5;
        p.setPen(outlinePen(1.0));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, y, 5, 5));
        if (row != 1) {
            p.setPen(QPen(kGreen, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(6.8, y + 2.5), QPointF(8.4, y + 4.2), QPointF(11.5, y - 0.5)}));
        }
        p.setPen(QPen(QColor(120, 120, 120), 1.4));
        p.drawLine(QPointF(14, y + 2.5), QPointF(26, y + 2.5));
    }
}

void drawExport(QPainter& p) {
    p.save();
    p.translate(-3, 0);
    drawPage(p);
    p.restore();
    p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(14, 20), QPointF(28, 20));
    p.drawPolyline(QPolygonF({QPointF(23, 15), QPointF(28.5, 20), QPointF(23, 25)}));
}

void drawHelp(QPainter& p) {
    p.setPen(outlinePen());
    QLinearGradient shade(0, 2, 0, 30);
    shade.setColorAt(0, kBlue.lighter(140));
    shade.setColorAt(1, kBlue);
    p.setBrush(shade);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath mark;
    mark.moveTo(11.5, 12);
    mark.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12);
    mark.cubicTo(20.5, 15.5, 16, 15.5, 16, 19.5);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14.2, 22, 3.6, 3.6));
}

const std::map<QString, Painter>& painters() {
    static const std::map<QString, Painter> table = {
        {QStringLiteral("closed"), drawFolderClosed},
        {QStringLiteral("open"), drawFolderOpen},
        {QStringLiteral("zip_closed"),
         [](QPainter& p) {
             drawFolderClosed(p);
             drawZipper(p);
         }},
        {QStringLiteral("zip_open"),
         [](QPainter& p) {
             drawFolderOpen(p);
             drawZipper(p);
         }},
        {QStringLiteral("mendor"), drawMendor},
        {QStringLiteral("leaf"), drawPage},
        {QStringLiteral("database"), drawDatabase},
        {QStringLiteral("floppy"), drawFloppy},
        {QStringLiteral("cd"), drawCd},
        {QStringLiteral("fixed"), drawFixed},
        {QStringLiteral("network"), drawNetwork},
        {QStringLiteral("ramdisk"), drawRamDisk},
        {QStringLiteral("removable"), drawRemovable},
        {QStringLiteral("zipdisk"), drawZipDisk},
        {QStringLiteral("catalog"), drawCatalog},
        {QStringLiteral("newdb"), drawNewDatabase},
        {QStringLiteral("compact"), drawCompact},
        {QStringLiteral("options"), drawOptions},
        {QStringLiteral("Export"), drawExport},
        {QStringLiteral("help"), drawHelp},
    };
    return table;
}

class PaintedIconEngine : public QIconEngine {
public:
    explicit PaintedIconEngine(Painter painter) : painter_(std::move(painter)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal side = qMin(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / 32.0, side / 32.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        painter_(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap image(size);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return image;
    }

    // The size asked for is already in device pixels.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap image = pixmap(size, mode, state);
        image.setDevicePixelRatio(scale);
        return image;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new PaintedIconEngine(painter_); }

private:
    Painter painter_;
};

} // namespace

QStringList ImageLibrary::treeImageKeys() {
    return {QStringLiteral("closed"),    QStringLiteral("zip_closed"), QStringLiteral("zip_open"),
            QStringLiteral("mendor"),    QStringLiteral("leaf"),       QStringLiteral("open"),
            QStringLiteral("database"),  QStringLiteral("floppy"),     QStringLiteral("cd"),
            QStringLiteral("fixed"),     QStringLiteral("network"),    QStringLiteral("ramdisk"),
            QStringLiteral("removable"), QStringLiteral("zipdisk")};
}

QStringList ImageLibrary::toolbarImageKeys() {
    return {QStringLiteral("catalog"), QStringLiteral("newdb"),  QStringLiteral("compact"),
            QStringLiteral("options"), QStringLiteral("Export"), QStringLiteral("help")};
}

bool ImageLibrary::hasImage(const QString& key) {
    return painters().count(key) != 0;
}

QIcon ImageLibrary::icon(const QString& key) {
    const auto found = painters().find(key);
    if (found == painters().end())
        return {};
    return QIcon(new PaintedIconEngine(found->second));
}

} // namespace mendor
